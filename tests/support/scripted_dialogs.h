#pragma once

#include "platform/ui/dialogs.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

class QDialog;

namespace tallomar::test {

// Stands in for the operator at every modal box. Each box shown is recorded;
// answers queued with answer() run in order, each given the live dialog (to
// fill in a field, click a button) and returning the result code. A box with
// no queued answer is an unexpected box: the test fails and the box is
// rejected, so a forgotten dialog never hangs a test. While installed it is
// the program's seam; the destructor puts the default back.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;  // the dialog's class name, e.g. "QMessageBox"
        QString title;
        QString text;  // message text or input prompt
        MessageIcon icon = MessageIcon::None;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    int exec(QDialog& dialog) override;

    void answer(std::function<int(QDialog&)> handler);
    // Accepts the next message box (its OK button).
    void acceptMessage();
    // Answers the next input box with `text` (OK), or cancels it.
    void answerText(const QString& text);
    void cancelInput();
    // Lets the next dialog run for real (a progress dialog that closes itself).
    void runForReal();

    const std::vector<Shown>& shown() const { return shown_; }
    std::size_t pending() const { return answers_.size(); }

private:
    std::vector<Shown> shown_;
    std::deque<std::function<int(QDialog&)>> answers_;
};

}  // namespace tallomar::test

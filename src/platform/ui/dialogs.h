#pragma once

#include "platform/message_icon.h"

#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace tallomar {

// Every modal box of the program (message boxes, the input box, the folder
// chooser, the about box, progress dialogs) is run through this one seam, so
// that tests can look at a box and answer it instead of a person.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Runs `dialog` modally to its end and returns its result code.
    virtual int exec(QDialog& dialog) = 0;

    // The seam in force; the default one simply calls QDialog::exec().
    static Dialogs& current();
    // Installs `dialogs` (not owned); nullptr puts the default back.
    static void install(Dialogs* dialogs);
};

// The program's own title, which a message box without a title of its own
// carries. Window captions never get it appended: the program sets no
// application display name, which Qt would add to every caption.
inline const QString kProgramTitle = QStringLiteral("Tallomar");

// A modal message box with an OK button. An empty title gives the
// program's own title, as a message box without a title has.
void showMessage(QWidget* parent, MessageIcon icon, const QString& text, const QString& title = QString());

// A modal question with the buttons Yes and No, No the default; true for
// Yes. An empty title gives the application's own title.
bool askYesNo(QWidget* parent, const QString& text, const QString& title = QString());

// A modal input box with a prompt, a title and a default answer; empty
// optional when the operator cancels it. A secret answer (a password) is
// not shown as it is typed.
enum class Echo { Plain, Secret };
std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title,
                               const QString& defaultAnswer, Echo echo = Echo::Plain);

}  // namespace tallomar

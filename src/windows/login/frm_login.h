#pragma once

#include "logic/login/login_logic.h"
#include "windows/dialog_prompts.h"

#include <QFutureWatcher>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui { class frmLogin; }

namespace tallomar {

// The login window: draws the login logic's screen and forwards the
// operator's actions to it. It opens at once and makes its first connection
// to the server behind its back, the lists filling when the server answers.
// After a confirmed login it closes itself and hands the session over to the
// function given at construction (which opens the main window).
class FrmLogin : public QWidget {
    Q_OBJECT
public:
    using HandOver = std::function<void(std::unique_ptr<Session>)>;

    // `session` holds the open tool database and the saved settings.
    FrmLogin(std::unique_ptr<Session> session, HandOver openMainWindow, QWidget* parent = nullptr);
    ~FrmLogin() override;

    LoginLogic& logic() { return logic_; }
    // The first connection to the server is still being made.
    bool connecting() const { return logic_.screen().connecting; }

signals:
    // The first connection ended, made or failed; the lists show its outcome.
    void connectionEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void render();
    void cmdOK_Click();
    void finishConnecting();
    template <typename Handler> void handle(Handler&& handler);
    template <typename Handler> void apply(Handler&& handler);

    std::unique_ptr<Ui::frmLogin> ui_;
    std::unique_ptr<Session> session_;
    DialogPrompts prompts_;
    LoginLogic logic_;
    HandOver openMainWindow_;
    // A shared pointer: a future's result must be copyable.
    QFutureWatcher<std::shared_ptr<SystemConnection>> connection_;
};

}  // namespace tallomar

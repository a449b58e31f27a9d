#pragma once

#include "logic/login/login_logic.h"
#include "windows/dialog_prompts.h"

#include <QFutureWatcher>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class frmLogin;
}

namespace tallomar {

// The login window: draws the login logic's screen and forwards the
// operator's actions to it. It opens at once; every connection to the server
// and every question to the credential store runs behind its back, the
// window saying it is connecting, under a busy pointer, with only 退出 taking
// input meanwhile, and closing it abandons the wait. After a confirmed login
// it closes itself and hands the session over to the function given at
// construction (which opens the main window).
class FrmLogin : public QWidget {
    Q_OBJECT
public:
    using HandOver = std::function<void(std::unique_ptr<Session>)>;

    // `session` holds the open tool database and the saved settings.
    FrmLogin(std::unique_ptr<Session> session, HandOver openMainWindow, QWidget* parent = nullptr);
    ~FrmLogin() override;

    LoginLogic& logic() { return logic_; }
    // A connection to the server (or the credential store) is being waited for.
    bool connecting() const { return logic_.screen().connecting; }

signals:
    // The connections the window waited for have ended, made or failed, and
    // it takes input again; the screen shows their outcome.
    void connectionEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void render();
    void cmdOK_Click();
    void startBackgroundStep();
    void backgroundStepEnded();
    template <typename Handler>
    void handle(Handler&& handler);
    template <typename Handler>
    void apply(Handler&& handler);

    // The window's boxes, each shown over the window as the login's screen
    // now is: a box that ends a wait for the server does not show over
    // "正在连接服务器…".
    class Prompts : public DialogPrompts {
    public:
        explicit Prompts(FrmLogin* window) : DialogPrompts(window), window_(window) {}
        void message(MessageIcon icon, const QString& text, const QString& title = QString()) override {
            window_->render();
            DialogPrompts::message(icon, text, title);
        }
        std::optional<QString> askSecret(const QString& prompt) override {
            window_->render();
            return DialogPrompts::askSecret(prompt);
        }

    private:
        FrmLogin* window_;
    };

    std::unique_ptr<Ui::frmLogin> ui_;
    std::unique_ptr<Session> session_;
    Prompts prompts_;
    LoginLogic logic_;
    HandOver openMainWindow_;
    // The running background step: its end, and what then goes on in the
    // login (nothing once the window has closed).
    QFutureWatcher<void> step_;
    std::function<void()> stepThen_;
    // 确认 was pressed as the server box lost the focus and so started a
    // reload of the lists: the login follows once the lists are loaded.
    bool confirmAfterStep_ = false;
};

}  // namespace tallomar

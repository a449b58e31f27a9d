#pragma once

#include "logic/login/login_logic.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui { class frmLogin; }

namespace tallomar {

// The login window: draws the login logic's screen and forwards the
// operator's actions to it. After a confirmed login it closes itself and
// calls the hand-over given at construction (which opens the main window).
class FrmLogin : public QWidget {
    Q_OBJECT
public:
    explicit FrmLogin(std::function<void()> openMainWindow, QWidget* parent = nullptr);
    ~FrmLogin() override;

    LoginLogic& logic() { return logic_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void render();
    void cmdOK_Click();
    template <typename Handler> void handle(Handler&& handler);

    std::unique_ptr<Ui::frmLogin> ui_;
    LoginLogic logic_;
    std::function<void()> openMainWindow_;
};

}  // namespace tallomar

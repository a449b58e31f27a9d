#pragma once

#include "logic/login/login_screen.h"
#include "logic/login/server_connections.h"
#include "logic/prompts.h"
#include "session/session.h"

#include <QString>

namespace tallomar {

// The login window's behaviour without the window: the three cascading lists
// (editions from the tool database, account sets and years from the server's
// system database), the server box's handlers, the password entry and the
// confirmed login that saves or resets the settings. The window draws
// `screen()` after every call and forwards its events here.
class LoginLogic {
public:
    // Fills `session` (whose tool database start-up has opened) with the
    // login's outcome; asks the operator through `prompts`.
    LoginLogic(Session& session, Prompts& prompts);

    LoginScreen& screen() { return screen_; }
    const LoginScreen& screen() const { return screen_; }

    // Lists
    QString LoadLoginLists();
    // LoadLoginLists in two halves, for a window that connects behind its
    // back: the first fills the edition list, says on the screen that the
    // server is being connected and returns the system database's login for
    // OpenSystemConnection; the second takes that attempt and fills the
    // account-set and year lists, or shows why it failed.
    odbc::ServerLogin startLoginLists();
    QString finishLoginLists(SystemConnection attempt);
    void SelectEdition(const QString& name);
    void LoadAccountSets();
    void LoadYears();

    // Selection of an entry, by the operator or by the program.
    void selectSoft(int index);
    void selectAccount(int index);
    void selectYear(int index);

    // Server box: a key that reaches the box as a character (Enter is "\r",
    // Backspace "\b"); and the box losing the focus to another control.
    void txtServerNameKeyPress(QChar key);
    void txtServerNameLostFocus();

    void cmdPasswordClick();

    enum class LoginOutcome { Stayed, LoggedIn };
    // Tests the login, opens the account-set connection and saves or resets
    // the settings. LoggedIn means the window is to close and the main window
    // to open.
    LoginOutcome cmdOKClick();

private:
    void cboSoftSelected();
    void cboZTSelected();
    bool ensureSystemConnection();
    void saveSettings();
    void showListFailure(const QString& description);

    Session& session_;
    Prompts& prompts_;
    LoginScreen screen_;
    // The system database cnSystem was opened on; an edition change that
    // needs another one reconnects before listing.
    QString connectedSystemDatabase_;
};

}  // namespace tallomar

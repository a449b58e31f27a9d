#pragma once

#include "logic/login/login_screen.h"
#include "logic/login/saved_password.h"
#include "logic/login/server_connections.h"
#include "logic/prompts.h"
#include "session/session.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tallomar {

// The login window's behaviour without the window: the three cascading lists
// (editions from the tool database, account sets and years from the server's
// system database), the server box's handlers, the password entry and the
// confirmed login that saves or resets the settings. The window draws
// `screen()` after every call and forwards its events here.
//
// Nothing that waits for the server or the credential store runs in these
// calls: a call that needs it leaves a background step (see
// takeBackgroundStep) and goes on in the step's `then`, so the window stays
// drawn and can be closed meanwhile.
class LoginLogic {
public:
    // Fills `session` (whose tool database start-up has opened, with the
    // saved settings) with the login's outcome; asks the operator through
    // `prompts`.
    LoginLogic(Session& session, Prompts& prompts);

    LoginScreen& screen() { return screen_; }
    const LoginScreen& screen() const { return screen_; }

    // Work that must not hold up the window: `work` touches neither the
    // login nor the session, so it may run on a thread of its own and be
    // abandoned; `then`, called on the window's thread once `work` has
    // ended, carries its outcome into the login and may leave the next step.
    struct BackgroundStep {
        std::function<void()> work;
        std::function<void()> then;
    };
    // The step the last call left, once. Until its `then` has run,
    // screen().connecting is set and the login expects no other call.
    std::optional<BackgroundStep> takeBackgroundStep();

    // Lists. The first load also looks up the saved password in the
    // credential store.
    void LoadLoginLists();
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

    // Tests the login, opens the account-set connection, saves or resets the
    // settings and keeps or removes the password in the credential store;
    // then loggedIn() tells that the window is to close and the main window
    // to open.
    void cmdOKClick();
    bool loggedIn() const { return loggedIn_; }

private:
    template <typename Outcome>
    void inBackground(std::function<Outcome()> work, std::function<void(Outcome)> then);
    void finishLoginLists(ServerConnection attempt);
    void connectSystemDatabaseAndList();
    void cboSoftSelected();
    void cboZTSelected();
    void connectAccountDatabase();
    StoreChange passwordStoreChange() const;
    void saveSettings();
    void showListFailure(const QString& description);
    void tellStoreUnavailable(const QString& reason);

    Session& session_;
    Prompts& prompts_;
    LoginScreen screen_;
    std::optional<BackgroundStep> step_;
    // The system database cnSystem was opened on; an edition change that
    // needs another one reconnects before listing.
    QString connectedSystemDatabase_;
    // The login the package's settings were saved with, whose stored
    // password the first load looks up and a reset removes.
    credentials::CredentialKey savedLogin_;
    // The package's PassWord row held a password in plain text, as older
    // versions saved it.
    bool packageHeldPassword_;
    // The package held no password of its own and the store has not been
    // asked yet.
    bool storeToBeAsked_;
    bool storeUnavailableTold_ = false;
    bool loggedIn_ = false;
};

}  // namespace tallomar

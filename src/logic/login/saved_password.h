#pragma once

#include "platform/credentials/credential_store.h"

#include <QList>
#include <QString>
#include <optional>

// Where the login keeps its password between runs: in the operating
// system's credential store, by server and user, never in the tool package,
// which is copied between machines and sent to other people. The package's
// PassWord row holds only the blank that means "none"; a package written by
// an older version may still hold a password there in plain text, which is
// used as before and moved into the store by the next login that saves the
// settings.
namespace tallomar {

// What the store gave for the saved login: its password (none when nothing
// is stored), or why the store could not be asked.
struct StoredPasswordLookup {
    std::optional<QString> password;
    QString storeFailure;
};
// Asks the store. Waits for the store: not on a window's thread.
StoredPasswordLookup lookUpStoredPassword(const credentials::CredentialKey& key);

// What a confirmed login does to the store: keeps the login's password
// (saving the settings), or removes the entries of logins that are to be
// forgotten (resetting them, or a login without a password).
struct StoreChange {
    std::optional<std::pair<credentials::CredentialKey, QString>> write;
    QList<credentials::CredentialKey> remove;
    // The operator asked for the removal (resetting the settings), so a
    // failure is told. The entry of a login that now goes without a password
    // is removed on the way: a store that cannot be reached cannot offer it
    // either, and there is nothing to tell.
    bool removalAsked = false;
};
// What went wrong, for the operator; empty when the store did it all.
struct StoreChangeFailure {
    QString writeFailure;   // the store's reason when the password was not kept
    QString removeFailure;  // the store's reason when an entry could not be removed
};
// Carries out `change`. Waits for the store: not on a window's thread.
StoreChangeFailure applyStoreChange(const StoreChange& change);

// After the PassWord row of the tool database at `toolDatabasePath` has
// been blanked: removes the copy of the previous file that the save keeps
// beside it (ZOL.mdb.bak), which still holds the password. Empty text when
// no such copy is left; otherwise the operator's text saying why.
QString removePreviousCopyWithPassword(const QString& toolDatabasePath);

// The operator's texts, the store's reason on the second line: the store
// cannot be used, so the password is not kept and must be given through
// SA口令; a password that was to be forgotten is still stored.
QString storeUnavailableText(const QString& reason);
QString storeRemoveFailedText(const QString& reason);

}  // namespace tallomar

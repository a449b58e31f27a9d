#pragma once

#include "platform/error.h"

#include <QString>
#include <optional>

// The operating system's store of secrets, where the login keeps the SQL
// Server password rather than in the tool package, which travels: the Secret
// Service of the desktop session on Linux, the Credential Manager on
// Windows. One entry per server and user.
namespace tallomar::credentials {

struct CredentialKey {
    QString server;  // as the login names it, without surrounding blanks
    QString user;
};

// The store could not be reached, did not answer in time or refused; the
// message gives the store's own reason.
class StoreError : public Error {
public:
    using Error::Error;
};

// Each call waits for the store's answer, which may take long (a locked
// keyring asks the user for its password first): call them on a thread that
// may wait, never on a window's. Any thread may call them, several at once.

// The stored password; none when nothing is stored for `key`.
std::optional<QString> readPassword(const CredentialKey& key);
// Stores `password` for `key`, replacing what was stored.
void writePassword(const CredentialKey& key, const QString& password);
// Removes the entry for `key`; there being none is no failure.
void removePassword(const CredentialKey& key);

}  // namespace tallomar::credentials

#pragma once

#include <QString>
#include <optional>

// Keeps the login tests away from the user's own keyring: the credential
// store they reach is the Secret Service of private_secret_service.sh,
// started once per test program, or, in a process that runs a test without
// one (see inProcessWithoutSecretService), none at all.
namespace tallomar::test {

// Points this process's D-Bus session bus at the private Secret Service,
// starting it at the first call. Call before anything may reach the
// credential store. The service lives until the program ends: GLib ends a
// process whose session bus goes away.
void isolateSecretService();

// True in a process of its own in which no Secret Service answers (the
// session bus named is a socket that does not exist), where the calling test
// then does its work. Elsewhere runs the calling test again in such a
// process, takes its failures as the caller's, and returns false.
bool inProcessWithoutSecretService();

// The password the Secret Service holds for Tallomar's login `user` on
// `server`, as another client (secret-tool) reads it; none when it holds none.
std::optional<QString> secretServicePassword(const QString& server, const QString& user);
// Stores `password` for that login as another client (secret-tool) does.
void storeInSecretService(const QString& server, const QString& user, const QString& password);

}  // namespace tallomar::test

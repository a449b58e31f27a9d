#pragma once

#include "session/session.h"

#include <QCommandLineParser>
#include <QString>

// What the commands that work on a server share: their exit statuses, their
// failure, and the package and login options they read into a session.
namespace tallomar::cli {

inline constexpr int kFindings = 1;
inline constexpr int kFailure = 2;

// A failure of the command: its message goes to stderr, the exit status is 2.
struct CommandFailure {
    QString message;
};

// --package, --server, --user and --password-stdin.
void addPackageAndLoginOptions(QCommandLineParser& parser);

// The option's value; a CommandFailure when it is missing or empty.
QString required(const QCommandLineParser& parser, const QString& name);

// The package folder and tool-database path, the server and the user, read
// from the options without touching a file or stdin, so that a missing
// option is said before anything is read.
void readPackageAndLogin(const QCommandLineParser& parser, Session& session);

// The password (the first line of stdin with --password-stdin, else empty),
// then the tool database and the tool's name.
void openPackage(const QCommandLineParser& parser, Session& session);

}  // namespace tallomar::cli

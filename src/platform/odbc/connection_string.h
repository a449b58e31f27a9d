#pragma once

#include "platform/odbc/odbc.h"

#include <QList>
#include <QString>
#include <QStringList>

// How a login's values reach the ODBC driver installed here without any of
// them being misread as another field (see odbc::Connection::open).
namespace tallomar::odbc {

// A driver known to the driver manager: its registered name and the library
// it loads (as registered; may be a bare file name).
struct InstalledDriver {
    QString name;
    QString library;
};

// The driver a connection string names, and whether it is FreeTDS (which
// needs its TDS version, takes the port as a field of its own and cannot
// read a brace back from a braced value: version 1.3 keeps "}}" as two
// braces and ends a value at any "};", later versions undo "}}").
struct DriverChoice {
    QString driver;  // the value of "Driver=", braced when it is a registered name
    bool freeTds = false;
    // Microsoft's drivers: take the server's certificate without checking
    // it, which the operator turns on for a server with a self-signed one.
    bool trustServerCertificate = false;
    // The driver reads "(local)", "." and "localhost" itself: Microsoft's
    // drivers on Windows, which reach a server on this machine through
    // shared memory (a SQL Server Express takes no TCP connections unless
    // told to). Otherwise they become 127.0.0.1.
    bool readsLocalNames = false;
};

// On Linux: prefers a driver registered as "SQL Server", then Microsoft's
// ODBC Driver 18 and 17 for SQL Server, then FreeTDS by its library path:
// the registered entry's library found on disk, else `freeTdsLibrary` (found
// in the standard library folders; empty when none is there).
DriverChoice chooseDriver(const QList<InstalledDriver>& installed, const QString& freeTdsLibrary);

// On Windows: the first installed of "ODBC Driver 18 for SQL Server",
// "ODBC Driver 17 for SQL Server", "SQL Server Native Client 11.0" and
// "SQL Server", which every Windows has and which is taken when the list
// shows none of them.
DriverChoice chooseWindowsDriver(const QList<InstalledDriver>& installed);

// The driver the operator named (TALLOMAR_ODBC_DRIVER or the setting
// ODBC/Driver): a registered name, or a library's path. FreeTDS is known by
// its name or its library's.
DriverChoice namedDriver(const QString& nameOrLibrary, const QList<InstalledDriver>& installed);

// What Connection::open does with a login for one driver. Every value in
// `connectionString` is braced, so that ';', '=', '{' and blanks stay inside
// it. A value with '}' that FreeTDS would misread goes another way: the
// server into a private data source (`dataSourceLines`) and user and
// password as SQLConnect's arguments; the database by USE once connected.
struct ConnectionPlan {
    QString connectionString;     // for SQLDriverConnect; empty when the private data source is used
    QStringList dataSourceLines;  // "Key = value" lines of the private data source, else empty
    QString databaseAfterLogin;   // chosen by USE after the login; empty when none is
};
// Throws Error for a server name with a line break or other control
// character, which no server name has and a data source line cannot hold.
ConnectionPlan planConnection(const ServerLogin& login, const DriverChoice& driver);

// The drivers registered with the driver manager (odbcinst.ini).
QList<InstalledDriver> installedDrivers();

// `library` as an absolute path when it is one already or when a file of that
// name is in one of the standard library folders; empty when not found.
QString findDriverLibrary(const QString& library);

// The driver chosen for this machine, once per process: the one the
// operator named, else the system's choice (chooseDriver on Linux,
// chooseWindowsDriver on Windows), with the operator's
// ODBC/TrustServerCertificate setting.
const DriverChoice& installedDriver();

// The system's own choice among the installed drivers.
DriverChoice systemDriver(const QList<InstalledDriver>& installed);

// `choice` with what this system's drivers do themselves (readsLocalNames).
DriverChoice onThisSystem(DriverChoice choice);

// A failed login's message, with the remedy added when a Microsoft driver
// refused the server's certificate: Driver 18 encrypts and checks the
// certificate by default, and a server with a self-signed one is refused
// until the operator chooses to trust it. Never turned off behind the
// operator's back.
QString withCertificateRemedy(const QString& message, const QString& sqlState);

}  // namespace tallomar::odbc

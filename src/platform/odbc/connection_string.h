#pragma once

#include <QList>
#include <QString>

// How a connection text in Windows form becomes a connection string for the
// ODBC driver installed here (see odbc::driverConnectionString).
namespace tallomar::odbc {

// A driver known to the driver manager: its registered name and the library
// it loads (as registered; may be a bare file name).
struct InstalledDriver {
    QString name;
    QString library;
};

// The driver a connection string names, and whether it is FreeTDS (which
// needs its TDS version and takes the port as a field of its own).
struct DriverChoice {
    QString driver;  // the value of "Driver=", braced when it is a registered name
    bool freeTds = false;
};

// Prefers a driver registered as "SQL Server", then Microsoft's ODBC Driver 18
// and 17 for SQL Server, then FreeTDS by its library path: the registered
// entry's library found on disk, else `freeTdsLibrary` (found in the standard
// library folders; empty when none is there).
DriverChoice chooseDriver(const QList<InstalledDriver>& installed, const QString& freeTdsLibrary);

// Translates the fields of a Windows-form connection text (Driver/Provider,
// Server or Data Source, Database or Initial Catalog, Uid or User ID, Pwd or
// Password) for `driver`. Other fields pass through unchanged.
QString translateConnectionText(const QString& connectionText, const DriverChoice& driver);

// The drivers registered with the driver manager (odbcinst.ini).
QList<InstalledDriver> installedDrivers();

// `library` as an absolute path when it is one already or when a file of that
// name is in one of the standard library folders; empty when not found.
QString findDriverLibrary(const QString& library);

}  // namespace tallomar::odbc

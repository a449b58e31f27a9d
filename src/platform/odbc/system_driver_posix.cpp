#include "platform/odbc/connection_string.h"

namespace tallomar::odbc {

DriverChoice systemDriver(const QList<InstalledDriver>& installed) {
    return chooseDriver(installed, findDriverLibrary(QStringLiteral("libtdsodbc.so")));
}

DriverChoice onThisSystem(DriverChoice choice) {
    return choice;
}

}  // namespace tallomar::odbc

#include "platform/odbc/connection_string.h"

namespace tallomar::odbc {

DriverChoice systemDriver(const QList<InstalledDriver>& installed) {
    return chooseWindowsDriver(installed);
}

DriverChoice onThisSystem(DriverChoice choice) {
    choice.readsLocalNames = !choice.freeTds;
    return choice;
}

}  // namespace tallomar::odbc

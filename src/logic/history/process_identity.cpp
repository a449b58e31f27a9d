#include "logic/history/process_identity.h"

#include "platform/process/process_stamp.h"

#include <QSysInfo>

namespace tallomar::history {

ProcessIdentity ProcessIdentity::current() {
    const ProcessStamp stamp = currentProcessStamp();
    return {currentOsUser(), QSysInfo::machineHostName(), stamp.pid, stamp.bootId, stamp.start};
}

bool processEnded(const ProcessIdentity& identity) {
    if (identity.host != QSysInfo::machineHostName()) return false;
    return tallomar::processEnded({identity.pid, identity.bootId, identity.processStart});
}

}  // namespace tallomar::history

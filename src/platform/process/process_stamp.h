#pragma once

#include <QString>

namespace tallomar {

// The running process as the system tells it apart from every other, now
// and later. A pid alone may be reused by another process, so the process's
// start (in the system's own terms: clock ticks since boot on Linux, the
// creation time on Windows) and, where the start counts from the boot, the
// boot's id go with it.
struct ProcessStamp {
    qint64 pid = 0;
    QString bootId;  // empty where the start alone tells processes apart
    QString start;
};

ProcessStamp currentProcessStamp();

// The name of the account the program runs as.
QString currentOsUser();

// True when the process `stamp` names (on this host) has ended, its pid
// now belongs to another process, or only a zombie of it is left.
bool processEnded(const ProcessStamp& stamp);

}  // namespace tallomar

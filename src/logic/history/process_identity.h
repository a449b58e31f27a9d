#pragma once

#include <QString>

namespace tallomar::history {

// Who and where a run is: enough to tell later, on the same host, whether
// the process that wrote a "running" run still lives (see ProcessStamp).
struct ProcessIdentity {
    QString osUser;
    QString host;
    qint64 pid = 0;
    QString bootId;
    QString processStart;

    static ProcessIdentity current();
};

// True when `identity` names a process of this host that has ended (or
// whose pid now belongs to another process, or only a zombie is left);
// false for a live one and for a process of another host, which cannot be
// told from here.
bool processEnded(const ProcessIdentity& identity);

}  // namespace tallomar::history

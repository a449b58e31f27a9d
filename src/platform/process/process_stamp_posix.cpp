// Process stamps on Linux, from /proc: the boot's id and the process's start
// in clock ticks since boot.
#include "platform/process/process_stamp.h"

#include <pwd.h>
#include <unistd.h>
#include <QFile>
#include <QList>

namespace tallomar {

namespace {

QByteArray readProcFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().trimmed();
}

QString currentBootId() {
    return QString::fromLatin1(readProcFile(QStringLiteral("/proc/sys/kernel/random/boot_id")));
}

// The fields of /proc/PID/stat after the command name, which may hold
// spaces and parentheses itself: [0] is the state, [19] the start time.
QList<QByteArray> statFields(qint64 pid) {
    const QByteArray stat = readProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0) return {};
    return stat.mid(nameEnd + 2).split(' ');
}

}  // namespace

ProcessStamp currentProcessStamp() {
    const qint64 pid = getpid();
    const QList<QByteArray> fields = statFields(pid);
    return {pid, currentBootId(), fields.size() > 19 ? QString::fromLatin1(fields[19]) : QString()};
}

QString currentOsUser() {
    if (const passwd* entry = getpwuid(geteuid())) return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

bool processEnded(const ProcessStamp& stamp) {
    if (stamp.bootId != currentBootId()) return true;
    const QList<QByteArray> fields = statFields(stamp.pid);
    if (fields.size() <= 19) return true;
    return fields[0] == "Z" || QString::fromLatin1(fields[19]) != stamp.start;
}

}  // namespace tallomar

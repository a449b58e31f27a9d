// Process stamps on Windows: the process's creation time tells it apart
// from a later process with the same id, also across restarts.
#include "platform/process/process_stamp.h"

#include <windows.h>

namespace tallomar {

namespace {

// The creation time of `process` in 100 ns since 1601, empty when unknown.
QString creationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return {};
    return QString::number(quint64(created.dwHighDateTime) << 32 | created.dwLowDateTime);
}

}  // namespace

ProcessStamp currentProcessStamp() {
    return {qint64(GetCurrentProcessId()), QString(), creationTime(GetCurrentProcess())};
}

QString currentOsUser() {
    wchar_t name[257];
    DWORD length = DWORD(std::size(name));
    if (GetUserNameW(name, &length) && length > 0) return QString::fromWCharArray(name, int(length - 1));
    return qEnvironmentVariable("USERNAME");
}

bool processEnded(const ProcessStamp& stamp) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(stamp.pid));
    if (!process) {
        // Another account's process may be closed to us; it lives.
        return GetLastError() != ERROR_ACCESS_DENIED;
    }
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    const bool same = creationTime(process) == stamp.start;
    CloseHandle(process);
    return !running || !same;
}

}  // namespace tallomar

// Stop requests on Windows: the console's control events, Ctrl+C and
// Ctrl+Break, the console window closing, the user logging off and the
// system shutting down, through SetConsoleCtrlHandler. Windows calls the
// handler on a thread of its own.
#include "platform/process/stop_requests.h"

#include <windows.h>
#include <mutex>

namespace tallomar {

namespace {

// The listening object's source; the mutex keeps it from going while the
// handler uses it.
std::mutex listeningMutex;
std::stop_source* listening = nullptr;
// Set when the listener goes, i.e. when the program has wound its work down.
HANDLE wound_down = nullptr;

// After the handler returns from a closing console, log-off or shutdown,
// Windows ends the process; waiting here gives the program its time to roll
// back and remove its temporary files (Windows allows a few seconds).
constexpr DWORD kWindDownMs = 10'000;

BOOL WINAPI onControlEvent(DWORD event) {
    {
        const std::lock_guard lock(listeningMutex);
        if (!listening) return FALSE;
        listening->request_stop();
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(wound_down, kWindDownMs);
    return TRUE;
}

}  // namespace

struct StopRequests::Listener {};

StopRequests::StopRequests() : listener_(std::make_unique<Listener>()) {
    if (!wound_down) wound_down = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(wound_down);
    {
        const std::lock_guard lock(listeningMutex);
        listening = &source_;
    }
    SetConsoleCtrlHandler(onControlEvent, TRUE);
}

StopRequests::~StopRequests() {
    SetConsoleCtrlHandler(onControlEvent, FALSE);
    {
        const std::lock_guard lock(listeningMutex);
        listening = nullptr;
    }
    SetEvent(wound_down);
}

}  // namespace tallomar

// Stop requests on POSIX systems: the signals SIGINT (Ctrl+C), SIGTERM and
// SIGHUP (the terminal closed).
#include "platform/process/stop_requests.h"

#include <semaphore.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>

namespace tallomar {

namespace {

constexpr std::array kStopSignals{SIGINT, SIGTERM, SIGHUP};

// A signal handler may do next to nothing; posting a semaphore is one of the
// few things it may. Made once and never destroyed, so that a handler still
// running while a listener goes never posts to a semaphore that is gone.
sem_t wakeUp;
std::once_flag wakeUpMade;

extern "C" void onStopSignal(int) {
    const int savedErrno = errno;
    sem_post(&wakeUp);
    errno = savedErrno;
}

}  // namespace

struct StopRequests::Listener {
    std::array<struct sigaction, kStopSignals.size()> previous{};
    std::atomic<bool> closing{false};
    std::thread watcher;
};

StopRequests::StopRequests() : listener_(std::make_unique<Listener>()) {
    std::call_once(wakeUpMade, [] { sem_init(&wakeUp, 0, 0); });
    // What an earlier listener left in the semaphore is no request to this one.
    while (sem_trywait(&wakeUp) == 0) {
    }
    listener_->watcher = std::thread([this] {
        for (;;) {
            if (sem_wait(&wakeUp) != 0) continue;  // a signal came to this thread
            if (listener_->closing) return;
            source_.request_stop();
        }
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // The calls the work is in when a request comes go on rather than fail.
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < kStopSignals.size(); ++index) {
        struct sigaction& previous = listener_->previous[index];
        sigaction(kStopSignals[index], nullptr, &previous);
        // A hang-up the program was started to ignore (nohup) stays ignored.
        // A shell ignores SIGINT on its own for a job it runs in the
        // background; that one is taken, as Ctrl+C always was.
        if (kStopSignals[index] == SIGHUP && previous.sa_handler == SIG_IGN) continue;
        sigaction(kStopSignals[index], &action, nullptr);
    }
}

StopRequests::~StopRequests() {
    for (std::size_t index = 0; index < kStopSignals.size(); ++index)
        sigaction(kStopSignals[index], &listener_->previous[index], nullptr);
    listener_->closing = true;
    sem_post(&wakeUp);
    listener_->watcher.join();
}

}  // namespace tallomar

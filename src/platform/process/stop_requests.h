#pragma once

#include <memory>
#include <stop_token>

namespace tallomar {

// The requests from outside that a command-line program stop: Ctrl+C, a
// request to terminate (from a service manager, `kill`, a shutdown) and the
// loss of the program's terminal. Left alone they end the process on the
// spot, with files half written, transactions left to the server and
// temporary folders left behind. While a StopRequests lives they end nothing:
// each one requests a stop on token(), on a thread of the object's own, so
// that the program cancels its work and ends as it ends after a failure.
// Work registers what cancels it with std::stop_callback, which runs at once
// when the stop came before it. One object at a time in a process.
class StopRequests {
public:
    StopRequests();
    // The process's earlier handling of these requests is back.
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    std::stop_token token() const { return source_.get_token(); }
    bool requested() const { return source_.stop_requested(); }

private:
    // The operating system's side: what receives the requests and passes
    // them on.
    struct Listener;

    std::stop_source source_;
    std::unique_ptr<Listener> listener_;
};

}  // namespace tallomar

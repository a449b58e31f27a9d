#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tallomar::history {

// A thread of its own that runs the tasks posted to it one after another, in
// the order they were posted: the thread that posts them never waits for
// the disk.
class SerialWriter {
public:
    SerialWriter();
    // Runs every task posted so far, then ends the thread.
    ~SerialWriter();
    SerialWriter(const SerialWriter&) = delete;
    SerialWriter& operator=(const SerialWriter&) = delete;

    void post(std::function<void()> task);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    bool closing_ = false;
    std::thread thread_;
};

}  // namespace tallomar::history

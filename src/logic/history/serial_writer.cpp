#include "logic/history/serial_writer.h"

namespace tallomar::history {

SerialWriter::SerialWriter() : thread_([this] { run(); }) {}

SerialWriter::~SerialWriter() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    posted_.notify_one();
    thread_.join();
}

void SerialWriter::post(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_one();
}

void SerialWriter::run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            posted_.wait(lock, [this] { return closing_ || !tasks_.empty(); });
            if (tasks_.empty()) return;  // closing, and everything posted has run
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

}  // namespace tallomar::history

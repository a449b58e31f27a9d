#include "sandbox/faults.h"

#include <sstream>

namespace tallomar::sandbox {

Fault Fault::failBatch(int batchNumber, int errorNumber, std::string message) {
    Fault fault;
    fault.action = Action::Fail;
    fault.batchNumber = batchNumber;
    fault.error = {errorNumber, 16, 1, std::move(message), 1};
    return fault;
}

Fault Fault::delayBatch(int batchNumber, std::chrono::milliseconds delay) {
    Fault fault;
    fault.action = Action::Delay;
    fault.batchNumber = batchNumber;
    fault.delay = delay;
    return fault;
}

Fault Fault::dropAtBatch(int batchNumber) {
    Fault fault;
    fault.action = Action::Drop;
    fault.batchNumber = batchNumber;
    return fault;
}

Fault Fault::whenBatchContains(std::string text) const {
    Fault copy = *this;
    copy.marker = std::move(text);
    return copy;
}

std::string faultReport(const Fault& fault, int batch) {
    std::ostringstream line;
    line << "fault: batch " << batch;
    switch (fault.action) {
        case Fault::Action::Fail:
            line << " answered with error " << fault.error.number;
            break;
        case Fault::Action::Delay: {
            const double seconds = double(fault.delay.count()) / 1000;
            line << " delayed by " << seconds << (seconds == 1 ? " second" : " seconds");
            break;
        }
        case Fault::Action::Drop:
            line << " dropped the connection";
            break;
    }
    return line.str();
}

void FaultPlan::arm(Fault fault) {
    std::lock_guard lock(mutex_);
    armed_.push_back({std::move(fault), 0});
}

void FaultPlan::clear() {
    std::lock_guard lock(mutex_);
    armed_.clear();
}

void FaultPlan::reportTo(std::function<void(const std::string& line)> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

std::optional<Fault> FaultPlan::take(const std::string& batchText) {
    std::optional<Fault> fired;
    int batch = 0;
    std::function<void(const std::string&)> listener;
    {
        std::lock_guard lock(mutex_);
        batch = ++received_;
        for (auto it = armed_.begin(); it != armed_.end();) {
            const bool counts = it->fault.marker.empty() || batchText.find(it->fault.marker) != std::string::npos;
            const bool matches = counts && ++it->seen == it->fault.batchNumber;
            if (matches && !fired) {
                fired = it->fault;
                it = armed_.erase(it);
            } else {
                ++it;
            }
        }
        if (fired) listener = listener_;
    }
    // Told before the fault acts, so that the line is there when the client
    // sees its effect.
    if (listener) listener(faultReport(*fired, batch));
    return fired;
}

}  // namespace tallomar::sandbox

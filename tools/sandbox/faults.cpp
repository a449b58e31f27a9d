#include "sandbox/faults.h"

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

void FaultPlan::arm(Fault fault) {
    std::lock_guard lock(mutex_);
    armed_.push_back({std::move(fault), 0});
}

void FaultPlan::clear() {
    std::lock_guard lock(mutex_);
    armed_.clear();
}

std::optional<Fault> FaultPlan::take(const std::string& batchText) {
    std::lock_guard lock(mutex_);
    std::optional<Fault> fired;
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
    return fired;
}

}  // namespace tallomar::sandbox

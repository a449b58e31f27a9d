#include "sandbox/app_locks.h"

namespace tallomar::sandbox {

int AppLocks::acquire(const std::string& resource, std::uint64_t session, std::chrono::milliseconds timeout,
                      const std::function<bool()>& cancelled) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + timeout;
    std::unique_lock lock(mutex_);
    bool waited = false;
    for (;;) {
        const auto found = held_.find(resource);
        if (found == held_.end() || found->second.session == session) {
            Held& held = held_[resource];
            held.session = session;
            ++held.count;
            return waited ? 1 : 0;
        }
        if (timeout.count() >= 0 && Clock::now() >= until) return -1;
        waited = true;
        freed_.wait_for(lock, std::chrono::milliseconds(20));
        lock.unlock();
        const bool stop = cancelled();
        lock.lock();
        if (stop) return -2;
    }
}

bool AppLocks::release(const std::string& resource, std::uint64_t session) {
    const std::lock_guard lock(mutex_);
    const auto found = held_.find(resource);
    if (found == held_.end() || found->second.session != session) return false;
    if (--found->second.count == 0) {
        held_.erase(found);
        freed_.notify_all();
    }
    return true;
}

void AppLocks::releaseAll(std::uint64_t session) {
    const std::lock_guard lock(mutex_);
    std::erase_if(held_, [session](const auto& entry) { return entry.second.session == session; });
    freed_.notify_all();
}

}  // namespace tallomar::sandbox

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

// The application locks of sp_getapplock, server-wide: exclusive locks on
// resource names, owned by a session, which a session may take more than
// once (each take wants a release) and loses when it ends.
namespace tallomar::sandbox {

class AppLocks {
public:
    // Takes the lock on `resource` for `session`, waiting up to `timeout`
    // (negative: as long as it takes) while another session holds it, and
    // asking `cancelled` every few milliseconds meanwhile. Returns
    // sp_getapplock's status: 0 granted at once, 1 granted after a wait,
    // -1 the wait ran out, -2 cancelled.
    int acquire(const std::string& resource, std::uint64_t session, std::chrono::milliseconds timeout,
                const std::function<bool()>& cancelled);
    // False when `session` holds no lock on `resource`.
    bool release(const std::string& resource, std::uint64_t session);
    void releaseAll(std::uint64_t session);

private:
    struct Held {
        std::uint64_t session = 0;
        int count = 0;
    };
    std::mutex mutex_;
    std::condition_variable freed_;
    std::map<std::string, Held> held_;
};

}  // namespace tallomar::sandbox

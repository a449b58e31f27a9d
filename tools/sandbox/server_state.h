#pragma once

#include "sandbox/app_locks.h"
#include "sandbox/database_folder.h"
#include "sandbox/faults.h"

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

// What every session of one server shares.
namespace tallomar::sandbox {

struct Login {
    std::string user;
    std::string password;
    std::string database = "master";  // used when the client names none
};

class ServerState {
public:
    explicit ServerState(const std::filesystem::path& seedFolder) : databases(seedFolder) {}

    DatabaseFolder databases;
    FaultPlan faults;
    AppLocks appLocks;
    std::chrono::milliseconds loginDelay{0};  // before each LOGIN7 is answered

    void addLogin(Login login);
    // The login for this user (names match without regard to case,
    // passwords exactly), or none.
    std::optional<Login> checkLogin(const std::string& user, const std::string& password) const;

    void recordBatch(const std::string& text);
    std::vector<std::string> batches() const;
    void clearBatches();

private:
    mutable std::mutex mutex_;
    std::vector<Login> logins_;
    std::vector<std::string> batches_;
};

}  // namespace tallomar::sandbox

#include "sandbox/server_state.h"

#include "sandbox/tsql_lexer.h"

namespace tallomar::sandbox {

void ServerState::addLogin(Login login) {
    std::lock_guard lock(mutex_);
    logins_.push_back(std::move(login));
}

std::optional<Login> ServerState::checkLogin(const std::string& user, const std::string& password) const {
    std::lock_guard lock(mutex_);
    for (const auto& login : logins_)
        if (upperAscii(login.user) == upperAscii(user) && login.password == password) return login;
    return std::nullopt;
}

void ServerState::recordBatch(const std::string& text) {
    std::lock_guard lock(mutex_);
    batches_.push_back(text);
}

std::vector<std::string> ServerState::batches() const {
    std::lock_guard lock(mutex_);
    return batches_;
}

void ServerState::clearBatches() {
    std::lock_guard lock(mutex_);
    batches_.clear();
}

}  // namespace tallomar::sandbox

#include "workbench/result_inbox.h"

namespace tallomar {

void ResultInbox::put(ResultChunk rows) {
    std::lock_guard lock(mutex_);
    chunks_.push_back(std::move(rows));
}

std::vector<ResultChunk> ResultInbox::takeAll() {
    std::lock_guard lock(mutex_);
    return std::exchange(chunks_, {});
}

}  // namespace tallomar

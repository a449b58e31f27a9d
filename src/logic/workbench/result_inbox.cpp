#include "logic/workbench/result_inbox.h"

namespace tallomar {

void ResultInbox::put(ResultBlock rows) {
    std::lock_guard lock(mutex_);
    blocks_.push_back(std::move(rows));
}

std::vector<ResultBlock> ResultInbox::takeAll() {
    std::lock_guard lock(mutex_);
    return std::exchange(blocks_, {});
}

}  // namespace tallomar

#include "logic/workbench/result_arena.h"

#include <algorithm>

namespace tallomar {

namespace {

constexpr std::size_t kRegionSize = std::size_t(32) << 20;

std::size_t roundUp(std::size_t value, std::size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

void* ResultArena::allocate(std::size_t bytes, std::size_t alignment) {
    std::size_t offset = regions_.empty() ? 0 : roundUp(used_, alignment);
    if (regions_.empty() || offset + bytes > regions_.back().size()) {
        regions_.emplace_back(std::max(bytes, kRegionSize));
        offset = 0;
    }
    used_ = offset + bytes;
    return regions_.back().begin() + offset;
}

}  // namespace tallomar

#pragma once

#include "platform/process/memory_region.h"

#include <cstddef>
#include <vector>

namespace tallomar {

// Memory for the rows of one result: large regions handed out front to back
// and given back all at once (see MemoryRegion for why not the heap). A
// small result keeps little of a region, as pages never written cost
// nothing.
class ResultArena {
public:
    ResultArena() = default;
    ResultArena(const ResultArena&) = delete;
    ResultArena& operator=(const ResultArena&) = delete;

    // `bytes` of memory aligned to `alignment` (a power of two up to 64),
    // valid until the arena goes; throws std::bad_alloc when none is left.
    void* allocate(std::size_t bytes, std::size_t alignment);

private:
    std::vector<MemoryRegion> regions_;
    std::size_t used_ = 0;  // of the last region
};

}  // namespace tallomar

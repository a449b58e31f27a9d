#pragma once

#include <cstddef>
#include <vector>

namespace tallomar {

// Memory for the rows of one result: large regions handed out front to back
// and given back all at once. The regions ask the kernel for huge pages:
// storing a million rows in small heap blocks costs one page fault per
// 4 KiB, which dominated filling the grid on virtual machines; with huge
// pages it is one fault per 2 MiB. Pages never written cost nothing, so a
// small result keeps little of a region.
class ResultArena {
public:
    ResultArena() = default;
    ~ResultArena();
    ResultArena(const ResultArena&) = delete;
    ResultArena& operator=(const ResultArena&) = delete;

    // `bytes` of memory aligned to `alignment` (a power of two up to 64),
    // valid until the arena goes; throws std::bad_alloc when none is left.
    void* allocate(std::size_t bytes, std::size_t alignment);

private:
    struct Region {
        void* mapping;
        std::size_t mappingSize;
        char* begin;
        std::size_t size;
    };
    void addRegion(std::size_t atLeast);

    std::vector<Region> regions_;
    std::size_t used_ = 0;  // of the last region
};

}  // namespace tallomar

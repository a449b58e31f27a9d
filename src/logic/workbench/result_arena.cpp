#include "logic/workbench/result_arena.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace tallomar {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kRegionSize = std::size_t(32) << 20;

std::size_t roundUp(std::size_t value, std::size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

ResultArena::~ResultArena() {
    for (const Region& region : regions_) munmap(region.mapping, region.mappingSize);
}

void* ResultArena::allocate(std::size_t bytes, std::size_t alignment) {
    std::size_t offset = regions_.empty() ? 0 : roundUp(used_, alignment);
    if (regions_.empty() || offset + bytes > regions_.back().size) {
        addRegion(bytes);
        offset = 0;
    }
    used_ = offset + bytes;
    return regions_.back().begin + offset;
}

void ResultArena::addRegion(std::size_t atLeast) {
    const std::size_t size = roundUp(std::max(atLeast, kRegionSize), kHugePage);
    // Huge pages need 2 MiB-aligned addresses: map one huge page more and
    // use the aligned part; the rest is never written, so never backed.
    const std::size_t mappingSize = size + kHugePage;
    regions_.reserve(regions_.size() + 1);
    void* mapping = mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    char* begin = reinterpret_cast<char*>(roundUp(reinterpret_cast<std::uintptr_t>(mapping), kHugePage));
    // Only advice: where huge pages are off, the region works with small ones.
    madvise(begin, size, MADV_HUGEPAGE);
    regions_.push_back({mapping, mappingSize, begin, size});
}

}  // namespace tallomar

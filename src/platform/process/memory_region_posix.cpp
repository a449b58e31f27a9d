#include "platform/process/memory_region.h"

#include <sys/mman.h>
#include <cstdint>
#include <new>

namespace tallomar {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t roundUp(std::size_t value, std::size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

MemoryRegion::MemoryRegion(std::size_t bytes) : size_(roundUp(bytes, kHugePage)) {
    // Huge pages need 2 MiB-aligned addresses: map one huge page more and
    // use the aligned part; the rest is never written, so never backed.
    mappingSize_ = size_ + kHugePage;
    mapping_ = mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) throw std::bad_alloc();
    begin_ = reinterpret_cast<char*>(roundUp(reinterpret_cast<std::uintptr_t>(mapping_), kHugePage));
    // Only advice: where huge pages are off, the region works with small ones.
    madvise(begin_, size_, MADV_HUGEPAGE);
}

MemoryRegion::~MemoryRegion() {
    if (mapping_) munmap(mapping_, mappingSize_);
}

MemoryRegion::MemoryRegion(MemoryRegion&& other) noexcept
    : mapping_(other.mapping_), mappingSize_(other.mappingSize_), begin_(other.begin_), size_(other.size_) {
    other.mapping_ = nullptr;
}

}  // namespace tallomar

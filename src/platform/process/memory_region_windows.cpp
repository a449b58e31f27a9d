#include "platform/process/memory_region.h"

#include <windows.h>
#include <cstdint>
#include <new>

namespace tallomar {

namespace {

constexpr std::size_t kAlignment = std::size_t(2) << 20;

std::size_t roundUp(std::size_t value, std::size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

// Committed but untouched pages take no physical memory. Large pages would
// need a privilege an operator's account does not have: small pages it is.
MemoryRegion::MemoryRegion(std::size_t bytes) : size_(roundUp(bytes, kAlignment)) {
    mappingSize_ = size_ + kAlignment;
    mapping_ = VirtualAlloc(nullptr, mappingSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!mapping_) throw std::bad_alloc();
    begin_ = reinterpret_cast<char*>(roundUp(reinterpret_cast<std::uintptr_t>(mapping_), kAlignment));
}

MemoryRegion::~MemoryRegion() {
    if (mapping_) VirtualFree(mapping_, 0, MEM_RELEASE);
}

MemoryRegion::MemoryRegion(MemoryRegion&& other) noexcept
    : mapping_(other.mapping_), mappingSize_(other.mappingSize_), begin_(other.begin_), size_(other.size_) {
    other.mapping_ = nullptr;
}

}  // namespace tallomar

#pragma once

#include <cstddef>

namespace tallomar {

// A region of memory straight from the operating system, for a store that
// fills many megabytes front to back and gives them back all at once. Pages
// never written cost nothing. Where the system offers it (Linux), the region
// asks for 2 MiB pages: a million rows stored in small heap blocks cost one
// page fault per 4 KiB, which dominated filling the grid on virtual
// machines; with huge pages it is one fault per 2 MiB.
class MemoryRegion {
public:
    // At least `bytes` of memory aligned to 2 MiB; throws std::bad_alloc
    // when the system has none.
    explicit MemoryRegion(std::size_t bytes);
    ~MemoryRegion();
    MemoryRegion(MemoryRegion&& other) noexcept;
    MemoryRegion& operator=(MemoryRegion&&) = delete;
    MemoryRegion(const MemoryRegion&) = delete;
    MemoryRegion& operator=(const MemoryRegion&) = delete;

    char* begin() const { return begin_; }
    std::size_t size() const { return size_; }

private:
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
    char* begin_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace tallomar

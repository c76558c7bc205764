#pragma once
// Room for one large array that is filled from the front: its addresses
// are reserved at once, its pages made only where it is written, and the
// kernel is asked to back it with huge pages. Filling a few hundred
// megabytes then costs a few hundred page faults instead of tens of
// thousands, which on a virtual machine is most of the cost of keeping
// a piece's samples in memory.

#include <cstddef>

namespace tonalbox::platform {

class ReservedMemory {
public:
    ReservedMemory() = default;
    // `bytes` of room; none (empty) when the addresses cannot be had.
    explicit ReservedMemory(size_t bytes);
    ~ReservedMemory();
    ReservedMemory(ReservedMemory&& other) noexcept;
    ReservedMemory& operator=(ReservedMemory&& other) noexcept;
    ReservedMemory(const ReservedMemory&) = delete;
    ReservedMemory& operator=(const ReservedMemory&) = delete;

    void* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }

private:
    void Release();

    void* m_mapping = nullptr;
    size_t m_mappingSize = 0;
    void* m_data = nullptr;  // m_mapping, moved up to a huge page boundary
    size_t m_size = 0;
};

}  // namespace tonalbox::platform

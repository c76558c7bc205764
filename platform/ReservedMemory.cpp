#include "platform/ReservedMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <utility>

namespace tonalbox::platform {

namespace {
// The size of a huge page on x86-64 and arm64 with 4 KiB pages; the
// kernel backs only whole, aligned huge pages.
constexpr size_t kHugePage = size_t{2} << 20;
}  // namespace

ReservedMemory::ReservedMemory(size_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX - kHugePage) return;
    // Reserved, not committed: pages come when they are first written.
    const size_t mappingSize = bytes + kHugePage;
    void* mapping =
        ::mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapping == MAP_FAILED) return;
    m_mapping = mapping;
    m_mappingSize = mappingSize;
    const uintptr_t start = reinterpret_cast<uintptr_t>(mapping);
    m_data = reinterpret_cast<void*>((start + kHugePage - 1) / kHugePage * kHugePage);
    m_size = bytes;
    // Only a hint: without transparent huge pages the room works the same.
    (void)::madvise(m_data, m_size, MADV_HUGEPAGE);
}

ReservedMemory::~ReservedMemory() { Release(); }

ReservedMemory::ReservedMemory(ReservedMemory&& other) noexcept
    : m_mapping(std::exchange(other.m_mapping, nullptr)),
      m_mappingSize(std::exchange(other.m_mappingSize, 0)),
      m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)) {}

ReservedMemory& ReservedMemory::operator=(ReservedMemory&& other) noexcept {
    if (this != &other) {
        Release();
        m_mapping = std::exchange(other.m_mapping, nullptr);
        m_mappingSize = std::exchange(other.m_mappingSize, 0);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void ReservedMemory::Release() {
    if (m_mapping != nullptr) ::munmap(m_mapping, m_mappingSize);
    m_mapping = nullptr;
    m_mappingSize = 0;
    m_data = nullptr;
    m_size = 0;
}

}  // namespace tonalbox::platform

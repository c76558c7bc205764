#include "engine/TempFolderRoom.h"

#include <chrono>

#include "platform/ProgramPaths.h"

namespace tonalbox {

namespace {
// How often a waiting run looks at its cancel flag.
constexpr auto kCancelCheck = std::chrono::milliseconds(100);
}  // namespace

TempFolderRoom& TempFolderRoom::Shared() {
    static TempFolderRoom room;
    return room;
}

TempFolderRoom::Grant TempFolderRoom::Reserve(const std::string& folder, uint64_t bytes,
                                              const std::atomic<int>& cancel) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_held == 0) m_room = platform::FreeSpace(folder);
        if (bytes > m_room) return Grant::TooBig;
        if (bytes <= m_room - m_held) {
            m_held += bytes;
            return Grant::Granted;
        }
        if (cancel.load() != 0) return Grant::Cancelled;
        m_released.wait_for(lock, kCancelCheck);
    }
}

void TempFolderRoom::Release(uint64_t bytes) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held -= bytes < m_held ? bytes : m_held;
    }
    m_released.notify_all();
}

}  // namespace tonalbox

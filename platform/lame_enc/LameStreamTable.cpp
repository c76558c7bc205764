#include "platform/lame_enc/LameStreamTable.h"

namespace tonalbox::lameenc {

namespace {

void CloseLame(LameStream& stream) {
    if (stream.gfp) {
        lame_close(stream.gfp);
        stream.gfp = nullptr;
    }
}

}  // namespace

LameStreamTable::~LameStreamTable() {
    for (auto& entry : m_streams) CloseLame(*entry.second);
}

HBE_STREAM LameStreamTable::Add(std::unique_ptr<LameStream> stream) {
    std::lock_guard lock(m_mutex);
    // Handles count up and wrap around, skipping 0 and those in use.
    for (DWORD tries = 0; tries < 0xFFFFFFFFu; ++tries) {
        const HBE_STREAM handle = m_nextHandle;
        m_nextHandle = (m_nextHandle == 0xFFFFFFFFu) ? 1 : m_nextHandle + 1;
        if (m_streams.find(handle) == m_streams.end()) {
            m_streams.emplace(handle, std::move(stream));
            return handle;
        }
    }
    return 0;
}

LameStream* LameStreamTable::Find(HBE_STREAM handle) {
    std::lock_guard lock(m_mutex);
    const auto it = m_streams.find(handle);
    return it == m_streams.end() ? nullptr : it->second.get();
}

void LameStreamTable::Remove(HBE_STREAM handle) {
    std::unique_ptr<LameStream> stream;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(handle);
        if (it == m_streams.end()) return;
        stream = std::move(it->second);
        m_streams.erase(it);
        if (m_lastKept == handle) m_lastKept = 0;
    }
    CloseLame(*stream);
}

void LameStreamTable::KeepForInfoTag(HBE_STREAM handle) {
    std::lock_guard lock(m_mutex);
    const auto it = m_streams.find(handle);
    if (it == m_streams.end()) return;
    it->second->closed = true;
    m_lastKept = handle;
}

HBE_STREAM LameStreamTable::LastKept() {
    std::lock_guard lock(m_mutex);
    return m_lastKept;
}

}  // namespace tonalbox::lameenc

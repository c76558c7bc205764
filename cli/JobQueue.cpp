#include "cli/JobQueue.h"

namespace tonalbox::cli {

int JobQueue::Claim() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_next >= Total()) return -1;
    return m_next++;
}

int JobPathList::GetCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handedOut >= static_cast<int>(m_taken.size())) {
        const int position = m_queue.Claim();
        if (position >= 0) m_taken.push_back(position);
    }
    return static_cast<int>(m_taken.size());
}

std::string JobPathList::GetPath(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_taken.size())) return {};
    if (index + 1 > m_handedOut) m_handedOut = index + 1;
    m_current = m_taken[static_cast<size_t>(index)];
    return m_queue.Path(m_current);
}

int JobPathList::CurrentPosition() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_current;
}

std::vector<int> JobPathList::Taken() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_taken;
}

}  // namespace tonalbox::cli

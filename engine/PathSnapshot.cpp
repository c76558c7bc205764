#include "engine/PathSnapshot.h"

namespace tonalbox {

PathSnapshot PathSnapshot::Of(const IPathList& list) {
    std::vector<std::string> paths;
    const int count = list.GetCount();
    paths.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int i = 0; i < count; ++i) paths.push_back(list.GetPath(i));
    return PathSnapshot(std::move(paths));
}

int PathSnapshot::GetCount() const { return static_cast<int>(m_paths.size()); }

std::string PathSnapshot::GetPath(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    return m_paths[static_cast<size_t>(index)];
}

}  // namespace tonalbox

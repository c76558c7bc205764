#pragma once
// A fixed list of paths taken from another list at one moment: the run's
// input, which no later change of the list it was taken from can reach.

#include <string>
#include <vector>

#include "engine/IPathList.h"

namespace tonalbox {

class PathSnapshot : public IPathList {
public:
    PathSnapshot() = default;
    explicit PathSnapshot(std::vector<std::string> paths) : m_paths(std::move(paths)) {}
    // Every entry of `list`, in order, as it is now.
    static PathSnapshot Of(const IPathList& list);

    int GetCount() const override;
    std::string GetPath(int index) const override;

private:
    std::vector<std::string> m_paths;
};

}  // namespace tonalbox

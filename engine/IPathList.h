#pragma once
#include <string>

namespace tonalbox {

// The run's input: the file list page's paths, read by count and index.
// The count is read anew before every file.
class IPathList {
public:
    virtual ~IPathList() = default;
    virtual int GetCount() const = 0;
    virtual std::string GetPath(int index) const = 0;
};

}  // namespace tonalbox

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
    // The folder (ending with a separator) the output of entry index goes
    // to; empty for the settings' output folder.
    virtual std::string GetOutputFolder(int /*index*/) const { return {}; }
};

}  // namespace tonalbox

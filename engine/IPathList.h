#pragma once
#include <string>

namespace tonalbox {

// The run's input: the file list page's paths, read by count and index.
// Before every file the run claims the next entries, then reads the count
// anew.
class IPathList {
public:
    virtual ~IPathList() = default;
    // Takes more entries into the list when it has some to take; a list
    // that holds all of its entries from the start takes none.
    virtual void ClaimNextEntries() {}
    virtual int GetCount() const = 0;
    virtual std::string GetPath(int index) const = 0;
    // The folder (ending with a separator) the output of entry index goes
    // to; empty for the settings' output folder.
    virtual std::string GetOutputFolder(int /*index*/) const { return {}; }
    // The SoundFont entry index renders with, which also names its output
    // (OutputPathFor); empty for the run's port and the usual name.
    virtual std::string GetSoundFont(int /*index*/) const { return {}; }
};

}  // namespace tonalbox

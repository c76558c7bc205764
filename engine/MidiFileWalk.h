#pragma once
// Which files are taken as MIDI files, and how a folder is searched for
// them: the same for every way files come in (the command line, the
// window's list).

#include <functional>
#include <string>

namespace tonalbox {

// True for names ending in .mid, .midi, .kar or .rmi (any case).
bool IsMidiFileName(const std::string& name);

// Hands `found` the path of each MIDI file (by IsMidiFileName) in
// `folder` (ending with a separator), sorted by name, and with recursive
// those of its sub-folders, walked in name order (links to folders are
// not followed). A folder that can not be read or walked (no permission,
// a path too long to open) goes to `unreadable`, without its trailing
// separator; what could be read of it is still walked. Returns whether any
// file was found; an unreadable folder counts as found.
bool WalkMidiFolder(const std::string& folder, bool recursive,
                    const std::function<void(const std::string& path)>& found,
                    const std::function<void(const std::string& folder)>& unreadable = {});

}  // namespace tonalbox

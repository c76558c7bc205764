#pragma once
// The command's input list: the files and folders named on the command
// line or in a list file, folders walked for their MIDI files, repeats
// taken out, and one shard of the result.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/MidiFileWalk.h"
#include "platform/Result.h"

namespace tonalbox::cli {

// One file to convert. With a folder walked recursively, treeStart is
// where the part of path below that folder begins, so that the output
// can keep it; npos for a file whose output goes flat into the folder.
struct InputEntry {
    std::string path;
    size_t treeStart = std::string::npos;
    // A folder that could not be read or walked: it stands for the files
    // it may hold, and fails in their place.
    bool unreadableFolder = false;
    // With several SoundFonts: the one this entry renders with, as given,
    // which also names its output. Empty: the run's SoundFont.
    std::string soundFont = {};
};

// The message for an unreadable folder.
inline constexpr const char* kCanNotReadFolder = "Can not read folder: %s.";

// The list for inputs, in their order: a folder stands for its MIDI files
// (by IsMidiFileName) sorted by name, with recursive its sub-folders' too,
// walked in name order (links to folders are not followed); anything else
// is taken as a file path as it is (a missing one is reported by the
// run). A folder that can not be read or walked is an entry of its own
// (unreadableFolder) where its files would be, and the walk goes on.
// Folders without MIDI files are added to emptyFolders.
std::vector<InputEntry> CollectInputs(std::vector<std::string> inputs, bool recursive,
                                      std::vector<std::string>* emptyFolders = nullptr);

// Reads a list of paths, one a line (or NUL-separated with nul); blank
// entries and a line's closing '\r' are dropped. Fails, saying why, when
// the list holds NUL bytes without nul, or cannot be read.
platform::Result ReadPathList(std::FILE* file, bool nul, std::vector<std::string>& paths);

// The positions 0..count-1 whose key an earlier position has, as pairs of
// the first position with that key and the later one, in list order.
std::vector<std::pair<int, int>> FindRepeats(int count,
                                             const std::function<std::string(int)>& key);

// Takes out every entry whose resolved path an earlier entry has.
void RemoveRepeats(std::vector<InputEntry>& entries);

// Makes each entry one per SoundFont, in the SoundFonts' order, each
// naming its SoundFont: from then on an (input, SoundFont) pair is one
// entry to shard, skip and convert. A folder that could not be read stays
// one entry.
void PairWithSoundFonts(std::vector<InputEntry>& entries, const std::vector<std::string>& soundFonts);

// Keeps the entries at the positions p with p % count == index - 1.
void KeepShard(std::vector<InputEntry>& entries, int index, int count);

}  // namespace tonalbox::cli

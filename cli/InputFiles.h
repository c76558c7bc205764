#pragma once
#include <string>
#include <vector>

namespace tonalbox::cli {

// True for names ending in .mid, .midi, .kar or .rmi (any case).
bool IsMidiFileName(const std::string& name);

// The run's path list from the command line's inputs, in their order: a
// folder stands for its MIDI files (by IsMidiFileName, not descending into
// sub-folders) sorted by name; anything else is taken as a file path as it
// is (a missing one is reported by the run). Folders without MIDI files are
// added to emptyFolders.
std::vector<std::string> CollectInputFiles(const std::vector<std::string>& inputs,
                                           std::vector<std::string>* emptyFolders = nullptr);

}  // namespace tonalbox::cli

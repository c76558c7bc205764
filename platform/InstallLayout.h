#pragma once
// Where the program's own files are, relative to the program's folder. In
// the build tree everything sits next to the program; an installed tree
// (bin/, lib/tonalbox/, share/tonalbox/) keeps the encoder module and the
// data files apart from it. Both work wherever the tree is put, with no
// setting: the program's folder comes from the running program file.

#include <string>
#include <vector>

namespace tonalbox::platform {

// The installed module and data folders, relative to the program's folder
// and ending with a separator (for example "../lib/tonalbox/").
extern const char* const kInstalledModuleFolder;
extern const char* const kInstalledDataFolder;

// The folders searched, in order: the program's folder, then the installed
// one. Each ends with a separator; none when programFolder is empty.
std::vector<std::string> ModuleFolders(const std::string& programFolder);
std::vector<std::string> DataFolders(const std::string& programFolder);

// The first of `folders` that holds `name` (a file or folder name, which
// may contain separators); the first folder when none does, so that a
// missing file is looked for where it belongs. Empty for an empty list.
std::string FolderHolding(const std::vector<std::string>& folders, const std::string& name);

// True when programFolder is the bin/ folder of an installed tree (its
// installed data folder exists). Such a folder belongs to the system even
// where it can be written, as /usr/bin can by root.
bool IsInstalledProgramFolder(const std::string& programFolder);

// For the running program: the folder of a data file (the skin, the help)
// and the full path of a data file.
std::string DataFolderOf(const std::string& name);
std::string DataFilePath(const std::string& name);

}  // namespace tonalbox::platform

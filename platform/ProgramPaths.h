#pragma once
// Where things are: the program's folder, the temporary folder and the
// folder that holds the settings file.

#include <cstdint>
#include <string>

namespace tonalbox::platform {

// The platform's path separator.
inline constexpr char kPathSeparator = '/';

// Full path of the running program file.
std::string ProgramFilePath();

// Folder of the running program, with a trailing separator.
std::string ProgramFolder();

// Folder part of a program path, with a trailing separator ("/" for a
// program at the root, empty for a bare name).
std::string FolderOf(const std::string& programPath);

// The temporary folder (QDir::tempPath's rule: $TMPDIR, else /tmp), with a
// trailing separator.
std::string TempFolder();

// Ensures a trailing separator.
std::string WithTrailingSeparator(std::string folder);

// The text after the last separator (the whole text when there is none).
std::string FileNameOf(const std::string& path);

bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
// True for a regular file (links followed); false for folders, FIFOs,
// devices, sockets and missing files.
bool IsRegularFile(const std::string& path);
// Bytes that can still be written in the folder's filesystem by this
// process; UINT64_MAX when that cannot be told.
uint64_t FreeSpace(const std::string& folder);

// Closes fd when it is open and removes the file at path when one is
// named (a file already gone is no error); leaves fd at -1 and path empty.
void CloseAndRemove(int& fd, std::string& path);
// True when both paths name one existing file (links followed).
bool IsSameFile(const std::string& a, const std::string& b);
// The path with links and "." / ".." resolved; a path that does not exist
// is resolved as far as it does.
std::string ResolvedPath(const std::string& path);

// A file this process is writing holds an exclusive lock for as long as
// it is open, so that the clean-up of another process (or of this one)
// can tell it from a leftover of a killed run. Locks fd, a file just
// created under a name of its own; false when a clean-up removed that
// name before the lock was taken (the caller creates another).
bool HoldAsWritten(int fd);
// Removes the regular file at path unless a live process holds it
// (HoldAsWritten); links are not followed. True when it was removed.
bool RemoveUnlessHeld(const std::string& path);
// True when a new file can be created in the folder.
bool IsWritableFolder(const std::string& folder);
// Creates the folder and any missing folders above it; true when it is a
// folder afterwards.
bool MakeFolder(const std::string& folder);

// The user's configuration folder for the program:
// $XDG_CONFIG_HOME/tonalbox, by default ~/.config/tonalbox (no trailing
// separator).
std::string UserConfigFolder();

}  // namespace tonalbox::platform

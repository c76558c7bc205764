#include "platform/InstallLayout.h"

#include <filesystem>

#include "platform/ProgramPaths.h"

// The build passes the installed layout; these are the defaults of an
// install with the usual bin/, lib/ and share/ folders.
#ifndef TONALBOX_INSTALLED_MODULE_FOLDER
#define TONALBOX_INSTALLED_MODULE_FOLDER "../lib/tonalbox/"
#endif
#ifndef TONALBOX_INSTALLED_DATA_FOLDER
#define TONALBOX_INSTALLED_DATA_FOLDER "../share/tonalbox/"
#endif

namespace tonalbox::platform {

const char* const kInstalledModuleFolder = TONALBOX_INSTALLED_MODULE_FOLDER;
const char* const kInstalledDataFolder = TONALBOX_INSTALLED_DATA_FOLDER;

namespace {

std::vector<std::string> Folders(const std::string& programFolder, const char* installed) {
    if (programFolder.empty()) return {};
    const std::string program = WithTrailingSeparator(programFolder);
    // "/usr/bin/../lib/tonalbox/" reads better as "/usr/lib/tonalbox/" in
    // messages; the folders need not exist for that.
    std::string other = std::filesystem::path(program + installed).lexically_normal().string();
    return {program, WithTrailingSeparator(other)};
}

}  // namespace

std::vector<std::string> ModuleFolders(const std::string& programFolder) {
    return Folders(programFolder, kInstalledModuleFolder);
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
    return !programFolder.empty() &&
           IsDirectory(WithTrailingSeparator(programFolder) + kInstalledDataFolder);
}

std::vector<std::string> DataFolders(const std::string& programFolder) {
    return Folders(programFolder, kInstalledDataFolder);
}

std::string FolderHolding(const std::vector<std::string>& folders, const std::string& name) {
    for (const std::string& folder : folders)
        if (FileExists(folder + name)) return folder;
    return folders.empty() ? std::string() : folders.front();
}

std::string DataFolderOf(const std::string& name) {
    return FolderHolding(DataFolders(ProgramFolder()), name);
}

std::string DataFilePath(const std::string& name) { return DataFolderOf(name) + name; }

}  // namespace tonalbox::platform

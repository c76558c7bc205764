#include "engine/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/OptionRegistry.h"
#include "platform/InstallLayout.h"
#include "platform/ProgramPaths.h"

namespace tonalbox {

bool SerializeSettings(SettingsArchive& ar, ConversionSettings& s) {
    for (const StoredField& field : StoredFields()) {
        if (field.text) {
            if (!ar.Serialize(field.text(s))) return false;
            continue;
        }
        int32_t value = field.get(s);
        if (!ar.Serialize(value)) return false;
        if (!ar.IsStoring()) field.set(s, value);
    }
    return true;
}

std::string SettingsFilePathFor(const std::string& programFolder, const std::string& configFolder,
                                const std::string& fileName) {
    // An installed program's folder is the system's, even where it can be
    // written (as root): its settings go to the configuration folder.
    if (!programFolder.empty() && platform::IsWritableFolder(programFolder) &&
        !platform::IsInstalledProgramFolder(programFolder))
        return platform::WithTrailingSeparator(programFolder) + fileName;
    return platform::WithTrailingSeparator(configFolder) + fileName;
}

std::string SettingsFilePath(const std::string& fileName) {
    return SettingsFilePathFor(platform::ProgramFolder(), platform::UserConfigFolder(), fileName);
}

namespace {

// A stored value outside its list or range goes back to the default.
void KeepWithin(const UserOption& option, ConversionSettings& s) {
    const StoredField* field = FindStoredField(option.field);
    const StoredField* position = FindStoredField(option.positionField);
    if (option.range && field && !option.range->Holds(field->get(s)))
        field->set(s, option.range->defaultValue);
    if (!option.choices) return;
    if (field && option.choices->PositionOf(field->get(s)) < 0)
        field->set(s, option.choices->DefaultValue());
    if (position && !option.choices->HasPosition(position->get(s)))
        position->set(s, option.choices->defaultPosition);
}

// A value no list of the Options dialog holds (a hand-edited or foreign
// file) would fail the run's set-up or the encoder: it goes back to its
// field's default, and the other fields stay as stored.
void KeepWithinOptionTables(ConversionSettings& s) {
    for (const UserOption& option : UserOptions()) {
        if (option.keptOnLoad) KeepWithin(option, s);
    }
    // The formats only the command line writes are never stored; a code
    // outside the window's list is written as WAV, as it always was, and
    // the window and the run read it so.
    if (options::OutputFormats().PositionOf(static_cast<int>(s.m_nOutputFormat)) < 0)
        s.m_nOutputFormat = OutputFormat::Wav;
}

}  // namespace

int LoadSettings(const std::string& path, ConversionSettings& settings) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return 0;
    }
    // Read into a copy: only a whole record replaces the current values.
    ConversionSettings loaded = settings;
    bool whole = false;
    {
        SettingsArchive ar(fd, SettingsArchive::Mode::Load, static_cast<uint64_t>(st.st_size));
        whole = SerializeSettings(ar, loaded);
    }
    ::close(fd);
    if (whole) {
        KeepWithinOptionTables(loaded);
        settings = std::move(loaded);
    }
    return 1;
}

namespace {

bool MakeFolders(const std::string& folder) {
    if (folder.empty() || platform::IsDirectory(folder)) return true;
    std::string parent = folder;
    while (parent.size() > 1 && parent.back() == platform::kPathSeparator) parent.pop_back();
    const auto cut = parent.find_last_of(platform::kPathSeparator);
    if (cut != std::string::npos && cut > 0 && !MakeFolders(parent.substr(0, cut))) return false;
    return ::mkdir(parent.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

int SaveSettings(const std::string& path, const ConversionSettings& settings) {
    const std::string folder = platform::FolderOf(path);
    if (!MakeFolders(folder)) return 0;

    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return 0;
    const std::string tempPath(name.data());

    ConversionSettings copy = settings;
    bool ok;
    {
        SettingsArchive ar(fd, SettingsArchive::Mode::Store);
        ok = SerializeSettings(ar, copy) && ar.Flush();
    }
    // The settings file is readable by others as any file the user makes.
    ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(tempPath.c_str(), path.c_str()) == 0) return 1;
    ::unlink(tempPath.c_str());
    return 0;
}

}  // namespace tonalbox

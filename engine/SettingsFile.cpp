#include "engine/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/OptionValues.h"
#include "platform/InstallLayout.h"
#include "platform/ProgramPaths.h"

namespace tonalbox {

bool SerializeSettings(SettingsArchive& ar, ConversionSettings& s) {
    TagRecord& tag = s.m_tag;
    Mp3EncoderSettings& mp3 = s.m_mp3;
    return ar.Serialize(s.m_bSameAsSource) && ar.Serialize(s.m_bUseTempFolder) &&
           ar.Serialize(s.m_bOverwrite) && ar.Serialize(tag.m_nGenre) &&
           ar.Serialize(tag.m_strAlbum) && ar.Serialize(tag.m_strArtist) &&
           ar.Serialize(tag.m_strComment) && ar.Serialize(tag.m_strTitle) &&
           ar.Serialize(tag.m_nTrack) && ar.Serialize(tag.m_strYear) &&
           ar.Serialize(s.m_nOutputFormat) && ar.Serialize(s.m_strOutputFolder) &&
           ar.Serialize(mp3.m_nBitrate) && ar.Serialize(mp3.m_nChannelMode) &&
           ar.Serialize(mp3.m_nInSampleRate) && ar.Serialize(mp3.m_nInChannels) &&
           ar.Serialize(mp3.m_nPreset) && ar.Serialize(mp3.m_nOutSampleRate) &&
           ar.Serialize(mp3.m_nSampleRateIndex) && ar.Serialize(mp3.m_nBitrateIndex) &&
           ar.Serialize(s.m_nWavChannels) && ar.Serialize(s.m_nWavSampleRate) &&
           ar.Serialize(s.m_nWavSampleRateIndex) && ar.Serialize(mp3.m_bCopyright) &&
           ar.Serialize(mp3.m_bPrivate) && ar.Serialize(mp3.m_bOriginal) &&
           ar.Serialize(mp3.m_nEncodeMode) && ar.Serialize(mp3.m_nVbrQuality) &&
           ar.Serialize(s.m_nPortIndex) && ar.Serialize(s.m_bBurnToCD);
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

template <std::size_t N>
bool InTable(const std::array<int, N>& table, int value) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

bool InRange(int value, int first, int last) { return value >= first && value <= last; }

void KeepIf(bool valid, int& field, int fallback) {
    if (!valid) field = fallback;
}

// A value no list of the Options dialog holds (a hand-edited or foreign
// file) would fail the run's set-up or the encoder: it goes back to its
// field's default, and the other fields stay as stored.
void KeepWithinOptionTables(ConversionSettings& s) {
    const ConversionSettings d;
    Mp3EncoderSettings& m = s.m_mp3;
    const Mp3EncoderSettings& dm = d.m_mp3;
    KeepIf(InTable(kWavSampleRates, s.m_nWavSampleRate), s.m_nWavSampleRate, d.m_nWavSampleRate);
    KeepIf(InRange(s.m_nWavSampleRateIndex, 0, static_cast<int>(kWavSampleRates.size()) - 1),
           s.m_nWavSampleRateIndex, d.m_nWavSampleRateIndex);
    KeepIf(InRange(s.m_nWavChannels, 1, 2), s.m_nWavChannels, d.m_nWavChannels);
    KeepIf(InTable(kMp3SampleRates, m.m_nOutSampleRate), m.m_nOutSampleRate, dm.m_nOutSampleRate);
    KeepIf(InRange(m.m_nSampleRateIndex, 0, static_cast<int>(kMp3SampleRates.size()) - 1),
           m.m_nSampleRateIndex, dm.m_nSampleRateIndex);
    KeepIf(InRange(m.m_nChannelMode, 0, kMp3ChannelModeCount - 1), m.m_nChannelMode, dm.m_nChannelMode);
    KeepIf(InTable(kBitrates, m.m_nBitrate), m.m_nBitrate, dm.m_nBitrate);
    KeepIf(InRange(m.m_nBitrateIndex, 0, static_cast<int>(kBitrates.size()) - 1), m.m_nBitrateIndex,
           dm.m_nBitrateIndex);
    KeepIf(InRange(m.m_nEncodeMode, 0, kEncodeModeCount - 1), m.m_nEncodeMode, dm.m_nEncodeMode);
    KeepIf(InRange(m.m_nVbrQuality, kVbrQualityMin, kVbrQualityMax), m.m_nVbrQuality, dm.m_nVbrQuality);
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

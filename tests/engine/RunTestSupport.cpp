#include "RunTestSupport.h"

#include <cstdlib>
#include <filesystem>

#include "midigen/MidiFileWriter.h"
#include "platform/ProgramPaths.h"
#include "platform/audio/SoundFontCatalog.h"

namespace tonalbox::testsupport {

using midigen::MidiFileWriter;

int VectorPathList::GetCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_paths.size());
}

std::string VectorPathList::GetPath(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paths.at(static_cast<size_t>(index));
}

void VectorPathList::Add(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paths.push_back(path);
}

bool WritePiece(const std::string& path, int seconds, int program) {
    MidiFileWriter writer(1, 480);
    writer.TempoBpm(0, 0, 120.0);
    writer.ProgramChange(1, 0, 0, program);
    static const int keys[] = {60, 64, 67, 72};
    for (int i = 0; i < seconds * 2; ++i) {
        writer.Note(1, static_cast<uint32_t>(i * 480), 400, 0, keys[i % 4], 100);
    }
    // The piece lasts exactly `seconds`: the track ends on the last beat.
    writer.EndOfTrack(1, static_cast<uint32_t>(seconds * 2 * 480));
    writer.EndOfTrack(0, static_cast<uint32_t>(seconds * 2 * 480));
    return writer.Write(path);
}

bool WriteEmptyPiece(const std::string& path) {
    MidiFileWriter writer(0, 480);
    writer.EndOfTrack(0, 0);
    return writer.Write(path);
}

ScopedTempFolder::ScopedTempFolder() {
    if (const char* old = std::getenv("TMPDIR")) {
        m_old = old;
        m_hadOld = true;
    }
    ::setenv("TMPDIR", m_dir.Path().c_str(), 1);
}

ScopedTempFolder::~ScopedTempFolder() {
    if (m_hadOld) {
        ::setenv("TMPDIR", m_old.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

std::vector<std::string> ScopedTempFolder::CaptureFiles() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_dir.Path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("mmm1980", 0) == 0) names.push_back(name);
    }
    return names;
}

ConversionSettings TestSettings(const std::string& outputFolder, OutputFormat outputFormat) {
    ConversionSettings settings = ConversionSettings::Defaults();
    settings.m_strOutputFolder = platform::WithTrailingSeparator(outputFolder);
    settings.m_bUseTempFolder = 0;
    settings.m_bSameAsSource = 0;
    settings.m_nOutputFormat = outputFormat;
    settings.m_bOverwrite = 1;
    settings.m_nPortIndex = 0;
    return settings;
}

void UseTestSoundFont() {
    audio::SoundFontCatalog::SetPreferredSoundFont("/usr/share/sounds/sf2/TimGM6mb.sf2");
}

}  // namespace tonalbox::testsupport

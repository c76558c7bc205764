#pragma once
// What the conversion run tests share: a path list over a vector, MIDI
// pieces of a known length, and a test folder that also serves as the
// temporary folder of the runs.

#include <mutex>
#include <string>
#include <vector>

#include "engine/ConversionSettings.h"
#include "engine/IPathList.h"
#include "tests/support/TempDir.h"

namespace tonalbox::testsupport {

class VectorPathList : public IPathList {
public:
    VectorPathList() = default;
    explicit VectorPathList(std::vector<std::string> paths) : m_paths(std::move(paths)) {}

    int GetCount() const override;
    std::string GetPath(int index) const override;
    void Add(const std::string& path);

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_paths;
};

// A piano piece of `seconds` (whole seconds) at 120 bpm: two notes a
// second. Returns false when the file cannot be written.
bool WritePiece(const std::string& path, int seconds, int program = 0);
// A file whose only track ends at tick 0.
bool WriteEmptyPiece(const std::string& path);

// Points TMPDIR at a fresh folder for the life of the object, so that the
// runs' temporary files can be looked at and counted.
class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::string& Path() const { return m_dir.Path(); }
    // Names in the folder that start with "mmm1980".
    std::vector<std::string> CaptureFiles() const;

private:
    TempDir m_dir{"tonalbox-runtmp"};
    std::string m_old;
    bool m_hadOld = false;
};

// Settings for a test run: WAV output (or MP3) into outputFolder, the
// small test SoundFont's port, overwrite on.
ConversionSettings TestSettings(const std::string& outputFolder, OutputFormat outputFormat);

// Makes the small General MIDI SoundFont the first port of the process.
void UseTestSoundFont();

}  // namespace tonalbox::testsupport

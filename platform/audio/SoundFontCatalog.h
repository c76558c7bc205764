#pragma once
// The synthesizer ports: one output port per installed SoundFont (.sf2 or
// .sf3). SoundFonts are looked for in the program's folder, the system's
// folders (/usr/share/sounds/sf2, /usr/share/sounds/sf3,
// /usr/share/soundfonts) and the user's (~/.local/share/soundfonts); the
// system's default General MIDI SoundFont comes first, a file reached
// under several names is listed once, and one that FluidSynth does not
// load is left out.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/AudioTypes.h"

namespace tonalbox::audio {

inline constexpr uint32_t kPortClassOutput = 1;         // DMUS_PC_OUTPUTCLASS
inline constexpr uint32_t kPortFlagDls = 0x1;           // DMUS_PC_DLS
inline constexpr uint32_t kPortFlagAudioPath = 0x400;   // DMUS_PC_AUDIOPATH
inline constexpr uint32_t kPortFlagSoftwareSynth = 0x02000000;  // DMUS_PC_SOFTWARESYNTH
inline constexpr uint32_t kPortTypeUserModeSynth = 2;   // DMUS_PORT_USER_MODE_SYNTH
inline constexpr uint32_t kEffectReverb = 0x1;          // DMUS_EFFECT_REVERB
inline constexpr uint32_t kEffectChorus = 0x2;          // DMUS_EFFECT_CHORUS
inline constexpr uint32_t kSynthPolyphony = 256;

struct SoundFontPort {
    std::string description;
    uint32_t flags = 0;
    uint32_t portClass = 0;
    uint32_t type = 0;
    uint32_t maxAudioChannels = 0;
    uint32_t maxVoices = 0;
    uint32_t maxChannelGroups = 0;
    uint32_t effectFlags = 0;
    Guid guid;
    std::string path;  // the SoundFont file (canonical path)
};

class SoundFontCatalog {
public:
    // The ports as found now.
    static std::vector<SoundFontPort> List();
    // The system's default General MIDI SoundFont, looked for first.
    static std::string DefaultSoundFont();
    // The port whose guid is `guid`, if any.
    static std::optional<SoundFontPort> Find(const Guid& guid);

    // Puts the SoundFont `path` first in the list for the rest of the
    // process (empty: back to the system default first). The file is
    // listed even when it lies outside the searched folders.
    static void SetPreferredSoundFont(const std::string& path);
    // Replaces the searched folders for the rest of the process (the
    // default General MIDI SoundFont is then not looked for either);
    // ResetSearchFolders goes back to the installed places.
    static void SetSearchFolders(const std::vector<std::string>& folders);
    static void ResetSearchFolders();

    // The identifier of a SoundFont file: the same for the same file.
    static Guid GuidForPath(const std::string& canonicalPath);
};

}  // namespace tonalbox::audio

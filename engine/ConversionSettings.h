#pragma once
#include <string>

#include "engine/Mp3EncoderSettings.h"
#include "engine/TagRecord.h"

namespace tonalbox {

// Every user choice that outlives a run of the program. The application
// owns one; the window, the run and the dialogs change it in place.
struct ConversionSettings {
    TagRecord m_tag;
    std::string m_strOutputFolder;   // always ends with a separator
    int m_bSameAsSource = 0;
    int m_bUseTempFolder = 1;
    // Stored as its number (WAV or MP3; the command line sets the others
    // for its run only); a code no list holds is written as WAV.
    OutputFormat m_nOutputFormat = static_cast<OutputFormat>(options::OutputFormats().DefaultValue());
    int m_bOverwrite = 1;
    Mp3EncoderSettings m_mp3;
    int m_nWavChannels = options::WavChannels().DefaultValue();
    int m_nWavSampleRate = options::WavSampleRates().DefaultValue();
    int m_nWavSampleRateIndex = options::WavSampleRates().defaultPosition;
    std::string m_strProgramFolder;  // not stored; ends with a separator
    int m_nPortIndex = 0;
    int m_bBurnToCD = 0;             // stored, without effect

    // The start-up defaults: every member its default value, the output
    // folder the temporary folder, the program folder the program's.
    static ConversionSettings Defaults();
};

// The tag's start values.
TagRecord DefaultTag();

}  // namespace tonalbox

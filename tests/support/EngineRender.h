#pragma once
// Renders a MIDI file to a WAV file through CMidiMusic and the wave capture
// effect the way the conversion run drives them: Initialize (render mode),
// ClearAudioFX, SetAudioFX, LoadMidiFile, GetBufferFormat, StartCapture,
// Play, then a 100 ms render-clock poll until the position reaches the
// length, Stop, 1000 ms more, StopCapture.

#include <cstdint>
#include <string>

#include "engine/CMidiMusic.h"
#include "engine/IMessageSink.h"
#include "engine/LoudnessOptions.h"

namespace tonalbox::testsupport {

struct EngineRenderResult {
    int initialize = 0;
    int setAudioFx = 0;
    int load = 0;
    int startCapture = 0;
    int play = 0;
    int stopCapture = 0;
    int64_t length = 0;
    int64_t lastPosition = 0;
    int polls = 0;
    bool positionWentBack = false;
    bool positionPassedLength = false;
    WaveFormatEx format{};
    bool ok() const { return initialize == 0 && setAudioFx == 0 && load == 0 && startCapture == 0 && play == 0 && stopCapture == 0; }
};

class EngineRender {
public:
    // pathType: 7 mono, 8 stereo. maxPolls bounds the loop (a safety net).
    // Without `loudness` the capture keeps its own default (the audio as
    // it comes, not normalised).
    static EngineRenderResult Render(const std::string& midiPath, const std::string& wavPath, int pathType,
                                     int sampleRate, IMessageSink* messages = nullptr, int maxPolls = 100000,
                                     const LoudnessOptions* loudness = nullptr);
    // Renders several files with one engine, as a run does.
    static EngineRenderResult RenderWith(CMidiMusic& engine, const std::string& midiPath,
                                         const std::string& wavPath, int maxPolls = 100000,
                                         const LoudnessOptions* loudness = nullptr);
};

}  // namespace tonalbox::testsupport

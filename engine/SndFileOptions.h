#pragma once
// How the FLAC, Opus and Ogg Vorbis outputs are written: set on the command
// line for its run, never stored (the window writes WAV and MP3 only). The
// channels follow the WAV setting.

#include "engine/OptionRegistry.h"

namespace tonalbox {

struct SndFileOptions {
    // The render rate of FLAC and Ogg Vorbis when none is asked for.
    static constexpr int kDefaultRate = 44100;
    // libsndfile writes Opus from 8, 12, 16, 24 or 48 kHz only; of the
    // rates we render at, 48 kHz.
    static constexpr int kOpusRate = 48000;
    static constexpr int kDefaultBits = 16;
    // --quality runs from 0 to 10 like oggenc's -q; Ogg Vorbis starts
    // where oggenc does.
    static constexpr int kMaxQuality = 10;
    static constexpr int kDefaultOggQuality = 3;

    int sampleRate = 0;        // 0: the format's default
    int bits = kDefaultBits;   // FLAC: 16 or 24
    int quality = -1;          // -1: Ogg Vorbis kDefaultOggQuality, Opus the encoder's own bitrate

    // The rate the piece is rendered and written at.
    constexpr int RenderRate(OutputFormat format) const {
        if (format == OutputFormat::Opus) return kOpusRate;
        return sampleRate > 0 ? sampleRate : kDefaultRate;
    }
};

}  // namespace tonalbox

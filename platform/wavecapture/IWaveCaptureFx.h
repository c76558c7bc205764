#pragma once
// Interface of the wave capture effect: an effect inserted into a render
// buffer that writes the audio passing through it into a WAV file whose
// 16-bit PCM samples start at byte 56.

#include <cstdint>

#include "platform/audio/AudioTypes.h"

namespace tonalbox::wavecapture {

// The header of the captured WAV file: the samples start after it.
inline constexpr uint32_t kWaveHeaderSize = 56;
// Most sample bytes the file can hold: its RIFF size field, which counts
// them with the rest of the header, is 32 bits.
inline constexpr uint64_t kMaxWaveDataBytes = 0xFFFFFFFFull - (kWaveHeaderSize - 8);

using audio::Guid;
using audio::HResult;
using audio::WaveFormatEx;

// {D475B926-E99E-4EC5-90FD-32D382F6BB92}
inline constexpr Guid CLSID_WaveCaptureFx{
    0xD475B926, 0xE99E, 0x4EC5, {0x90, 0xFD, 0x32, 0xD3, 0x82, 0xF6, 0xBB, 0x92}};
// {241BFF17-79A5-418F-8787-59917E80609F}
inline constexpr Guid IID_IWaveCaptureFx{
    0x241BFF17, 0x79A5, 0x418F, {0x87, 0x87, 0x59, 0x91, 0x7E, 0x80, 0x60, 0x9F}};

// What a normalising capture measured of its audio before the gain, and
// the gain it wrote the audio at.
struct CaptureLoudness {
    bool measured = false;      // false: written at the buffer's level as it came
    double loudnessLufs = 0.0;  // integrated; not finite when nothing passes the gates
    double peakDbtp = 0.0;      // the larger of sample and true peak; not finite for silence
    double gainDb = 0.0;
};

class IWaveCaptureFx {
public:
    // From now on write the audio passing through the effect into a WAV
    // file at path (created anew) in the given format.
    virtual HResult StartCapture(const char* path, const WaveFormatEx* format) = 0;
    // Finish the file: after it returns the file is a complete WAV file.
    virtual HResult StopCapture() = 0;
    // How the captures that start from now on are written: normalised to
    // `targetLufs` of integrated loudness (their true peak held at or below
    // -1 dBTP), or, when `normalize` is false, at the buffer's fixed output
    // level as the audio comes.
    virtual HResult SetLoudness(bool normalize, double targetLufs) = 0;
    // Also writes MIDI channel `channel` (0..15) of the running capture on
    // its own into a WAV file at path (created anew), in the capture's
    // format and at the mix's gain, so that the channels' files add up to
    // the capture's: written when the capture stops. Asked after
    // StartCapture, before the audio comes; the render buffer must keep
    // the channels apart. kCannotOpen when the file or the store of its
    // samples cannot be made (the capture goes on without it).
    virtual HResult CaptureChannel(int channel, const char* path) = 0;
    // The integrated loudness in LUFS of channel's file as the last
    // StopCapture wrote it; kFalse when it wrote none.
    virtual HResult ChannelLoudness(int channel, double* lufs) = 0;
    // The loudness of the last capture that stopped; not measured while
    // one runs or when it was not normalised.
    virtual HResult GetLoudness(CaptureLoudness* out) = 0;

protected:
    ~IWaveCaptureFx() = default;
};

}  // namespace tonalbox::wavecapture

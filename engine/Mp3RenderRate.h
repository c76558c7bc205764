#pragma once
// The rate a piece is rendered at before it is encoded to MP3.

#include "engine/Mp3EncoderSettings.h"

namespace tonalbox {

// The most MPEG-2 Layer III (the 22050 Hz family) can carry, kbit/s.
inline constexpr int kMpeg2MaxBitrate = 160;

// 22050 Hz keeps the render quick and the files small, but a 22050 Hz
// render holds nothing above 11 kHz and caps the bitrate at what MPEG-2
// carries. So a piece is rendered at 44100 Hz when the MP3 is to be
// 44100 Hz, or when it keeps the input's rate and the chosen bitrate is
// above kMpeg2MaxBitrate; otherwise at 22050 Hz.
int Mp3RenderSampleRate(const Mp3EncoderSettings& mp3);

// The highest bitrate the encoding mode may give: the chosen bitrate for
// CBR and ABR; VBR and the presets are bounded only by the format.
int HighestMp3Bitrate(const Mp3EncoderSettings& mp3);

}  // namespace tonalbox

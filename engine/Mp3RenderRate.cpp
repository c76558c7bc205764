#include "engine/Mp3RenderRate.h"

#include "engine/OptionRegistry.h"

namespace tonalbox {

namespace {

constexpr int kLowRenderRate = 22050;
constexpr int kHighRenderRate = 44100;

}  // namespace

int HighestMp3Bitrate(const Mp3EncoderSettings& mp3) {
    const auto mode = static_cast<EncodeMode>(mp3.m_nEncodeMode);
    if (mode == EncodeMode::Vbr || mode == EncodeMode::Preset)
        return options::Bitrates().choices.back().value;
    return mp3.m_nBitrate;
}

int Mp3RenderSampleRate(const Mp3EncoderSettings& mp3) {
    if (mp3.m_nOutSampleRate > kLowRenderRate) return kHighRenderRate;
    if (mp3.m_nOutSampleRate == 0 && HighestMp3Bitrate(mp3) > kMpeg2MaxBitrate) return kHighRenderRate;
    return kLowRenderRate;
}

}  // namespace tonalbox

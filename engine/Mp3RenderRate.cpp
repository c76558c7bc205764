#include "engine/Mp3RenderRate.h"

#include "engine/OptionValues.h"

namespace tonalbox {

namespace {

constexpr int kLowRenderRate = 22050;
constexpr int kHighRenderRate = 44100;
constexpr int kVbrMode = 2;
constexpr int kPresetMode = 3;

}  // namespace

int HighestMp3Bitrate(const Mp3EncoderSettings& mp3) {
    if (mp3.m_nEncodeMode == kVbrMode || mp3.m_nEncodeMode == kPresetMode) return kBitrates.back();
    return mp3.m_nBitrate;
}

int Mp3RenderSampleRate(const Mp3EncoderSettings& mp3) {
    if (mp3.m_nOutSampleRate > kLowRenderRate) return kHighRenderRate;
    if (mp3.m_nOutSampleRate == 0 && HighestMp3Bitrate(mp3) > kMpeg2MaxBitrate) return kHighRenderRate;
    return kLowRenderRate;
}

}  // namespace tonalbox

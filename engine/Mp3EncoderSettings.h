#pragma once

#include "engine/OptionRegistry.h"

namespace tonalbox {

// The MP3 block of the settings, handed to the encoder as a whole.
struct Mp3EncoderSettings {
    int m_nInSampleRate = 22050;  // rate of the WAV about to be encoded, Hz
    int m_nOutSampleRate = options::Mp3SampleRates().DefaultValue();  // Hz; 0 = same as input
    int m_nChannelMode = options::Mp3ChannelModes().DefaultValue();   // an Mp3ChannelMode
    int m_nInChannels = 0;        // channels of the WAV about to be encoded
    int m_nBitrate = options::Bitrates().DefaultValue();          // kbit/s
    int m_nPreset = options::Presets().defaultPosition;           // position in the preset list
    int m_nEncodeMode = options::EncodeModes().DefaultValue();    // an EncodeMode
    int m_nVbrQuality = options::VbrQualities().defaultValue;
    int m_bCopyright = 0;
    int m_bPrivate = 0;
    int m_bOriginal = 0;
    int m_nSampleRateIndex = options::Mp3SampleRates().defaultPosition;
    int m_nBitrateIndex = options::Bitrates().defaultPosition;
};

}  // namespace tonalbox

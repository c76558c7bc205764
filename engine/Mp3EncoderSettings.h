#pragma once

namespace tonalbox {

// The MP3 block of the settings, handed to the encoder as a whole.
struct Mp3EncoderSettings {
    int m_nInSampleRate = 22050;  // rate of the WAV about to be encoded, Hz
    int m_nOutSampleRate = 0;     // rate of the MP3, Hz; 0 = same as input
    int m_nChannelMode = 1;       // 0 stereo, 1 joint stereo, 2 dual, 3 mono
    int m_nInChannels = 0;        // channels of the WAV about to be encoded
    int m_nBitrate = 128;         // kbit/s
    int m_nPreset = 4;            // position in the preset list (4 = "R3mix")
    int m_nEncodeMode = 0;        // 0 CBR, 1 ABR, 2 VBR, 3 PRESET
    int m_nVbrQuality = 5;        // 0..9
    int m_bCopyright = 0;
    int m_bPrivate = 0;
    int m_bOriginal = 0;
    int m_nSampleRateIndex = 0;   // position of the MP3 sample-rate choice
    int m_nBitrateIndex = 8;      // position of the bitrate choice (8 = 128)
};

}  // namespace tonalbox

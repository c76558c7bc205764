#pragma once
// Basic types of the audio layer: identifiers, result codes and the wave
// format record, laid out as the callers of the layer expect them.

#include <cstdint>
#include <cstring>

namespace tonalbox::audio {

// A 128-bit class or interface identifier.
struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    friend bool operator==(const Guid& a, const Guid& b) {
        return std::memcmp(&a, &b, sizeof(Guid)) == 0;
    }
};
static_assert(sizeof(Guid) == 16);

inline constexpr Guid kGuidNull{};

// Result codes: 0 success, 1 "nothing to do / no more", negative failures.
// The engine's and the capture effect's interfaces return them as they
// are; the classes of the audio layer carry them in a platform::Result.
using HResult = int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kNotFound = static_cast<HResult>(0x80070002u);        // file not found
inline constexpr HResult kNoClass = static_cast<HResult>(0x80040154u);         // class not registered
inline constexpr HResult kUnsupported = static_cast<HResult>(0x80004001u);

inline constexpr bool Succeeded(HResult hr) { return hr >= 0; }
inline constexpr bool Failed(HResult hr) { return hr < 0; }

// The 18-byte wave format record (packed as on disk).
#pragma pack(push, 1)
struct WaveFormatEx {
    uint16_t wFormatTag = 0;      // 1 = PCM
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18);

inline constexpr uint16_t kWaveFormatPcm = 1;

// Standard audio path types: 3D (one channel), mono and stereo.
inline constexpr int kPathDynamic3d = 6;
inline constexpr int kPathDynamicMono = 7;
inline constexpr int kPathDynamicStereo = 8;

}  // namespace tonalbox::audio

#include "engine/RenderSize.h"

#include <algorithm>
#include <cmath>

#include "engine/CConversionRun.h"
#include "platform/audio/SampleSpillFile.h"
#include "platform/wavecapture/IWaveCaptureFx.h"
#include "platform/wavecapture/StemCapture.h"

namespace tonalbox {

using wavecapture::kMaxWaveDataBytes;
using wavecapture::kWaveHeaderSize;

uint64_t RenderSize::TempWavBytes(double musicSeconds, const audio::WaveFormatEx& format) {
    const long double afterEnd = (CConversionRun::kPollMs + CConversionRun::kTailMs) / 1000.0L;
    const long double seconds = std::max<long double>(musicSeconds, 0.0L) + afterEnd;
    const long double frames = std::ceil(seconds * format.nSamplesPerSec);
    const long double bytes = frames * format.nChannels * 2 + kWaveHeaderSize;
    if (!(bytes < 1.8e19L)) return UINT64_MAX;
    return static_cast<uint64_t>(bytes);
}

uint64_t RenderSize::TempFolderBytes(uint64_t tempWavBytes, bool normalize, int stems) {
    if (tempWavBytes < kWaveHeaderSize) return tempWavBytes;
    stems = std::max(stems, 0);
    // Beyond counting long before it overflows: the WAV is at most 4 GiB.
    const long double wav = static_cast<long double>(tempWavBytes);
    const long double floats = 2.0L * static_cast<long double>(tempWavBytes - kWaveHeaderSize);
    // Float samples take room in the folder only past their memory budget.
    const bool mixSpills = normalize && floats > audio::SampleSpillFile::kDefaultMemoryBudget;
    const bool stemsSpill = stems > 0 && floats > wavecapture::StemCapture::StoreBudget(stems);
    const long double bytes = wav + (mixSpills ? floats : 0.0L) + stems * (wav + (stemsSpill ? floats : 0.0L));
    if (!(bytes < 1.8e19L)) return UINT64_MAX;
    return static_cast<uint64_t>(bytes);
}

bool RenderSize::FitsInWav(uint64_t tempWavBytes) {
    return tempWavBytes >= kWaveHeaderSize && tempWavBytes - kWaveHeaderSize <= kMaxWaveDataBytes;
}

}  // namespace tonalbox

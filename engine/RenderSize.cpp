#include "engine/RenderSize.h"

#include <algorithm>
#include <cmath>

#include "engine/CConversionRun.h"
#include "platform/audio/SampleSpillFile.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

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

uint64_t RenderSize::TempFolderBytes(uint64_t tempWavBytes, bool normalize) {
    if (!normalize || tempWavBytes < kWaveHeaderSize) return tempWavBytes;
    const uint64_t floatBytes = 2 * (tempWavBytes - kWaveHeaderSize);
    if (floatBytes <= audio::SampleSpillFile::kDefaultMemoryBudget) return tempWavBytes;
    return tempWavBytes > UINT64_MAX - floatBytes ? UINT64_MAX : tempWavBytes + floatBytes;
}

bool RenderSize::FitsInWav(uint64_t tempWavBytes) {
    return tempWavBytes >= kWaveHeaderSize && tempWavBytes - kWaveHeaderSize <= kMaxWaveDataBytes;
}

}  // namespace tonalbox

#include "engine/RenderSize.h"

#include <algorithm>
#include <cmath>

#include "engine/CConversionRun.h"

namespace tonalbox {

uint64_t RenderSize::TempWavBytes(double musicSeconds, const audio::WaveFormatEx& format) {
    const long double afterEnd = (CConversionRun::kPollMs + CConversionRun::kTailMs) / 1000.0L;
    const long double seconds = std::max<long double>(musicSeconds, 0.0L) + afterEnd;
    const long double frames = std::ceil(seconds * format.nSamplesPerSec);
    const long double bytes = frames * format.nChannels * 2 + kHeaderBytes;
    if (!(bytes < 1.8e19L)) return UINT64_MAX;
    return static_cast<uint64_t>(bytes);
}

bool RenderSize::FitsInWav(uint64_t tempWavBytes) {
    return tempWavBytes >= kHeaderBytes && tempWavBytes - kHeaderBytes <= kMaxDataBytes;
}

}  // namespace tonalbox

#include <gtest/gtest.h>

#include "engine/RenderSize.h"
#include "platform/audio/SampleSpillFile.h"
#include "platform/wavecapture/IWaveCaptureFx.h"
#include "platform/wavecapture/StemCapture.h"

namespace tonalbox {
namespace {

// Each stem needs its WAV; float samples (twice the WAV's sample bytes)
// take room only past their memory budget: the mix's whole, the stems' a
// share of theirs each.
TEST(RenderSize, EachStemNeedsItsWavAndItsFloatSamplesPastItsShareOfTheBudget) {
    const uint64_t mix = audio::SampleSpillFile::kDefaultMemoryBudget;
    const uint64_t stems = wavecapture::StemCapture::kMemoryBudget;
    struct Case {
        uint64_t sampleBytes;
        bool normalize;
        int stems;
        bool mixSpills;
        bool stemsSpill;
    };
    const Case cases[] = {
        {1000, false, 0, false, false},         {1000, true, 0, false, false},
        {1000, false, 3, false, false},         {1000, true, 16, false, false},
        {stems / 4, false, 1, false, false},    {stems / 8, false, 4, false, false},
        {stems / 8 + 2, false, 4, false, true}, {mix / 2, true, 0, false, false},
        {mix / 2 + 2, true, 0, true, false},    {mix, true, 2, true, false},
        {stems / 4 + 2, true, 2, true, true},
    };
    for (const Case& c : cases) {
        const uint64_t wav = wavecapture::kWaveHeaderSize + c.sampleBytes;
        const uint64_t floats = 2 * c.sampleBytes;
        const uint64_t expected =
            wav + (c.mixSpills ? floats : 0) + static_cast<uint64_t>(c.stems) * (wav + (c.stemsSpill ? floats : 0));
        EXPECT_EQ(RenderSize::TempFolderBytes(wav, c.normalize, c.stems), expected)
            << c.sampleBytes << " " << c.normalize << " " << c.stems;
    }
}

}  // namespace
}  // namespace tonalbox

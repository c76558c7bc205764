// One store kept from piece to piece, as a job keeps it: each piece reads
// back exactly its own samples, wherever they were kept.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/audio/SampleSpillFile.h"
#include "tests/support/TempDir.h"

namespace tonalbox::audio {
namespace {

std::vector<float> Ramp(size_t count, float step) {
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i) samples[i] = step * static_cast<float>(i + 1);
    return samples;
}

TEST(SampleSpillFile, EachPieceReadsBackItsOwnSamplesAfterLongerOnes) {
    constexpr size_t kBudgetSamples = 3 << 20;  // more than a huge page
    testsupport::TempDir dir;
    SampleSpillFile store(kBudgetSamples * sizeof(float));
    struct Piece {
        size_t samples;
        bool spills;
    };
    const Piece pieces[] = {
        {kBudgetSamples, false},      // fills the whole room
        {1000, false},                // a short one after it
        {kBudgetSamples + 1, true},   // one past the room goes to the file
        {kBudgetSamples / 2, false},  // and the next is in memory again
    };
    float step = 1e-6f;
    for (const Piece& piece : pieces) {
        const std::vector<float> samples = Ramp(piece.samples, step *= 2);
        ASSERT_TRUE(store.Create(dir.File("x.wav")).ok());
        for (size_t at = 0; at < samples.size(); at += 4096)
            ASSERT_TRUE(store.Write(samples.data() + at, std::min<size_t>(4096, samples.size() - at)));
        EXPECT_EQ(store.Spilled(), piece.spills) << piece.samples;
        ASSERT_EQ(store.Written(), samples.size());

        std::vector<float> back(samples.size() + 1);
        ASSERT_TRUE(store.Rewind());
        EXPECT_EQ(store.Read(back.data(), back.size()), samples.size()) << "no sample of an earlier piece";
        back.pop_back();
        EXPECT_EQ(back, samples) << piece.samples;
        const uint64_t middle = samples.size() / 2;
        float one = 0.0f;
        ASSERT_TRUE(store.Seek(middle));
        ASSERT_EQ(store.Read(&one, 1), 1u);
        EXPECT_EQ(one, samples[middle]);
        store.Close();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "the sample file has no name";
}

}  // namespace
}  // namespace tonalbox::audio

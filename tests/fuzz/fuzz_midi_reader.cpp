// libFuzzer target: arbitrary bytes through the MIDI file reader, the
// timing of the sequence it makes, and a short render on the synthesizer.
//
// Build (clang, instrumenting the libraries too):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTONALBOX_FUZZ=ON \
//     -DTONALBOX_SANITIZE=ON -DTONALBOX_BUILD_GUI=OFF \
//     -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
//   cmake --build build-fuzz --target fuzz_midi_reader
//   build-fuzz/bin/fuzz_midi_reader -max_total_time=300 -max_len=4096 \
//     tests/fuzz/corpus/fuzz_midi_reader

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/audio/MidiFileReader.h"
#include "platform/audio/MidiSequence.h"
#include "platform/audio/Performance.h"

namespace {

using tonalbox::audio::MidiFileReader;
using tonalbox::audio::MidiSequence;
using tonalbox::audio::Performance;

constexpr int kRate = 8000;
constexpr size_t kBlock = 257;          // odd, so blocks and events straddle
constexpr size_t kRenderFrames = 2000;  // a quarter of a second

Performance* SharedPerformance() {
    static std::unique_ptr<Performance> performance = [] {
        std::unique_ptr<Performance> p;
        if (!Performance::Create(kRate, p).ok()) std::abort();
        p->SelectSoundFont("/usr/share/sounds/sf2/TimGM6mb.sf2");
        if (!p->EnsureSoundFont().ok()) std::abort();
        return p;
    }();
    return performance.get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto sequence = std::make_shared<MidiSequence>();
    if (!MidiFileReader::Read(data, size, *sequence).ok()) return 0;

    // The timing must hold together for every event.
    uint64_t lastSample = 0;
    for (const auto& e : sequence->Events()) {
        const uint64_t sample = sequence->SampleAt(e.tick, kRate);
        if (sample < lastSample) std::abort();
        lastSample = sample;
        if (e.tick > sequence->LengthTicks()) std::abort();
        if (e.status == MidiSequence::kSysEx && e.offset + e.size > sequence->SysExData().size()) std::abort();
    }

    Performance* performance = SharedPerformance();
    performance->SetSequence(sequence);
    if (performance->Play() != 0) std::abort();
    std::vector<float> left(kBlock), right(kBlock);
    int64_t lastPosition = 0;
    for (size_t done = 0; done < kRenderFrames; done += kBlock) {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        performance->Render(left.data(), right.data(), kBlock);
        const int64_t position = performance->PositionTicks();
        if (position < lastPosition || position > performance->LengthTicks()) std::abort();
        lastPosition = position;
    }
    performance->Stop();
    performance->Render(left.data(), right.data(), kBlock);
    performance->SetSequence(nullptr);
    return 0;
}

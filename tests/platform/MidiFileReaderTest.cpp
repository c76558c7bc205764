// The tolerant MIDI file reader and the timing of the sequences it makes.

#include "platform/audio/MidiFileReader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <vector>

#include "midigen/MidiFileWriter.h"
#include "platform/audio/AudioErrors.h"
#include "platform/audio/MidiSequence.h"
#include "tests/support/TempDir.h"

namespace tonalbox::audio {
namespace {

using midigen::MidiFileWriter;

int ReadBytes(const std::vector<uint8_t>& bytes, MidiSequence& seq) {
    return MidiFileReader::Read(bytes.data(), bytes.size(), seq).code;
}

struct Ev {
    uint64_t tick;
    uint8_t status, data1, data2;
    bool operator==(const Ev&) const = default;
};

std::vector<Ev> ChannelEvents(const MidiSequence& seq) {
    std::vector<Ev> out;
    for (const MidiEvent& e : seq.Events())
        if (e.status >= 0x80 && e.status < 0xF0) out.push_back({e.tick, e.status, e.data1, e.data2});
    return out;
}

// The bytes of one track chunk around `body`.
std::vector<uint8_t> Track(std::vector<uint8_t> body) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    const uint8_t head[] = {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                            static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    // Inserted before the body rather than appending the body to a vector
    // of eight: GCC 12 at -O3 warns falsely about the latter.
    body.insert(body.begin(), std::begin(head), std::end(head));
    return body;
}

std::vector<uint8_t> Header(int format, int tracks, uint16_t division) {
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<uint8_t>(format), 0, static_cast<uint8_t>(tracks),
            static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)};
}

std::vector<uint8_t> File(int format, uint16_t division, std::initializer_list<std::vector<uint8_t>> bodies) {
    std::vector<uint8_t> out = Header(format, static_cast<int>(bodies.size()), division);
    for (const auto& b : bodies) {
        std::vector<uint8_t> t = Track(b);
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}

TEST(MidiFileReaderTest, MergesTracksByTickKeepingTrackOrderWithinATick) {
    MidiFileWriter w(1, 96);
    w.Note(1, 0, 96, 0, 60, 100);
    w.Note(2, 0, 48, 1, 64, 90);
    w.ControlChange(2, 96, 1, 7, 80);
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(w.Build(), seq), kOk);
    EXPECT_EQ(ChannelEvents(seq), (std::vector<Ev>{{0, 0x90, 60, 100},
                                                   {0, 0x91, 64, 90},
                                                   {48, 0x81, 64, 64},
                                                   {96, 0x80, 60, 64},
                                                   {96, 0xB1, 7, 80}}));
    EXPECT_EQ(seq.LengthTicks(), 96u);
    EXPECT_TRUE(seq.HasNotes());
}

TEST(MidiFileReaderTest, FormatTwoPlaysItsSequencesOneAfterAnother) {
    MidiFileWriter w(2, 96);
    w.Note(0, 0, 50, 0, 60, 100);
    w.EndOfTrack(0, 100);
    w.Note(1, 10, 20, 0, 62, 100);
    w.Note(2, 0, 5, 0, 64, 100);
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(w.Build(), seq), kOk);
    EXPECT_EQ(ChannelEvents(seq), (std::vector<Ev>{{0, 0x90, 60, 100},
                                                   {50, 0x80, 60, 64},
                                                   {110, 0x90, 62, 100},
                                                   {130, 0x80, 62, 64},
                                                   {130, 0x90, 64, 100},
                                                   {135, 0x80, 64, 64}}));
}

TEST(MidiFileReaderTest, RunningStatusIsKeptAcrossMetaAndSysEx) {
    // 90 3C 64, then a text meta event and a SysEx, then data bytes only.
    std::vector<uint8_t> body{0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x01, 0x01, 'x', 0x00, 0x3E,
                              0x64, 0x00, 0xF0, 0x02, 0x7D, 0xF7, 0x10, 0x3C, 0x00, 0x00, 0x3E,
                              0x00, 0x00, 0xFF, 0x2F, 0x00};
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(File(0, 96, {body}), seq), kOk);
    EXPECT_EQ(ChannelEvents(seq), (std::vector<Ev>{{0, 0x90, 60, 100},
                                                   {0, 0x90, 62, 100},
                                                   {16, 0x90, 60, 0},
                                                   {16, 0x90, 62, 0}}));
    ASSERT_EQ(seq.Events().size(), 5u);
    const MidiEvent& sysex = seq.Events()[2];
    EXPECT_EQ(sysex.status, MidiSequence::kSysEx);
    ASSERT_EQ(sysex.size, 1u);  // the body without F0 and F7
    EXPECT_EQ(seq.SysExData()[sysex.offset], 0x7D);
}

TEST(MidiFileReaderTest, TempoMapGivesSamplesAndTicks) {
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.TempoBpm(0, 960, 60);
    w.Note(1, 1920, 10, 0, 60, 100);
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(w.Build(), seq), kOk);
    EXPECT_DOUBLE_EQ(seq.SecondsAt(480), 0.5);
    EXPECT_DOUBLE_EQ(seq.SecondsAt(960), 1.0);
    EXPECT_DOUBLE_EQ(seq.SecondsAt(1920), 3.0);
    EXPECT_EQ(seq.SampleAt(1920, 44100), 132300u);
    EXPECT_EQ(seq.SampleAt(1, 44100), 46u);  // 45.9375 rounds up
    EXPECT_EQ(seq.TickAtSample(22050, 44100), 480u);
    EXPECT_EQ(seq.TickAtSample(132300, 44100), 1920u);
    EXPECT_EQ(seq.TickAtSample(132299, 44100), 1919u);
}

TEST(MidiFileReaderTest, TempoDefaultsTo120AndTheLastOfOneTickWins) {
    MidiFileWriter w(1, 100);
    w.Tempo(0, 200, 250000);
    w.Tempo(0, 200, 1000000);
    w.Note(1, 300, 10, 0, 60, 100);
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(w.Build(), seq), kOk);
    EXPECT_DOUBLE_EQ(seq.SecondsAt(200), 1.0);
    EXPECT_DOUBLE_EQ(seq.SecondsAt(300), 2.0);
}

TEST(MidiFileReaderTest, FrameBasedDivisions) {
    struct Case {
        int fps;
        int ticksPerFrame;
        double secondsPerTick;
    };
    for (Case c : {Case{24, 4, 1.0 / 96}, Case{25, 40, 1.0 / 1000}, Case{29, 80, 1001.0 / (30000 * 80)},
                   Case{30, 2, 1.0 / 60}}) {
        MidiFileWriter w(0, 480);
        w.SetSmpteDivision(c.fps, c.ticksPerFrame);
        w.TempoBpm(0, 0, 40);  // ignored
        w.Note(0, 6000, 10, 0, 60, 100);
        MidiSequence seq;
        ASSERT_EQ(ReadBytes(w.Build(), seq), kOk);
        EXPECT_TRUE(seq.IsSmpte());
        EXPECT_NEAR(seq.SecondsAt(6000), 6000 * c.secondsPerTick, 1e-9) << c.fps;
    }
}

TEST(MidiFileReaderTest, RiffWrappedFilesAndLeadingBlocks) {
    MidiFileWriter w(0, 96);
    w.Note(0, 0, 96, 0, 60, 100);
    MidiSequence plain;
    ASSERT_EQ(ReadBytes(w.Build(), plain), kOk);

    MidiSequence rmi;
    ASSERT_EQ(ReadBytes(w.BuildRmi(), rmi), kOk);
    EXPECT_EQ(ChannelEvents(rmi), ChannelEvents(plain));

    // Another chunk (odd-sized, padded) before "data".
    std::vector<uint8_t> smf = w.Build();
    std::vector<uint8_t> riff{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'D', 'I', 'S', 'P', 3, 0, 0, 0,
                              1, 2, 3, 0, 'd', 'a', 't', 'a', static_cast<uint8_t>(smf.size()), 0, 0, 0};
    riff.insert(riff.end(), smf.begin(), smf.end());
    MidiSequence withList;
    ASSERT_EQ(ReadBytes(riff, withList), kOk);
    EXPECT_EQ(ChannelEvents(withList), ChannelEvents(plain));

    // A 128-byte block before the header, as some tools leave.
    std::vector<uint8_t> lead(128, 0);
    lead.insert(lead.end(), smf.begin(), smf.end());
    MidiSequence led;
    ASSERT_EQ(ReadBytes(lead, led), kOk);
    EXPECT_EQ(ChannelEvents(led), ChannelEvents(plain));
}

TEST(MidiFileReaderTest, RejectsWhatIsNotAMidiFile) {
    MidiSequence seq;
    EXPECT_EQ(ReadBytes({}, seq), kUnsupportedStream);
    EXPECT_EQ(ReadBytes({'h', 'e', 'l', 'l', 'o'}, seq), kUnsupportedStream);
    EXPECT_EQ(ReadBytes({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, seq), kUnsupportedStream);
    EXPECT_EQ(ReadBytes({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D'}, seq), kUnsupportedStream);
    std::vector<uint8_t> farHeader(2000, 0x20);
    std::vector<uint8_t> smf = File(0, 96, {{0x00, 0xFF, 0x2F, 0x00}});
    farHeader.insert(farHeader.end(), smf.begin(), smf.end());
    EXPECT_EQ(ReadBytes(farHeader, seq), kUnsupportedStream);
    EXPECT_EQ(MidiFileReader::ReadFile("/nonexistent/file.mid", seq).code, kNotFound);
}

TEST(MidiFileReaderTest, RejectsHeadersThatCannotBeRead) {
    MidiSequence seq;
    std::vector<uint8_t> cut = Header(0, 1, 96);
    cut.resize(12);
    EXPECT_EQ(ReadBytes(cut, seq), kInvalidFile);
    std::vector<uint8_t> shortLength = Header(0, 1, 96);
    shortLength[7] = 4;
    EXPECT_EQ(ReadBytes(shortLength, seq), kInvalidFile);
    std::vector<uint8_t> hugeLength = Header(0, 1, 96);
    hugeLength[4] = 0x7F;
    EXPECT_EQ(ReadBytes(hugeLength, seq), kInvalidFile);
    EXPECT_EQ(ReadBytes(Header(3, 0, 96), seq), kInvalidFile);
    EXPECT_EQ(ReadBytes(Header(1, 0, 0), seq), kInvalidFile);
    EXPECT_EQ(ReadBytes(Header(1, 0, 0xE700), seq), kInvalidFile);  // 25 fps, 0 ticks per frame
    // A longer header is fine: its extra bytes are skipped.
    std::vector<uint8_t> longer = Header(0, 1, 96);
    longer[7] = 8;
    longer.insert(longer.end(), {0xAA, 0xBB});
    std::vector<uint8_t> t = Track({0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x40});
    longer.insert(longer.end(), t.begin(), t.end());
    ASSERT_EQ(ReadBytes(longer, seq), kOk);
    EXPECT_EQ(ChannelEvents(seq).size(), 2u);
}

TEST(MidiFileReaderTest, DamagedTracksKeepWhatCanBeRead) {
    MidiSequence seq;
    // Chunk length beyond the end of the file, no end-of-track, last
    // message cut in half.
    std::vector<uint8_t> file = File(0, 96, {{0x00, 0x90, 0x3C, 0x40, 0x20, 0x80, 0x3C, 0x40, 0x10, 0x90}});
    file[21] = 0x40;  // the track claims 64 bytes
    ASSERT_EQ(ReadBytes(file, seq), kOk);
    EXPECT_EQ(ChannelEvents(seq), (std::vector<Ev>{{0, 0x90, 60, 64}, {32, 0x80, 60, 64}}));
    EXPECT_EQ(seq.LengthTicks(), 32u);

    // A stray data byte with no status to apply it to; a real-time byte.
    ASSERT_EQ(ReadBytes(File(0, 96, {{0x00, 0x45, 0x00, 0xB0, 0x07, 0x64, 0x00, 0xF8, 0x00, 0x80, 0x3C, 0x00}}), seq),
              kOk);
    EXPECT_EQ(ChannelEvents(seq), (std::vector<Ev>{{0, 0xB0, 7, 100}, {0, 0x80, 60, 0}}));

    // A delta time of five bytes ends the track.
    ASSERT_EQ(ReadBytes(File(0, 96, {{0x00, 0x90, 0x3C, 0x40, 0x81, 0x81, 0x81, 0x81, 0x01, 0x80, 0x3C, 0x40}}), seq),
              kOk);
    EXPECT_EQ(ChannelEvents(seq).size(), 1u);

    // A meta event longer than the track.
    ASSERT_EQ(ReadBytes(File(0, 96, {{0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x7F, 'a'}}), seq), kOk);
    EXPECT_EQ(ChannelEvents(seq).size(), 1u);
}

TEST(MidiFileReaderTest, TrackCountsAndForeignChunks) {
    // The header promises three tracks; an unknown chunk sits between them;
    // garbage follows the second.
    std::vector<uint8_t> file = Header(1, 3, 96);
    std::vector<uint8_t> t1 = Track({0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> foreign{'X', 'F', 'I', 'H', 0, 0, 0, 2, 0xFF, 0xFF};
    std::vector<uint8_t> t2 = Track({0x05, 0x91, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> junk{0x00, 0x01, 0xFE, 0x80, 0x90, 0x3C, 0x40, 0x00, 0x00, 0x00};
    for (const auto* part : {&t1, &foreign, &t2, &junk}) file.insert(file.end(), part->begin(), part->end());
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(file, seq), kOk);
    EXPECT_EQ(ChannelEvents(seq).size(), 3u);

    // Fewer tracks promised than present: the rest is not read.
    std::vector<uint8_t> one = Header(1, 1, 96);
    one.insert(one.end(), t1.begin(), t1.end());
    one.insert(one.end(), t2.begin(), t2.end());
    ASSERT_EQ(ReadBytes(one, seq), kOk);
    EXPECT_EQ(ChannelEvents(seq).size(), 2u);
}

TEST(MidiFileReaderTest, DataBytesWithTheTopBitSetCountByTheirLowSevenBits) {
    // Velocity 0xCC, then running status; a program 0x85; a controller
    // value 0xFF; the last message cut short by the end of the track.
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(File(0, 96, {{0x00, 0x90, 0x3C, 0xCC, 0x60, 0x3C, 0x00, 0x00, 0xC1, 0x85, 0x00,
                                      0xB1, 0x87, 0xFF, 0x10, 0x90, 0x3E}}),
                        seq),
              kOk);
    EXPECT_EQ(ChannelEvents(seq), (std::vector<Ev>{{0, 0x90, 60, 0x4C},
                                                   {96, 0x90, 60, 0},
                                                   {96, 0xC1, 5, 0},
                                                   {96, 0xB1, 7, 0x7F}}));
    EXPECT_EQ(seq.LengthTicks(), 96u);
}

TEST(MidiFileReaderTest, LengthRunsToTheLastEventEndOfTrackIncluded) {
    // Format 1: notes end at 100; the other track's end-of-track is later.
    MidiFileWriter w(1, 96);
    w.Note(1, 30, 70, 0, 60, 90);
    w.TrackName(1, 300, "late meta");
    w.EndOfTrack(2, 500);
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(w.Build(), seq), kOk);
    EXPECT_EQ(seq.LengthTicks(), 500u);

    // Format 2: the end of the last sequence.
    MidiFileWriter f2(2, 96);
    f2.Note(0, 0, 50, 0, 60, 90);
    f2.EndOfTrack(0, 100);
    f2.Note(1, 0, 20, 0, 62, 90);
    f2.EndOfTrack(1, 60);
    ASSERT_EQ(ReadBytes(f2.Build(), seq), kOk);
    EXPECT_EQ(seq.LengthTicks(), 160u);

    // Without a sounding note the piece still lasts to the end of its track.
    MidiFileWriter silent(1, 96);
    silent.ProgramChange(1, 10, 0, 3);
    silent.NoteOn(1, 20, 0, 60, 0);  // velocity 0: a note-off
    silent.EndOfTrack(1, 500);
    ASSERT_EQ(ReadBytes(silent.Build(), seq), kOk);
    EXPECT_FALSE(seq.HasNotes());
    EXPECT_EQ(seq.LengthTicks(), 500u);
}

TEST(MidiFileReaderTest, ATimingOnlyReadGivesTheLengthOfTheWholeRead) {
    // Tempo changes in one track, notes ending later in another, a SysEx
    // as the last event, format 2 sequences, a track cut short.
    MidiFileWriter tempos(1, 480);
    tempos.TempoBpm(0, 0, 90);
    tempos.TempoBpm(0, 1920, 150);
    tempos.Note(1, 3000, 2000, 0, 60, 100);
    tempos.SysEx(2, 6000, {0x7E, 0x7F, 0x09, 0x01});
    MidiFileWriter f2(2, 96);
    f2.TempoBpm(0, 0, 200);
    f2.Note(0, 0, 300, 0, 60, 90);
    f2.Note(1, 10, 700, 0, 62, 90);
    std::vector<uint8_t> cut = File(0, 96, {{0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x10, 0x90}});
    cut[21] = 0x40;
    for (const auto& bytes : {tempos.Build(), f2.Build(), cut}) {
        MidiSequence whole, timing(true);
        ASSERT_EQ(ReadBytes(bytes, whole), kOk);
        ASSERT_EQ(ReadBytes(bytes, timing), kOk);
        EXPECT_TRUE(timing.TimingOnly()) << "a read keeps the kind of sequence";
        EXPECT_GT(whole.LengthTicks(), 0u);
        EXPECT_EQ(timing.LengthTicks(), whole.LengthTicks());
        EXPECT_EQ(timing.LengthSeconds(), whole.LengthSeconds());
        EXPECT_TRUE(ChannelEvents(timing).empty()) << "no music is kept";
    }
}

TEST(MidiFileReaderTest, HugeDeltaTimesAddUpPastTwoToThe32) {
    // Seventeen deltas of 0x0FFFFFFF ticks.
    std::vector<uint8_t> body;
    for (int i = 0; i < 17; ++i) body.insert(body.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x40});
    MidiSequence seq;
    ASSERT_EQ(ReadBytes(File(0, 1, {body}), seq), kOk);
    ASSERT_EQ(ChannelEvents(seq).size(), 17u);
    const uint64_t last = 17ull * 0x0FFFFFFF;
    EXPECT_EQ(ChannelEvents(seq).back().tick, last);
    EXPECT_EQ(seq.LengthTicks(), last);
    EXPECT_GT(seq.SampleAt(last, 96000), seq.SampleAt(last / 2, 96000));
}

TEST(MidiFileReaderTest, OnlyRegularFilesAreRead) {
    testsupport::TempDir dir;
    const std::string fifo = dir.File("pipe.mid");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    MidiSequence seq;
    // A FIFO with no writer would block an ordinary open for good.
    auto reading = std::async(std::launch::async, [&] { return MidiFileReader::ReadFile(fifo, seq).code; });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a FIFO blocked";
        ::close(::open(fifo.c_str(), O_WRONLY));  // lets the reader go
    }
    EXPECT_EQ(reading.get(), kNotFound);
    EXPECT_EQ(MidiFileReader::ReadFile("/dev/null", seq).code, kNotFound);
    EXPECT_EQ(MidiFileReader::ReadFile(dir.Path(), seq).code, kNotFound);
}

}  // namespace
}  // namespace tonalbox::audio

// CMidiMusic in render mode, driven as the conversion run drives it, with
// MIDI files the tests write themselves and the wave capture effect
// writing the result.

#include "engine/CMidiMusic.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "audioprobe/WavFile.h"
#include "midigen/MidiFileWriter.h"
#include "platform/ProgramPaths.h"
#include "platform/audio/AudioErrors.h"
#include "platform/audio/PreListenOutput.h"
#include "platform/audio/SoundFontCatalog.h"
#include "platform/wavecapture/IWaveCaptureFx.h"
#include "tests/support/DiagnosticLogLines.h"
#include "tests/support/EngineRender.h"
#include "tests/support/TempDir.h"

namespace tonalbox {
namespace {

using audio::SoundFontCatalog;
using testsupport::EngineRender;
using testsupport::EngineRenderResult;
using midigen::MidiFileWriter;
using audioprobe::ReadFileBytes;
using testsupport::TempDir;
using audioprobe::WavFile;
using wavecapture::CLSID_WaveCaptureFx;
using wavecapture::IID_IWaveCaptureFx;
using wavecapture::IWaveCaptureFx;

constexpr const char* kSmallSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* kLargeSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
// Sound above this level counts as sound; below it, as silence.
constexpr int kSoundLevel = 200;
constexpr int kSilenceLevel = 8;

class RecordingSink : public IMessageSink {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class CMidiMusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platform::FileExists(kSmallSoundFont)) GTEST_SKIP() << "needs " << kSmallSoundFont;
        SoundFontCatalog::SetPreferredSoundFont(kSmallSoundFont);
    }
    void TearDown() override {
        SoundFontCatalog::SetPreferredSoundFont("");
        SoundFontCatalog::ResetSearchFolders();
        audio::PreListenOutput::SetDriverOrder({"pulseaudio", "alsa"});
    }

    // Writes `w` as name and renders it; the WAV goes to name + ".wav".
    EngineRenderResult Render(const MidiFileWriter& w, const std::string& name, int pathType = 8,
                              int rate = 22050) {
        const std::string mid = dir.File(name);
        EXPECT_TRUE(w.Write(mid));
        return EngineRender::Render(mid, mid + ".wav", pathType, rate, &sink);
    }

    WavFile ReadWav(const std::string& name) {
        WavFile wav;
        EXPECT_TRUE(wav.Read(dir.File(name) + ".wav")) << wav.Error();
        return wav;
    }

    static size_t Frame(double seconds, const WavFile& w) {
        return static_cast<size_t>(std::llround(seconds * w.sampleRate));
    }

    // Frame where a quarter note of `key` on a fresh piano first passes the
    // silence level when it starts at frame 0.
    size_t OnsetAtZero(int key, int rate) {
        MidiFileWriter w(1, 480);
        w.Note(1, 0, 240, 0, key, 110);
        const std::string name = "onset" + std::to_string(key) + "_" + std::to_string(rate) + ".mid";
        EXPECT_TRUE(Render(w, name, 8, rate).ok());
        return ReadWav(name).FirstFrameAbove(kSilenceLevel);
    }

    TempDir dir;
    RecordingSink sink;
};

// The synthesizer renders in blocks of 64 frames; an event at frame `s`
// takes effect at the start of the next block.
size_t BlockStart(size_t frame) { return (frame + 63) / 64 * 64; }

// One quarter-note piano C at each of the given ticks (480 per quarter,
// 120 beats per minute unless the writer says otherwise).
MidiFileWriter NotesAt(std::initializer_list<uint32_t> ticks, int format = 1) {
    MidiFileWriter w(format, 480);
    w.TempoBpm(0, 0, 120);
    for (uint32_t t : ticks) w.Note(format == 0 ? 0 : 1, t, 240, 0, 60, 110);
    return w;
}

TEST_F(CMidiMusicTest, CaptureHasTheFiftySixByteLayoutAndHeaderFields) {
    EngineRenderResult r = Render(NotesAt({0, 480}), "layout.mid", DMUS_APATH_DYNAMIC_STEREO, 22050);
    ASSERT_TRUE(r.ok());
    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("layout.mid.wav"));
    ASSERT_GT(bytes.size(), 56u);
    WavFile w = ReadWav("layout.mid");
    EXPECT_EQ(w.riffSize, bytes.size() - 8);
    EXPECT_EQ(w.fmtChunkSize, 16u);
    EXPECT_EQ(w.formatTag, 1);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.sampleRate, 22050u);
    EXPECT_EQ(w.byteRate, 22050u * 4);
    EXPECT_EQ(w.blockAlign, 4);
    EXPECT_EQ(w.bitsPerSample, 16);
    EXPECT_THAT(w.chunkIds, ::testing::ElementsAre("fmt ", "fact", "data"));
    EXPECT_EQ(w.dataOffset, 56u);
    EXPECT_EQ(w.dataSize, bytes.size() - 56);
    EXPECT_EQ(WavFile::Le32(bytes.data() + 44), w.dataSize / 4);  // frames in "fact"
    // The buffer format handed to the capture is the one in the header.
    EXPECT_EQ(+r.format.nChannels, 2);
    EXPECT_EQ(+r.format.nSamplesPerSec, 22050u);
    EXPECT_EQ(+r.format.wBitsPerSample, 16);
    EXPECT_EQ(+r.format.nBlockAlign, 4);
    EXPECT_EQ(+r.format.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(+r.format.wFormatTag, 1);
}

TEST_F(CMidiMusicTest, CapturedLengthIsTheMusicPlusOneSecondWithinOnePoll) {
    // Last event (a note-off) at 2.25 s.
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.Note(1, 0, 480, 0, 60, 100);
    w.Note(1, 3840, 480 + 60, 0, 64, 100);  // ends at tick 4380 = 4.5625 s
    EngineRenderResult r = Render(w, "length.mid");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.length, 4380);
    EXPECT_EQ(r.lastPosition, r.length);
    EXPECT_FALSE(r.positionWentBack);
    EXPECT_FALSE(r.positionPassedLength);
    EXPECT_EQ(r.polls, 46);  // 4.5625 s of music is seen at the 46th 100 ms poll
    WavFile wav = ReadWav("length.mid");
    EXPECT_GE(wav.Seconds(), 4.5625 + 1.0);
    EXPECT_LE(wav.Seconds(), 4.5625 + 1.1);
    EXPECT_EQ(wav.Frames(), 22050u * 56 / 10);
}

struct FormatCase {
    int pathType;
    int rate;
    int channels;
};

class CMidiMusicFormatTest : public CMidiMusicTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CMidiMusicFormatTest, RendersInThePathsChannelsAndRate) {
    const FormatCase c = GetParam();
    EngineRenderResult r = Render(NotesAt({0}), "format.mid", c.pathType, c.rate);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(+r.format.nChannels, c.channels);
    EXPECT_EQ(+r.format.nSamplesPerSec, static_cast<uint32_t>(c.rate));
    WavFile w = ReadWav("format.mid");
    EXPECT_EQ(w.channels, c.channels);
    EXPECT_EQ(w.sampleRate, static_cast<uint32_t>(c.rate));
    EXPECT_EQ(w.blockAlign, 2 * c.channels);
    // 0.25 s of music: the 3rd poll sees the end, then one second.
    EXPECT_EQ(w.Frames(), static_cast<size_t>(c.rate) * 13 / 10);
    EXPECT_GT(w.PeakAbs(0, Frame(0.25, w)), kSoundLevel);
    EXPECT_LT(w.PeakAbs(), 32767);
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, CMidiMusicFormatTest,
                         ::testing::Values(FormatCase{7, 11025, 1}, FormatCase{7, 22050, 1},
                                           FormatCase{7, 44100, 1}, FormatCase{8, 11025, 2},
                                           FormatCase{8, 22050, 2}, FormatCase{8, 44100, 2}));

TEST_F(CMidiMusicTest, StereoPanningReachesEachChannelAndMonoMixesThem) {
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.ControlChange(1, 0, 0, 10, 0);  // hard left
    w.Note(1, 0, 480, 0, 72, 110);
    ASSERT_TRUE(Render(w, "pan.mid", 8).ok());
    WavFile st = ReadWav("pan.mid");
    double left = 0, right = 0;
    for (size_t f = 0; f < st.Frames(); ++f) {
        left += std::abs(st.samples[2 * f]);
        right += std::abs(st.samples[2 * f + 1]);
    }
    EXPECT_GT(left, 4 * right);
    ASSERT_TRUE(Render(w, "pan.mid", 7).ok());
    WavFile mono = ReadWav("pan.mid");
    EXPECT_GT(mono.PeakAbs(), kSoundLevel);
}

TEST_F(CMidiMusicTest, SoundWhereNotesPlayAndSilenceWhereTheyDoNot) {
    // A short note at 0 s, a long gap, a note at 5 s.
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.Note(1, 0, 120, 0, 60, 110);
    w.Note(1, 4800, 240, 0, 67, 110);
    ASSERT_TRUE(Render(w, "gap.mid").ok());
    WavFile wav = ReadWav("gap.mid");
    EXPECT_GT(wav.PeakAbs(0, Frame(0.2, wav)), kSoundLevel);
    EXPECT_LE(wav.PeakAbs(Frame(4.0, wav), Frame(0.99, wav)), kSilenceLevel);
    EXPECT_GT(wav.PeakAbs(Frame(5.0, wav), Frame(0.2, wav)), kSoundLevel);
    // The second note starts at 5 s.
    EXPECT_EQ(wav.FirstFrameAbove(kSilenceLevel, Frame(4.0, wav)), BlockStart(110250) + OnsetAtZero(67, 22050));
}

size_t OnsetOf(const WavFile& w, size_t from = 0) { return w.FirstFrameAbove(kSilenceLevel, from); }

TEST_F(CMidiMusicTest, TempoChangeMovesANoteToItsSample) {
    // At 120 bpm tick 1920 is 2 s; slowing to 60 bpm at tick 960 (1 s)
    // puts it at 1 s + 960 ticks of 1/480 s = 3 s.
    MidiFileWriter plain(1, 480);
    plain.TempoBpm(0, 0, 120);
    plain.Note(1, 1920, 240, 0, 60, 110);
    MidiFileWriter slowed = plain;
    slowed.TempoBpm(0, 960, 60);
    ASSERT_TRUE(Render(plain, "plain.mid", 8, 44100).ok());
    ASSERT_TRUE(Render(slowed, "slowed.mid", 8, 44100).ok());
    WavFile a = ReadWav("plain.mid");
    WavFile b = ReadWav("slowed.mid");
    const size_t attack = OnsetAtZero(60, 44100);
    EXPECT_EQ(OnsetOf(a), BlockStart(88200) + attack);
    EXPECT_EQ(OnsetOf(b), BlockStart(132300) + attack);
    // Same note, same sound: only the start moved.
    EXPECT_EQ(b.PeakAbs(132300, 22050), a.PeakAbs(88200, 22050));
}

TEST_F(CMidiMusicTest, FrameBasedDivisionTimesNotesInSeconds) {
    // 25 frames per second, 40 ticks per frame: 1000 ticks per second.
    MidiFileWriter w(0, 480);
    w.SetSmpteDivision(25, 40);
    w.TempoBpm(0, 0, 30);  // tempo does not apply to frame-based files
    w.Note(0, 1500, 250, 0, 60, 110);
    EngineRenderResult r = Render(w, "smpte.mid", 8, 22050);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.length, 1750);
    WavFile wav = ReadWav("smpte.mid");
    EXPECT_EQ(OnsetOf(wav), BlockStart(33075) + OnsetAtZero(60, 22050));
    EXPECT_EQ(wav.Frames(), Frame(1.8 + 1.0, wav));
}

TEST_F(CMidiMusicTest, TwoRendersOfOneInputGiveIdenticalBytes) {
    MidiFileWriter w = NotesAt({0, 240, 480, 960});
    w.ControlChange(1, 0, 0, 91, 127);  // plenty of reverb
    w.ProgramChange(2, 0, 1, 48);
    w.Note(2, 0, 1400, 1, 55, 90);
    w.Note(2, 100, 30, 9, 38, 120);
    ASSERT_TRUE(Render(w, "same.mid").ok());
    const std::vector<uint8_t> first = ReadFileBytes(dir.File("same.mid.wav"));
    ASSERT_TRUE(Render(w, "same.mid").ok());
    EXPECT_EQ(first, ReadFileBytes(dir.File("same.mid.wav")));

    // Also as the second file of a run, after a different, louder file.
    MidiFileWriter other = NotesAt({0, 120, 240});
    other.ProgramChange(1, 0, 0, 30);
    other.ControlChange(1, 0, 0, 7, 127);
    ASSERT_TRUE(other.Write(dir.File("other.mid")));
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    ASSERT_TRUE(EngineRender::RenderWith(engine, dir.File("other.mid"), dir.File("other.wav")).ok());
    ASSERT_TRUE(EngineRender::RenderWith(engine, dir.File("same.mid"), dir.File("again.wav")).ok());
    engine.Shutdown();
    EXPECT_EQ(first, ReadFileBytes(dir.File("again.wav")));
}

TEST_F(CMidiMusicTest, FileFormatsZeroOneAndTwo) {
    // Format 0 and format 1 with the same notes sound the same.
    MidiFileWriter f0(0, 480);
    f0.TempoBpm(0, 0, 120);
    f0.Note(0, 0, 240, 0, 60, 100);
    f0.Note(0, 480, 240, 1, 64, 100);
    MidiFileWriter f1(1, 480);
    f1.TempoBpm(0, 0, 120);
    f1.Note(1, 0, 240, 0, 60, 100);
    f1.Note(2, 480, 240, 1, 64, 100);
    EngineRenderResult r0 = Render(f0, "f0.mid");
    EngineRenderResult r1 = Render(f1, "f1.mid");
    ASSERT_TRUE(r0.ok());
    ASSERT_TRUE(r1.ok());
    EXPECT_EQ(r0.length, 720);
    EXPECT_EQ(r1.length, 720);
    EXPECT_EQ(ReadWav("f0.mid").samples, ReadWav("f1.mid").samples);

    // Format 2: the second sequence follows the first.
    MidiFileWriter f2(2, 480);
    f2.TempoBpm(0, 0, 120);
    f2.Note(0, 0, 240, 0, 60, 100);
    f2.EndOfTrack(0, 960);  // first sequence: 1 s
    f2.Note(1, 0, 240, 0, 67, 110);
    EngineRenderResult r2 = Render(f2, "f2.mid");
    ASSERT_TRUE(r2.ok());
    EXPECT_EQ(r2.length, 960 + 240);
    WavFile w = ReadWav("f2.mid");
    EXPECT_LE(w.PeakAbs(Frame(0.9, w), Frame(0.1, w)), kSilenceLevel);
    EXPECT_EQ(OnsetOf(w, Frame(0.9, w)), BlockStart(22050) + OnsetAtZero(67, 22050));
}

TEST_F(CMidiMusicTest, RunningStatusAlsoAcrossMetaAndSysExSoundsLikeFullStatus) {
    MidiFileWriter base(1, 480);
    base.TempoBpm(0, 0, 120);
    base.SetNoteOffAsZeroVelocity(true);
    base.NoteOn(1, 0, 0, 60, 100);
    base.NoteOn(1, 0, 0, 64, 100);
    base.TrackName(1, 120, "between");
    base.NoteOn(1, 240, 0, 67, 100);
    base.SysEx(1, 300, {0x7D, 0x01});
    base.NoteOff(1, 480, 0, 60);
    base.NoteOff(1, 480, 0, 64);
    base.NoteOff(1, 480, 0, 67);
    ASSERT_TRUE(Render(base, "full.mid").ok());
    const std::vector<int16_t> full = ReadWav("full.mid").samples;
    EXPECT_GT(ReadWav("full.mid").PeakAbs(), kSoundLevel);

    MidiFileWriter running = base;
    running.SetRunningStatus(MidiFileWriter::RunningStatus::On);
    ASSERT_TRUE(Render(running, "running.mid").ok());
    EXPECT_EQ(ReadWav("running.mid").samples, full);

    MidiFileWriter across = base;
    across.SetRunningStatus(MidiFileWriter::RunningStatus::AcrossMetaSysEx);
    ASSERT_LT(across.Build().size(), running.Build().size());
    ASSERT_TRUE(Render(across, "across.mid").ok());
    EXPECT_EQ(ReadWav("across.mid").samples, full);
}

TEST_F(CMidiMusicTest, RiffWrappedFilePlaysLikeThePlainOne) {
    MidiFileWriter w = NotesAt({0, 480});
    ASSERT_TRUE(Render(w, "plain.mid").ok());
    ASSERT_TRUE(w.WriteRmi(dir.File("wrapped.rmi")));
    EngineRenderResult r = EngineRender::Render(dir.File("wrapped.rmi"), dir.File("wrapped.rmi.wav"), 8, 22050);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.length, 720);
    EXPECT_EQ(ReadWav("wrapped.rmi").samples, ReadWav("plain.mid").samples);
}

TEST_F(CMidiMusicTest, DamagedFilesPlayWhatCanBeRead) {
    MidiFileWriter w = NotesAt({0, 480, 960});
    ASSERT_TRUE(Render(w, "clean.mid").ok());
    const std::vector<int16_t> clean = ReadWav("clean.mid").samples;

    // Trailing garbage after the last track.
    std::vector<uint8_t> bytes = w.Build();
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<uint8_t>(i * 37));
    ASSERT_TRUE(MidiFileWriter::WriteBytes(dir.File("garbage.mid"), bytes));
    EngineRenderResult g = EngineRender::Render(dir.File("garbage.mid"), dir.File("garbage.mid.wav"), 8, 22050);
    ASSERT_TRUE(g.ok());
    EXPECT_EQ(ReadWav("garbage.mid").samples, clean);

    // No end-of-track event.
    MidiFileWriter noEnd = w;
    noEnd.SetAutoEndOfTrack(false);
    ASSERT_TRUE(Render(noEnd, "noend.mid").ok());
    EXPECT_EQ(ReadWav("noend.mid").samples, clean);

    // The last track cut off after its second note-on.
    std::vector<uint8_t> cut = w.Build();
    cut.resize(cut.size() - 12);
    ASSERT_TRUE(MidiFileWriter::WriteBytes(dir.File("cut.mid"), cut));
    EngineRenderResult c = EngineRender::Render(dir.File("cut.mid"), dir.File("cut.mid.wav"), 8, 22050);
    ASSERT_TRUE(c.ok());
    EXPECT_GT(c.length, 0);
    EXPECT_LT(c.length, 1200);
    WavFile cw = ReadWav("cut.mid");
    EXPECT_GT(cw.PeakAbs(0, Frame(0.3, cw)), kSoundLevel);
}

// Channel 0 silenced by its volume, a reset, then a note: the reset brings
// the volume back, so the note sounds.
MidiFileWriter MutedThenReset(void (MidiFileWriter::*reset)(int, uint32_t)) {
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.ControlChange(1, 0, 0, 7, 0);
    if (reset != nullptr) (w.*reset)(1, 10);
    w.Note(1, 20, 240, 0, 60, 110);
    return w;
}

TEST_F(CMidiMusicTest, GmGsAndXgResetsReachTheSynthesizer) {
    ASSERT_TRUE(Render(MutedThenReset(nullptr), "muted.mid").ok());
    EXPECT_LE(ReadWav("muted.mid").PeakAbs(), kSilenceLevel);
    for (auto [reset, name] : {std::pair{&MidiFileWriter::GmReset, "gm.mid"}, std::pair{&MidiFileWriter::GsReset, "gs.mid"},
                               std::pair{&MidiFileWriter::XgReset, "xg.mid"}}) {
        ASSERT_TRUE(Render(MutedThenReset(reset), name).ok());
        EXPECT_GT(ReadWav(name).PeakAbs(), kSoundLevel) << name;
    }
}

TEST_F(CMidiMusicTest, GsDrumPartSysExMakesAChannelPlayDrums) {
    // Key 42 (closed hi-hat) on channel 2: a piano note unless the channel
    // is made a rhythm part. The GS message "use for rhythm part" for part
    // 3 (channel 2) is 40 13 15 01 with its checksum; the device number
    // 0x11 (another GS module) is answered as well.
    MidiFileWriter piano(1, 480);
    piano.TempoBpm(0, 0, 120);
    piano.Note(1, 20, 240, 2, 42, 110);
    MidiFileWriter drums = piano;
    drums.SysEx(1, 0, {0x41, 0x11, 0x42, 0x12, 0x40, 0x13, 0x15, 0x01, 0x17});
    ASSERT_TRUE(Render(piano, "piano.mid").ok());
    ASSERT_TRUE(Render(drums, "drums.mid").ok());
    WavFile p = ReadWav("piano.mid");
    WavFile d = ReadWav("drums.mid");
    EXPECT_GT(p.PeakAbs(), kSoundLevel);
    EXPECT_GT(d.PeakAbs(), kSoundLevel);
    EXPECT_NE(p.samples, d.samples);
    // Against the same hit on the drum channel itself.
    MidiFileWriter ch9(1, 480);
    ch9.TempoBpm(0, 0, 120);
    ch9.Note(1, 20, 240, 9, 42, 110);
    ASSERT_TRUE(Render(ch9, "ch9.mid").ok());
    EXPECT_EQ(ReadWav("ch9.mid").samples, d.samples);
}

TEST_F(CMidiMusicTest, FileWithoutNotesLastsToItsLastEvent) {
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.ProgramChange(1, 100, 0, 5);
    w.TrackName(1, 2000, "no notes");
    EngineRenderResult r = Render(w, "nonotes.mid");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.length, 2000);
    EXPECT_EQ(r.lastPosition, r.length);
    WavFile wav = ReadWav("nonotes.mid");
    EXPECT_GE(wav.Frames(), Frame(2000 / 960.0 + 1.0, wav));
    EXPECT_LE(wav.PeakAbs(), kSilenceLevel);
}

TEST_F(CMidiMusicTest, LoadFailuresReturnNegativeAndLeaveNoSegment) {
    ASSERT_TRUE(NotesAt({0}).Write(dir.File("good.mid")));
    ASSERT_TRUE(MidiFileWriter::WriteBytes(dir.File("empty.mid"), {}));
    ASSERT_TRUE(MidiFileWriter::WriteBytes(dir.File("text.mid"), {'h', 'e', 'l', 'l', 'o', '\n'}));
    std::vector<uint8_t> shortHeader{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    ASSERT_TRUE(MidiFileWriter::WriteBytes(dir.File("short.mid"), shortHeader));
    MidiFileWriter zeroDivision(1, 0);
    zeroDivision.Note(0, 0, 10, 0, 60, 100);
    ASSERT_TRUE(zeroDivision.Write(dir.File("zerodiv.mid")));

    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    for (const char* bad : {"missing.mid", "empty.mid", "text.mid", "short.mid", "zerodiv.mid"}) {
        ASSERT_EQ(engine.LoadMidiFile(dir.File("good.mid"), true), 0);
        int64_t length = -5;
        EXPECT_EQ(engine.GetLength(&length), 0);
        EXPECT_LT(engine.LoadMidiFile(dir.File(bad), true), 0) << bad;
        EXPECT_LT(engine.GetLength(&length), 0) << bad;
        EXPECT_LT(engine.Play(), 0) << bad;
    }
    EXPECT_EQ(engine.LoadMidiFile(dir.File("missing.mid"), true), audio::kNotFound);
    EXPECT_TRUE(sink.messages.empty());
    engine.Shutdown();
}

TEST_F(CMidiMusicTest, StopReleasesNotesAndPedalsSoTheTailDiesAway) {
    // A long organ-free piano chord held by the sustain pedal; the run stops
    // after 1 s (the file's length is the last event, the pedal release at
    // 10 s, so stop early by hand).
    MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.ControlChange(1, 0, 0, 64, 127);
    w.ControlChange(1, 0, 0, 66, 127);
    w.Note(1, 0, 200, 0, 60, 110);
    w.Note(1, 0, 9600, 0, 64, 110);
    w.ControlChange(1, 9600, 0, 64, 0);
    ASSERT_TRUE(w.Write(dir.File("held.mid")));

    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    void* object = nullptr;
    ASSERT_EQ(engine.ClearAudioFX(), 0);
    ASSERT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 0);
    auto* capture = static_cast<IWaveCaptureFx*>(object);
    ASSERT_EQ(engine.LoadMidiFile(dir.File("held.mid"), true), 0);
    WaveFormatEx format{};
    ASSERT_EQ(engine.GetBufferFormat(&format), 0);
    ASSERT_EQ(capture->StartCapture(dir.File("held.wav").c_str(), &format), 0);
    ASSERT_EQ(engine.Play(), 0);
    for (int i = 0; i < 10; ++i) engine.WaitRenderClock(100);
    int64_t position = 0;
    ASSERT_EQ(engine.GetSeek(&position), 0);
    EXPECT_EQ(position, 960);
    EXPECT_EQ(engine.Stop(), 1);
    engine.WaitRenderClock(1000);
    ASSERT_EQ(capture->StopCapture(), 0);
    engine.Shutdown();

    WavFile wav;
    ASSERT_TRUE(wav.Read(dir.File("held.wav")));
    ASSERT_EQ(wav.Frames(), 44100u);
    // Not cut at the stop: the release goes on for a while ...
    EXPECT_GT(wav.Rms(22050 + 64, 1100), 0.05 * wav.Rms(22050 - 1100, 1100));
    // ... and dies away within the second.
    EXPECT_LT(wav.Rms(44100 - 2205, 2205), 0.1 * wav.Rms(22050 - 1100, 1100));
}

TEST_F(CMidiMusicTest, RenderClockRendersExactlyTheTimeAskedFor) {
    ASSERT_TRUE(NotesAt({0}).Write(dir.File("clock.mid")));
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 7, 11025), 0);
    void* object = nullptr;
    ASSERT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 0);
    auto* capture = static_cast<IWaveCaptureFx*>(object);
    ASSERT_EQ(engine.LoadMidiFile(dir.File("clock.mid"), true), 0);
    WaveFormatEx format{};
    engine.GetBufferFormat(&format);
    ASSERT_EQ(capture->StartCapture(dir.File("clock.wav").c_str(), &format), 0);
    ASSERT_EQ(engine.Play(), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(engine.WaitRenderClock(333), 0);
    EXPECT_EQ(engine.WaitRenderClock(0), 1);
    capture->StopCapture();
    engine.Shutdown();
    WavFile wav;
    ASSERT_TRUE(wav.Read(dir.File("clock.wav")));
    EXPECT_EQ(wav.Frames(), 999u * 11025 / 1000);
}

TEST_F(CMidiMusicTest, CaptureThatCannotOpenItsFileFailsAndTheAudioKeepsFlowing) {
    ASSERT_TRUE(NotesAt({0, 480, 960, 1440}).Write(dir.File("flow.mid")));
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    void* object = nullptr;
    ASSERT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 0);
    auto* capture = static_cast<IWaveCaptureFx*>(object);
    ASSERT_EQ(engine.LoadMidiFile(dir.File("flow.mid"), true), 0);
    WaveFormatEx format{};
    engine.GetBufferFormat(&format);
    EXPECT_LT(capture->StartCapture(dir.File("no/such/folder/x.wav").c_str(), &format), 0);
    ASSERT_EQ(engine.Play(), 0);
    engine.WaitRenderClock(500);
    int64_t position = 0;
    ASSERT_EQ(engine.GetSeek(&position), 0);
    EXPECT_EQ(position, 480);
    // A capture started now gets the rest of the music.
    ASSERT_EQ(capture->StartCapture(dir.File("rest.wav").c_str(), &format), 0);
    engine.WaitRenderClock(1000);
    EXPECT_EQ(capture->StopCapture(), 0);
    EXPECT_EQ(capture->StopCapture(), 1);
    engine.Shutdown();
    WavFile wav;
    ASSERT_TRUE(wav.Read(dir.File("rest.wav")));
    EXPECT_EQ(wav.Frames(), 22050u);
    EXPECT_GT(wav.PeakAbs(), kSoundLevel);
}

TEST_F(CMidiMusicTest, CallsOutOfOrderFailWithoutHarm) {
    CMidiMusic engine(&sink);
    PortInfo info;
    int64_t value = 0;
    WaveFormatEx format{};
    void* object = nullptr;
    EXPECT_LT(engine.EnumPort(0, &info), 0);
    EXPECT_LT(engine.CreatePort(info), 0);
    EXPECT_LT(engine.LoadMidiFile(dir.File("x.mid"), true), 0);
    EXPECT_LT(engine.Play(), 0);
    EXPECT_LT(engine.GetLength(&value), 0);
    EXPECT_LT(engine.GetSeek(&value), 0);
    EXPECT_EQ(engine.ClearAudioFX(), 1);
    EXPECT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 1);
    EXPECT_LT(engine.GetBufferFormat(&format), 0);
    EXPECT_EQ(engine.Stop(), 1);

    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    EXPECT_LT(engine.Play(), 0);            // nothing loaded
    EXPECT_LT(engine.GetSeek(&value), 0);   // nothing playing
    EXPECT_LT(engine.GetBufferFormat(nullptr), 0);
    EXPECT_EQ(engine.Shutdown(), 0);
    EXPECT_EQ(engine.Shutdown(), 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(CMidiMusicTest, InitializeFailuresLeaveNoBufferAndShutdownStillWorks) {
    CMidiMusic engine(&sink);
    void* object = nullptr;
    WaveFormatEx format{};
    EXPECT_LT(engine.Initialize(EngineMode::Render, 8, 1000), 0);   // rate out of range
    EXPECT_LT(engine.Initialize(EngineMode::Render, 5, 22050), 0);  // no such path type
    EXPECT_EQ(engine.ClearAudioFX(), 1);
    EXPECT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 1);
    EXPECT_EQ(object, nullptr);
    EXPECT_LT(engine.GetBufferFormat(&format), 0);
    EXPECT_EQ(engine.Shutdown(), 0);

    // No SoundFont anywhere.
    SoundFontCatalog::SetPreferredSoundFont("");
    SoundFontCatalog::SetSearchFolders({dir.Path()});
    EXPECT_LT(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    EXPECT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 1);
    EXPECT_EQ(engine.Shutdown(), 0);
    EXPECT_TRUE(sink.messages.empty());

    // And the same engine starts again once there is one.
    SoundFontCatalog::SetPreferredSoundFont(kSmallSoundFont);
    EXPECT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    EXPECT_EQ(engine.GetBufferFormat(&format), 0);
    EXPECT_EQ(engine.Shutdown(), 0);
}

TEST_F(CMidiMusicTest, SetAudioFxFailuresShowTheEngineMessages) {
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    void* object = nullptr;
    const Guid unknown{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(engine.SetAudioFX(unknown, IID_IWaveCaptureFx, &object), audio::kNoClass);
    EXPECT_THAT(sink.messages, ::testing::ElementsAre("m_lpDSB8->SetFX error!",
                                                       "m_lpDSB8->SetFX error!, return valud:-2147221164, result code:5"));
    sink.messages.clear();
    EXPECT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, unknown, &object), audio::kNoInterface);
    EXPECT_THAT(sink.messages,
                ::testing::ElementsAre("m_lpDSB8->GetObjectInPath( m_rgFxDesc.guidDSFXClass..) error!"));
    EXPECT_EQ(object, nullptr);
    sink.messages.clear();
    EXPECT_EQ(engine.ClearAudioFX(), 0);
    EXPECT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 0);
    EXPECT_NE(object, nullptr);
    EXPECT_TRUE(sink.messages.empty());
    engine.Shutdown();
}

TEST_F(CMidiMusicTest, ReportErrorFormatsTheTextCodeAndResult) {
    RecordingSink local;
    ReportError(&local, "midiMusic.Play", -2147467259, 4);
    EXPECT_THAT(local.messages, ::testing::ElementsAre("midiMusic.Play, return valud:-2147467259, result code:4"));
    // Without a sink nobody sees it: it goes to the diagnostic log only.
    const testsupport::DiagnosticLogLines logged;
    ::testing::internal::CaptureStderr();
    ReportError(nullptr, "x", 1, -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_THAT(logged.lines, ::testing::ElementsAre("x, return valud:1, result code:-1"));
}

TEST_F(CMidiMusicTest, PortsListEachSoundFontOnceAndEnumEndsWithOne) {
    SoundFontCatalog::SetPreferredSoundFont("");
    SoundFontCatalog::SetSearchFolders({dir.Path()});
    std::filesystem::create_symlink(kSmallSoundFont, dir.File("a.sf2"));
    std::filesystem::create_symlink(kSmallSoundFont, dir.File("b.SF2"));
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    PortInfo info;
    ASSERT_EQ(engine.EnumPort(0, &info), 0);
    EXPECT_STREQ(info.szDescription, "TimGM6mb (SoundFont synthesizer)");
    EXPECT_EQ(info.dwClass, DMUS_PC_OUTPUTCLASS);
    EXPECT_TRUE(info.dwFlags & DMUS_PC_AUDIOPATH);
    EXPECT_EQ(info.dwMaxVoices, 256u);
    EXPECT_EQ(info.guidPort, SoundFontCatalog::GuidForPath(kSmallSoundFont));
    EXPECT_EQ(engine.EnumPort(1, &info), 1);
    EXPECT_EQ(engine.EnumPort(2, &info), 1);
    EXPECT_LT(engine.EnumPort(-1, &info), 0);
    engine.Shutdown();
}

TEST_F(CMidiMusicTest, CreatePortPlaysWithThatPortsSoundFont) {
    if (!platform::FileExists(kLargeSoundFont)) GTEST_SKIP() << "needs " << kLargeSoundFont;
    SoundFontCatalog::SetSearchFolders({});
    SoundFontCatalog::SetPreferredSoundFont(kSmallSoundFont);
    MidiFileWriter w = NotesAt({0});
    ASSERT_TRUE(w.Write(dir.File("port.mid")));
    ASSERT_TRUE(EngineRender::Render(dir.File("port.mid"), dir.File("small.wav"), 8, 22050).ok());

    // The large SoundFont as the only listed port but the small one first.
    TempDir fonts;
    std::filesystem::create_symlink(kLargeSoundFont, fonts.File("large.sf2"));
    SoundFontCatalog::SetSearchFolders({fonts.Path()});
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::Render, 8, 22050), 0);
    PortInfo info;
    ASSERT_EQ(engine.EnumPort(1, &info), 0);
    EXPECT_STREQ(info.szDescription, "FluidR3_GM (SoundFont synthesizer)");
    EXPECT_EQ(engine.EnumPort(2, &info), 1);
    ASSERT_EQ(engine.CreatePort(info), 0);
    ASSERT_TRUE(EngineRender::RenderWith(engine, dir.File("port.mid"), dir.File("large.wav")).ok());
    PortInfo unknown = info;
    unknown.guidPort.data1 ^= 1;
    EXPECT_LT(engine.CreatePort(unknown), 0);
    engine.Shutdown();

    WavFile small, large;
    ASSERT_TRUE(small.Read(dir.File("small.wav")));
    ASSERT_TRUE(large.Read(dir.File("large.wav")));
    EXPECT_EQ(small.Frames(), large.Frames());
    EXPECT_GT(large.PeakAbs(), kSoundLevel);
    EXPECT_NE(small.samples, large.samples);
}

TEST_F(CMidiMusicTest, PreListenModeHasNoRenderBufferAndPlaysInRealTime) {
    audio::PreListenOutput::SetDriverOrder({"null"});
    ASSERT_TRUE(NotesAt({0, 480, 960, 1440, 1920}).Write(dir.File("listen.mid")));
    CMidiMusic engine(&sink);
    ASSERT_EQ(engine.Initialize(EngineMode::PreListen, 8, 22050), 0);
    void* object = nullptr;
    WaveFormatEx format{};
    EXPECT_EQ(engine.ClearAudioFX(), 1);
    EXPECT_EQ(engine.SetAudioFX(CLSID_WaveCaptureFx, IID_IWaveCaptureFx, &object), 1);
    EXPECT_EQ(object, nullptr);
    EXPECT_LT(engine.GetBufferFormat(&format), 0);
    PortInfo info;
    ASSERT_EQ(engine.EnumPort(0, &info), 0);
    EXPECT_EQ(engine.CreatePort(info), 0);
    ASSERT_EQ(engine.LoadMidiFile(dir.File("listen.mid"), true), 0);
    ASSERT_EQ(engine.Play(), 0);
    int64_t position = 0;
    for (int i = 0; i < 100 && position == 0; ++i) {
        engine.WaitRenderClock(50);
        ASSERT_EQ(engine.GetSeek(&position), 0);
    }
    EXPECT_GT(position, 0);
    EXPECT_EQ(engine.Stop(), 1);
    EXPECT_EQ(engine.Shutdown(), 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(CMidiMusicTest, PreListenInitializeFailsWhenNoOutputOpens) {
    audio::PreListenOutput::SetDriverOrder({"no-such-driver"});
    CMidiMusic engine(&sink);
    EXPECT_LT(engine.Initialize(EngineMode::PreListen, 8, 22050), 0);
    PortInfo info;
    EXPECT_LT(engine.EnumPort(0, &info), 0);
    EXPECT_EQ(engine.Shutdown(), 0);
}

}  // namespace
}  // namespace tonalbox

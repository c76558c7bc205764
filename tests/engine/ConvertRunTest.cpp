#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <thread>

#include "RecordingFrontEnd.h"
#include "RunTestSupport.h"
#include "audioprobe/WavFile.h"
#include "engine/CConversionRun.h"
#include "engine/ConvertThreadProc.h"
#include "midigen/MidiFileWriter.h"
#include "platform/ProgramPaths.h"
#include "platform/audio/SoundFontCatalog.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/TempDir.h"
#include "tests/support/TmpfsMount.h"

namespace tonalbox {
namespace {

using testsupport::RecordingFrontEnd;
using testsupport::ScopedFileSizeLimit;
using testsupport::ScopedTempFolder;
using testsupport::TempDir;
using testsupport::TmpfsMount;
using testsupport::VectorPathList;
using audioprobe::WavFile;
using Kind = RecordingFrontEnd::Kind;

constexpr OutputFormat kWav = OutputFormat::Wav;
constexpr OutputFormat kMp3 = OutputFormat::Mp3;
constexpr OutputFormat kFlac = OutputFormat::Flac;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool IsFifo(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// A job over a copy of `settings` and a list the test keeps alive.
ConvertJob JobFor(const ConversionSettings& settings, IPathList& paths,
                  IConvertFrontEnd* frontEnd) {
    return {.settings = settings,
            .paths = std::shared_ptr<IPathList>(&paths, [](IPathList*) {}),
            .frontEnd = frontEnd};
}

// Settings for small, quick WAV outputs (11025 Hz mono) into folder.
ConversionSettings SmallWavSettings(const std::string& folder, OutputFormat format) {
    auto settings = testsupport::TestSettings(folder, format);
    settings.m_nWavSampleRate = 11025;
    settings.m_nWavChannels = 1;
    return settings;
}

class ConvertRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::UseTestSoundFont(); }

    void SetUp() override {
        ASSERT_FALSE(m_dir.Path().empty());
        std::filesystem::create_directories(Src(""));
        std::filesystem::create_directories(Out(""));
    }

    std::string Src(const std::string& name) const { return m_dir.Path() + "/src/" + name; }
    std::string Out(const std::string& name) const { return m_dir.Path() + "/out/" + name; }

    std::string Piece(const std::string& name, int seconds) {
        const std::string path = Src(name);
        EXPECT_TRUE(testsupport::WritePiece(path, seconds));
        return path;
    }

    // Runs a job over a copy of `settings`; what the run wrote back is
    // copied into `settings` afterwards.
    void Run(ConversionSettings& settings, IPathList& paths) {
        ConvertJob job = JobFor(settings, paths, &m_frontEnd);
        EXPECT_EQ(RunConversion(job), 0);
        settings = job.settings;
    }

    // Writes the piece as Src(name + ".mid"), converts it alone to a small
    // WAV and returns that WAV's length in seconds (-1 when unreadable).
    double RenderedSeconds(const midigen::MidiFileWriter& writer, const std::string& name) {
        EXPECT_TRUE(writer.Write(Src(name + ".mid")));
        VectorPathList paths({Src(name + ".mid")});
        auto settings = SmallWavSettings(Out(""), kWav);
        Run(settings, paths);
        WavFile wav;
        if (!wav.Read(Out(name + ".wav"))) {
            ADD_FAILURE() << wav.Error();
            return -1.0;
        }
        return wav.Seconds();
    }

    // The run ended exactly once and left no temporary file behind.
    void ExpectCleanEnd() {
        EXPECT_EQ(m_frontEnd.DoneCount(), 1);
        const auto events = m_frontEnd.Events();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, Kind::Done);
        EXPECT_TRUE(m_temp.CaptureFiles().empty());
    }

    // Converts an 8 s a.mid, whose output holds "old" before the run, and a
    // 1 s b.mid with `settings` into a folder of their own named after the
    // format, `frontEnd` watching. The old output must stay, the run end
    // once and leave no temporary file; returns the names in the folder.
    std::vector<std::string> ConvertOverAnOldOutput(ConversionSettings settings, RecordingFrontEnd& frontEnd) {
        const std::string ext(options::OutputExtension(settings.m_nOutputFormat));
        const std::string out = Out(ext + "/");
        std::filesystem::create_directories(out);
        { std::ofstream(out + "a." + ext) << "old"; }
        VectorPathList paths({Piece("a.mid", 8), Piece("b.mid", 1)});
        settings.m_strOutputFolder = out;
        ConvertJob job = JobFor(settings, paths, &frontEnd);
        RunConversion(job);
        EXPECT_TRUE(ReadText(out + "a." + ext) == "old") << "the file it was to replace stays";
        EXPECT_EQ(frontEnd.DoneCount(), 1);
        EXPECT_TRUE(m_temp.CaptureFiles().empty());
        return NamesIn(out);
    }

    TempDir m_dir{"tonalbox-run"};
    ScopedTempFolder m_temp;
    RecordingFrontEnd m_frontEnd;
};

TEST_F(ConvertRun, EveryEntryShowsItsCounterAndAMissingFileIsSkipped) {
    const std::string missing = Src("missing.mid");
    VectorPathList paths({Piece("a.mid", 1), missing, Piece("c.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);

    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.Counters(), (std::vector<std::string>{"1/3", "2/3", "3/3"}));
    EXPECT_EQ(m_frontEnd.Names(), (std::vector<std::string>{"a.mid", "missing.mid", "c.mid"}));
    EXPECT_EQ(m_frontEnd.Messages(), std::vector<std::string>{"Can not find file: " + missing + "."});
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 2);
    WavFile a, c;
    EXPECT_TRUE(a.Read(Out("a.wav"))) << a.Error();
    EXPECT_TRUE(c.Read(Out("c.wav"))) << c.Error();
    EXPECT_FALSE(platform::FileExists(Out("missing.wav")));
    ExpectCleanEnd();
}

TEST_F(ConvertRun, EveryEntryIsStartedAndEndedInOrderAndTheRunEndsOnce) {
    using Status = EntryResult::Status;
    struct Entry {
        std::string source;
        Status status;
        std::string output;  // empty: none was formed
        std::string message;
    };
    { std::ofstream(Out("c.wav")) << "keep me"; }
    const std::vector<Entry> entries = {
        {Piece("a.mid", 1), Status::Converted, Out("a.wav"), ""},
        {Src("gone.mid"), Status::Failed, "", "Can not find file: " + Src("gone.mid") + "."},
        {Piece("c.mid", 1), Status::Skipped, Out("c.wav"),
         "the file: " + Out("c.wav") + " have exist. writeover it? "},
    };
    VectorPathList paths;
    for (const auto& entry : entries) paths.Add(entry.source);
    auto settings = SmallWavSettings(Out(""), kWav);
    settings.m_bOverwrite = 0;
    Run(settings, paths);

    const auto events = m_frontEnd.Events();
    size_t at = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        SCOPED_TRACE(entry.source);
        ASSERT_LT(at, events.size());
        EXPECT_EQ(events[at].kind, Kind::Started);
        EXPECT_EQ(events[at].text, platform::FileNameOf(entry.source));
        EXPECT_EQ(events[at].value, static_cast<int>(i));
        EXPECT_EQ(events[at].count, static_cast<int>(entries.size()));
        bool progressed = false;
        for (++at; at < events.size() && events[at].kind != Kind::Ended; ++at) {
            EXPECT_NE(events[at].kind, Kind::Started);
            progressed = progressed || events[at].kind == Kind::Progress;
        }
        ASSERT_LT(at, events.size());
        const EntryResult& result = events[at++].result;
        const bool converted = entry.status == Status::Converted;
        EXPECT_EQ(progressed, converted);
        EXPECT_EQ(result.status, entry.status);
        EXPECT_EQ(result.output, entry.output);
        EXPECT_EQ(result.message, entry.message);
        EXPECT_EQ(result.musicSeconds > 0.0, converted);
        EXPECT_EQ(result.bytes, converted ? std::filesystem::file_size(entry.output) : 0u);
    }
    ASSERT_EQ(at + 1, events.size()) << "the run's end comes last, once";
    EXPECT_EQ(events[at].kind, Kind::Done);
}

TEST_F(ConvertRun, EmptyListEndsAtOnceWithTheEndNotice) {
    VectorPathList paths;
    auto settings = testsupport::TestSettings(Out(""), kMp3);
    Run(settings, paths);
    const auto events = m_frontEnd.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::Done);
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 0);
    ExpectCleanEnd();
}

TEST_F(ConvertRun, ExistingOutputWithOverwriteOffAsksAndNoKeepsIt) {
    { std::ofstream(Out("a.wav")) << "keep me"; }
    VectorPathList paths({Piece("a.mid", 1), Piece("b.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    settings.m_bOverwrite = 0;

    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.Questions(), std::vector<std::string>{Out("a.wav")});
    EXPECT_EQ(ReadText(Out("a.wav")), "keep me");
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    WavFile b;
    EXPECT_TRUE(b.Read(Out("b.wav"))) << b.Error();
    ExpectCleanEnd();
}

TEST_F(ConvertRun, ExistingOutputIsReplacedOnYesOrWithOverwriteOn) {
    VectorPathList paths({Piece("a.mid", 1)});
    for (int overwrite : {0, 1}) {
        SCOPED_TRACE(overwrite);
        RecordingFrontEnd frontEnd;
        frontEnd.answerYes = true;
        { std::ofstream(Out("a.wav")) << "old"; }
        auto settings = testsupport::TestSettings(Out(""), kWav);
        settings.m_bOverwrite = overwrite;
        ConvertJob job = JobFor(settings, paths, &frontEnd);
        RunConversion(job);
        EXPECT_EQ(frontEnd.Questions().size(), overwrite ? 0u : 1u);
        WavFile a;
        EXPECT_TRUE(a.Read(Out("a.wav"))) << a.Error();
        EXPECT_EQ(frontEnd.SuccessCounter().load(), 1);
    }
}

TEST_F(ConvertRun, SameAsSourcePutsTheOutputNextToTheSource) {
    VectorPathList paths({Piece("tune.mid", 1), Piece("a.midi", 1)});
    auto settings = testsupport::TestSettings(Out(""), kMp3);
    settings.m_bSameAsSource = 1;
    settings.m_tag.m_strTitle = "Same place";

    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 2);
    for (const char* name : {"tune.mp3", "a.mp3"}) {
        const std::string mp3 = ReadText(Src(name));
        ASSERT_GT(mp3.size(), 128u) << name;
        EXPECT_EQ(mp3.substr(mp3.size() - 128, 3), "TAG") << name;
        EXPECT_EQ(mp3.substr(mp3.size() - 125, 10), "Same place") << name;
        EXPECT_EQ(mp3.substr(mp3.size() - 95, std::strlen(name) + 1), name + std::string(1, '\0'));
    }
    EXPECT_FALSE(platform::FileExists(Src("a.mmp3")));
    EXPECT_TRUE(std::filesystem::is_empty(Out("")));
    ExpectCleanEnd();
}

TEST_F(ConvertRun, AMidiFileNamedLikeItsOutputIsNeverOverwritten) {
    // "song.wav" holding MIDI data, converted to WAV next to itself.
    const std::string midi = Piece("song.mid", 1);
    const std::string named = Src("song.wav");
    std::filesystem::rename(midi, named);
    const std::string before = ReadText(named);
    VectorPathList paths({named, Piece("b.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    settings.m_bSameAsSource = 1;

    Run(settings, paths);

    EXPECT_EQ(ReadText(named), before);
    ASSERT_EQ(m_frontEnd.Messages().size(), 1u);
    EXPECT_EQ(m_frontEnd.Messages()[0],
              "The output file would replace its own MIDI file: " + named + ".");
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    WavFile b;
    EXPECT_TRUE(b.Read(Src("b.wav"))) << b.Error();
    ExpectCleanEnd();
}

TEST_F(ConvertRun, AnOutputWrittenInTheRunIsNotReplacedFromAnotherSource) {
    // b/y.mid would replace the output of a/y.mid: refused. The list may
    // hold one file twice (here spelled another way): converted each time.
    std::filesystem::create_directories(Src("a"));
    std::filesystem::create_directories(Src("b"));
    VectorPathList paths({Piece("a/y.mid", 2), Piece("b/y.mid", 1), Src("b/../a/y.mid")});
    auto settings = SmallWavSettings(Out(""), kWav);
    Run(settings, paths);
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 2);
    EXPECT_EQ(m_frontEnd.Messages(), std::vector<std::string>{"Output already written in this run: " + Out("y.wav") + "."});
    WavFile y;
    ASSERT_TRUE(y.Read(Out("y.wav"))) << y.Error();
    EXPECT_NEAR(y.Seconds(), 3.0, 0.3) << "the first source's audio";
}

TEST_F(ConvertRun, CancelDuringTheSecondOfThreeKeepsOnlyTheFirst) {
    VectorPathList paths({Piece("a.mid", 1), Piece("b.mid", 4), Piece("c.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    std::string counter;
    m_frontEnd.onEvent = [&](RecordingFrontEnd& fe, const RecordingFrontEnd::Event& e) {
        if (e.kind == Kind::Started) counter = RecordingFrontEnd::CounterOf(e);
        if (e.kind == Kind::Progress && counter == "2/3" && e.value > 10) fe.CancelFlag() = 1;
    };

    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    EXPECT_EQ(m_frontEnd.Counters(), (std::vector<std::string>{"1/3", "2/3"}));
    const auto results = m_frontEnd.Results();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].status, EntryResult::Status::Cancelled);
    WavFile a;
    EXPECT_TRUE(a.Read(Out("a.wav"))) << a.Error();
    EXPECT_FALSE(platform::FileExists(Out("b.wav")));
    EXPECT_FALSE(platform::FileExists(Out("c.wav")));
    EXPECT_TRUE(m_frontEnd.Messages().empty());
    ExpectCleanEnd();
}

TEST_F(ConvertRun, CancelDuringEncodingRemovesThePartialOutputAndEndsTheRun) {
    for (OutputFormat format : {kMp3, OutputFormat::Ogg}) {
        const std::string ext(options::OutputExtension(format));
        SCOPED_TRACE(ext);
        RecordingFrontEnd frontEnd;
        frontEnd.onEvent = [&](RecordingFrontEnd& fe, const RecordingFrontEnd::Event& e) {
            if (e.kind == Kind::Progress && e.value > 75) fe.CancelFlag() = 1;
        };
        const auto names = ConvertOverAnOldOutput(testsupport::TestSettings("", format), frontEnd);

        EXPECT_EQ(frontEnd.SuccessCounter().load(), 0);
        EXPECT_EQ(names, std::vector<std::string>{"a." + ext});
        EXPECT_EQ(frontEnd.Counters(), std::vector<std::string>{"1/2"});
    }
}

TEST_F(ConvertRun, Mp3ProgressReaches75FromRenderingAnd100FromEncoding) {
    VectorPathList paths({Piece("a.mid", 3)});
    auto settings = testsupport::TestSettings(Out(""), kMp3);
    Run(settings, paths);

    const auto values = m_frontEnd.ProgressValues();
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    const auto rendered = std::find(values.begin(), values.end(), 75);
    ASSERT_NE(rendered, values.end()) << "rendering must fill the bar to 75";
    EXPECT_GT(rendered - values.begin(), 1) << "the bar moves while rendering";
    EXPECT_EQ(values.back(), 100);
    // The run leaves the rendered format in the MP3 block.
    EXPECT_EQ(settings.m_mp3.m_nInSampleRate, 22050);
    EXPECT_EQ(settings.m_mp3.m_nInChannels, 2);
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
}

TEST_F(ConvertRun, WavProgressReaches100FromRenderingAlone) {
    VectorPathList paths({Piece("a.mid", 3)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    Run(settings, paths);

    const auto values = m_frontEnd.ProgressValues();
    ASSERT_GT(values.size(), 2u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), 100);
    EXPECT_LT(values.front(), 100);
}

TEST_F(ConvertRun, SlowestTickStillPlaysToTheEnd) {
    // One tick per quarter at the slowest tempo a file can hold: the play
    // position moves once every 16.8 s, and the piece is two ticks long.
    midigen::MidiFileWriter writer(1, 1);
    writer.Tempo(0, 0, 0xFFFFFF);
    writer.Note(0, 0, 2, 0, 60, 100);
    const double seconds = RenderedSeconds(writer, "slow");
    const double music = 2 * 0xFFFFFF / 1e6;
    EXPECT_GE(seconds, music + 0.9);
    EXPECT_LE(seconds, music + 1.3);
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
}

TEST_F(ConvertRun, WavOutputFollowsTheWavSettings) {
    // Format 7 stands for a number a hand-edited settings file may hold:
    // anything but MP3 is rendered and written as WAV.
    for (OutputFormat format : {kWav, static_cast<OutputFormat>(7)}) {
        const int stored = static_cast<int>(format);
        SCOPED_TRACE(stored);
        const std::string folder = Out(std::to_string(stored) + "/");
        std::filesystem::create_directories(folder);
        RecordingFrontEnd frontEnd;
        VectorPathList paths({Piece("a.mid", 2)});
        auto settings = SmallWavSettings(folder, format);
        ConvertJob job = JobFor(settings, paths, &frontEnd);
        RunConversion(job);

        WavFile wav;
        ASSERT_TRUE(wav.Read(folder + "a.wav")) << wav.Error();
        EXPECT_EQ(wav.sampleRate, 11025u);
        EXPECT_EQ(wav.channels, 1u);
        // Two seconds of music, the tail, and at most one poll more.
        EXPECT_GE(wav.Seconds(), 2.9);
        EXPECT_LE(wav.Seconds(), 3.3);
        EXPECT_GT(wav.PeakAbs(), 500) << "the music is audible";
        EXPECT_EQ(frontEnd.ProgressValues().back(), 100);
        EXPECT_EQ(frontEnd.SuccessCounter().load(), 1);
    }
}

TEST_F(ConvertRun, UnloadableFileIsReportedAndTheRestConverted) {
    { std::ofstream(Src("bad.mid")) << "this is not a MIDI file"; }
    VectorPathList paths({Src("bad.mid"), Piece("b.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.Messages(), std::vector<std::string>{"Error loading file"});
    EXPECT_FALSE(platform::FileExists(Out("bad.wav")));
    EXPECT_TRUE(platform::FileExists(Out("b.wav")));
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    ExpectCleanEnd();
}

TEST_F(ConvertRun, PlayThatFailsAfterALoadIsReportedAndSkipped) {
    // The first port's SoundFont is damaged once the run has listed the
    // ports: the files load, but they cannot play.
    const std::string badFont = m_dir.Path() + "/damaged.sf2";
    std::filesystem::copy_file("/usr/share/sounds/sf2/TimGM6mb.sf2", badFont);
    audio::SoundFontCatalog::SetPreferredSoundFont(badFont);
    m_frontEnd.onEvent = [&](RecordingFrontEnd&, const RecordingFrontEnd::Event& e) {
        if (e.kind == Kind::Started && RecordingFrontEnd::CounterOf(e) == "1/2")
            std::ofstream(badFont) << "RIFF but not a SoundFont";
    };
    VectorPathList paths({Piece("a.mid", 1), Piece("b.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    Run(settings, paths);
    testsupport::UseTestSoundFont();

    EXPECT_EQ(m_frontEnd.Messages(),
              (std::vector<std::string>{"Error loading file", "Error loading file"}));
    EXPECT_EQ(m_frontEnd.Counters(), (std::vector<std::string>{"1/2", "2/2"}));
    EXPECT_TRUE(m_frontEnd.ProgressValues().empty()) << "nothing was rendered";
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(Out("")));
    ExpectCleanEnd();
}

TEST_F(ConvertRun, EmptyPieceShowsAFullBarAndIsConverted) {
    ASSERT_TRUE(testsupport::WriteEmptyPiece(Src("empty.mid")));
    VectorPathList paths({Src("empty.mid")});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.ProgressValues(), std::vector<int>{100});
    WavFile wav;
    EXPECT_TRUE(wav.Read(Out("empty.wav"))) << wav.Error();
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    ExpectCleanEnd();
}

TEST_F(ConvertRun, SpecialFilesAreNeitherReadNorReplaced) {
    // A FIFO and a device as sources; a folder and a FIFO holding output
    // names. Nothing blocks, nothing is asked, the regular file converts.
    ASSERT_EQ(::mkfifo(Src("pipe.mid").c_str(), 0600), 0);
    std::filesystem::create_directories(Out("a.wav"));
    ASSERT_EQ(::mkfifo(Out("b.wav").c_str(), 0600), 0);
    VectorPathList paths({Src("pipe.mid"), "/dev/zero", Piece("a.mid", 1), Piece("b.mid", 1),
                          Piece("c.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    settings.m_bOverwrite = 0;

    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.Messages(), (std::vector<std::string>{
                                         "Can not find file: " + Src("pipe.mid") + ".",
                                         "Can not find file: /dev/zero.",
                                         "Can not write file: " + Out("a.wav") + ".",
                                         "Can not write file: " + Out("b.wav") + ".",
                                     }));
    EXPECT_TRUE(m_frontEnd.Questions().empty());
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    EXPECT_TRUE(platform::IsDirectory(Out("a.wav")));
    EXPECT_TRUE(IsFifo(Out("b.wav")));
    EXPECT_EQ(NamesIn(Out("")), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    ExpectCleanEnd();
}

TEST_F(ConvertRun, TemporaryFolderWithoutRoomRefusesThePieceBeforeRendering) {
    // A 256 KiB temporary folder: no room for the 14 s piece at 11025 Hz
    // mono (a 330 KB WAV; its float samples, measuring the level, stay in
    // memory), room for the 1 s piece.
    TmpfsMount small(256 * 1024);
    if (!small.Mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
    ::setenv("TMPDIR", small.Path().c_str(), 1);
    VectorPathList paths({Piece("a.mid", 14), Piece("b.mid", 1)});
    auto settings = SmallWavSettings(Out(""), kWav);
    Run(settings, paths);
    ::setenv("TMPDIR", m_temp.Path().c_str(), 1);

    const auto messages = m_frontEnd.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Can not write file: " + small.Path() + "/mmm1980", 0), 0u) << messages[0];
    EXPECT_TRUE(m_frontEnd.ProgressOf("1/2").empty()) << "refused before rendering";
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    EXPECT_EQ(NamesIn(Out("")), std::vector<std::string>{"b.wav"});
    EXPECT_TRUE(NamesIn(small.Path()).empty());
}

TEST_F(ConvertRun, CaptureThatCannotBeWrittenFailsTheFileAndTheBatchGoesOn) {
    // Writes past 128 KiB fail from the start: the 8 s piece's WAV does
    // not fit, the 1 s piece's does.
    VectorPathList paths({Piece("a.mid", 8), Piece("b.mid", 1)});
    auto settings = SmallWavSettings(Out(""), kWav);
    {
        ScopedFileSizeLimit limit(128 * 1024);
        ASSERT_TRUE(limit.Active());
        Run(settings, paths);
    }
    const auto messages = m_frontEnd.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Can not write file: " + m_temp.Path() + "/mmm1980", 0), 0u) << messages[0];
    EXPECT_FALSE(m_frontEnd.ProgressOf("1/2").empty()) << "failed while rendering";
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    EXPECT_EQ(NamesIn(Out("")), std::vector<std::string>{"b.wav"}) << "no partial output";
    EXPECT_TRUE(NamesIn(m_temp.Path()).empty()) << "no temporary WAV, no samples";
}

TEST_F(ConvertRun, EncodedOutputThatCannotBeWrittenLeavesWhatWasThere) {
    // Writes past 64 KiB fail once the 8 s piece is rendered and its
    // encoding has begun; the 1 s piece goes through once the limit is off.
    for (OutputFormat format : {kMp3, kFlac}) {
        const std::string ext(options::OutputExtension(format));
        SCOPED_TRACE(ext);
        RecordingFrontEnd frontEnd;
        std::optional<ScopedFileSizeLimit> limit;
        bool armed = false;
        frontEnd.onEvent = [&](RecordingFrontEnd&, const RecordingFrontEnd::Event& e) {
            if (e.kind == Kind::Progress && e.value > 75 && !armed) {
                limit.emplace(64 * 1024);
                armed = true;
            }
            // Off at the failure, and at the latest when the run ends.
            if (e.kind == Kind::Message || e.kind == Kind::Done) limit.reset();
        };
        const auto names = ConvertOverAnOldOutput(SmallWavSettings("", format), frontEnd);

        ASSERT_TRUE(armed);
        const auto messages = frontEnd.Messages();
        EXPECT_NE(std::find(messages.begin(), messages.end(), "Can not write file: " + Out(ext + "/a." + ext + ".")),
                  messages.end());
        EXPECT_EQ(frontEnd.SuccessCounter().load(), 1);
        EXPECT_EQ(names, (std::vector<std::string>{"a." + ext, "b." + ext}));
    }
}

// The samples of a FLAC output as libsndfile decodes them, as 32-bit ints
// (a 16-bit sample s is s << 16, a 24-bit one s << 8); empty when unreadable.
std::vector<int> DecodedSamples(const std::string& path, SF_INFO& info) {
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return {};
    std::vector<int> samples(static_cast<size_t>(info.frames * info.channels));
    samples.resize(static_cast<size_t>(sf_read_int(file, samples.data(), static_cast<sf_count_t>(samples.size()))));
    sf_close(file);
    return samples;
}

TEST_F(ConvertRun, FlacHoldsTheSamplesOfTheWavOutput) {
    // The same piece at the same rate and channels as WAV, then as 16- and
    // 24-bit FLAC: lossless, so the decoded samples are the WAV's.
    VectorPathList paths({Piece("a.mid", 2)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    settings.m_nWavSampleRate = SndFileOptions::kDefaultRate;
    Run(settings, paths);
    WavFile wav;
    ASSERT_TRUE(wav.Read(Out("a.wav"))) << wav.Error();
    ASSERT_GT(wav.PeakAbs(), 0);

    for (int bits : {16, 24}) {
        SCOPED_TRACE(bits);
        settings.m_nOutputFormat = kFlac;
        ConvertJob job = JobFor(settings, paths, &m_frontEnd);
        job.sndFile.bits = bits;
        RunConversion(job);
        SF_INFO info;
        const std::vector<int> decoded = DecodedSamples(Out("a.flac"), info);
        EXPECT_EQ(info.format, SF_FORMAT_FLAC | (bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16));
        EXPECT_EQ(info.samplerate, static_cast<int>(wav.sampleRate));
        EXPECT_EQ(info.channels, static_cast<int>(wav.channels));
        ASSERT_EQ(decoded.size(), wav.samples.size());
        size_t differing = 0;
        for (size_t i = 0; i < decoded.size(); ++i) differing += decoded[i] != wav.samples[i] * 65536;
        EXPECT_EQ(differing, 0u);
    }
}

TEST_F(ConvertRun, WavOutputFolderThatFillsUpLeavesWhatWasThere) {
    // The copy of a whole temporary WAV into a 64 KiB folder: a file size
    // limit would stop the capture first, so only a full filesystem shows it.
    TmpfsMount small(64 * 1024);
    if (!small.Mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
    const std::string out = small.Path() + "/";
    { std::ofstream(out + "a.wav") << "old"; }
    VectorPathList paths({Piece("a.mid", 8), Piece("b.mid", 1)});
    auto settings = SmallWavSettings(out, kWav);
    Run(settings, paths);

    EXPECT_EQ(m_frontEnd.Messages(), std::vector<std::string>{"Can not write file: " + out + "a.wav."});
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 1);
    EXPECT_TRUE(ReadText(out + "a.wav") == "old") << "the file it was to replace stays";
    EXPECT_EQ(NamesIn(small.Path()), (std::vector<std::string>{"a.wav", "b.wav"}));
    ExpectCleanEnd();
}

TEST_F(ConvertRun, PieceTooLongForAWavFileIsRefusedWithoutRendering) {
    // A damaged file: one note held for 0x0FFFFFFF ticks, about 16 days;
    // and 60 hours at 32.8 million ticks a second, past 2^42 ticks.
    midigen::MidiFileWriter held(0, 96);
    held.Note(0, 0, 0x0FFFFFFF, 0, 60, 100);
    midigen::MidiFileWriter fine(0, 0x7FFF);
    fine.Tempo(0, 0, 1000);
    fine.Note(0, 0, 1000, 0, 60, 100);
    fine.EndOfTrack(0, 60ull * 3600 * 0x7FFF * 1000);
    for (const auto* writer : {&held, &fine}) {
        RecordingFrontEnd frontEnd;
        ASSERT_TRUE(writer->Write(Src("long.mid")));
        VectorPathList paths({Src("long.mid"), Piece("b.mid", 1)});
        auto settings = testsupport::TestSettings(Out(""), kMp3);
        ConvertJob job = JobFor(settings, paths, &frontEnd);
        RunConversion(job);

        EXPECT_EQ(frontEnd.Messages(),
                  std::vector<std::string>{"The piece is too long to convert: " + Src("long.mid") + "."});
        EXPECT_TRUE(frontEnd.ProgressOf("1/2").empty()) << "nothing was rendered";
        EXPECT_EQ(frontEnd.SuccessCounter().load(), 1);
        EXPECT_EQ(NamesIn(Out("")), std::vector<std::string>{"b.mp3"});
        EXPECT_TRUE(m_temp.CaptureFiles().empty());
    }
}

TEST_F(ConvertRun, ThePieceIsRenderedToItsEndOfTrack) {
    // Each piece ends with its track at `seconds`: after rests, without a
    // sounding note, or at a tick count past 2^32.
    struct Case {
        const char* name;
        double seconds;
        std::function<void(midigen::MidiFileWriter&)> write;
    };
    const std::vector<Case> cases = {
        {"rests", 4.0, [](auto& w) { w.Note(1, 0, 480, 0, 60, 100); w.EndOfTrack(1, 8 * 480); }},
        {"controllers", 5.0, [](auto& w) {
             for (uint32_t t = 0; t < 8 * 480; t += 480) w.ControlChange(1, t, 0, 7, 100);
             w.EndOfTrack(1, 10 * 480);
         }},
        {"silent-notes", 5.0, [](auto& w) { w.NoteOn(1, 480, 0, 60, 0); w.EndOfTrack(1, 10 * 480); }},
        {"fine-ticks", 3.0, [](auto& w) {
             w.SetTicksPerQuarter(0x7FFF);
             w.Tempo(0, 0, 1);
             w.Note(1, 0, 0x7FFF * 1000, 0, 60, 100);
             w.EndOfTrack(1, 3ull * 0x7FFF * 1000000);
         }},
    };
    const double kTail = 1.0;  // for the releases and the reverb
    for (const auto& c : cases) {
        midigen::MidiFileWriter writer(1, 480);
        writer.TempoBpm(0, 0, 120);
        c.write(writer);
        // The whole tail after the end (to a sample); the end itself is
        // seen a fraction of a second late at most.
        const double seconds = RenderedSeconds(writer, c.name);
        EXPECT_GE(seconds, c.seconds + kTail - 0.001) << c.name;
        EXPECT_LE(seconds, c.seconds + kTail + 0.15) << c.name;
    }
}

TEST_F(ConvertRun, CountIsReadAgainBeforeEveryFile) {
    VectorPathList paths({Piece("a.mid", 1)});
    const std::string second = Piece("b.mid", 1);
    auto settings = testsupport::TestSettings(Out(""), kWav);
    bool added = false;
    m_frontEnd.onEvent = [&](RecordingFrontEnd&, const RecordingFrontEnd::Event& e) {
        if (e.kind == Kind::Progress && e.value == 100 && !added) {
            added = true;
            paths.Add(second);
        }
    };
    Run(settings, paths);
    EXPECT_EQ(m_frontEnd.Counters(), (std::vector<std::string>{"1/1", "2/2"}));
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 2);
}

TEST_F(ConvertRun, ParallelRunsNeverTouchEachOthersFiles) {
    // The same file name in two folders, of different lengths, converted
    // at the same time into two output folders.
    std::filesystem::create_directories(Src("one"));
    std::filesystem::create_directories(Src("two"));
    std::filesystem::create_directories(Out("one"));
    std::filesystem::create_directories(Out("two"));
    ASSERT_TRUE(testsupport::WritePiece(Src("one/song.mid"), 2));
    ASSERT_TRUE(testsupport::WritePiece(Src("two/song.mid"), 5));
    VectorPathList pathsOne({Src("one/song.mid"), Src("one/song.mid")});
    VectorPathList pathsTwo({Src("two/song.mid")});
    auto settingsOne = testsupport::TestSettings(Out("one"), kWav);
    auto settingsTwo = testsupport::TestSettings(Out("two"), kWav);
    RecordingFrontEnd frontEndOne, frontEndTwo;
    std::vector<std::string> seenTemp;
    std::mutex seenMutex;
    auto watch = [&](RecordingFrontEnd&, const RecordingFrontEnd::Event& e) {
        if (e.kind != Kind::Progress) return;
        std::lock_guard<std::mutex> lock(seenMutex);
        for (const auto& name : m_temp.CaptureFiles()) {
            if (std::find(seenTemp.begin(), seenTemp.end(), name) == seenTemp.end())
                seenTemp.push_back(name);
        }
    };
    frontEndOne.onEvent = watch;
    frontEndTwo.onEvent = watch;

    ConvertJob jobOne = JobFor(settingsOne, pathsOne, &frontEndOne);
    ConvertJob jobTwo = JobFor(settingsTwo, pathsTwo, &frontEndTwo);
    std::thread one([&] { RunConversion(jobOne); });
    std::thread two([&] { RunConversion(jobTwo); });
    one.join();
    two.join();

    EXPECT_EQ(frontEndOne.SuccessCounter().load(), 2);
    EXPECT_EQ(frontEndTwo.SuccessCounter().load(), 1);
    WavFile wavOne, wavTwo;
    ASSERT_TRUE(wavOne.Read(Out("one/song.wav"))) << wavOne.Error();
    ASSERT_TRUE(wavTwo.Read(Out("two/song.wav"))) << wavTwo.Error();
    EXPECT_NEAR(wavOne.Seconds(), 3.0, 0.3);
    EXPECT_NEAR(wavTwo.Seconds(), 6.0, 0.3);
    EXPECT_EQ(seenTemp.size(), 2u) << "each run has a temporary file of its own";
    EXPECT_TRUE(m_temp.CaptureFiles().empty());
}

TEST_F(ConvertRun, IncompleteJobStillEndsWithTheEndNotice) {
    Piece("a.mid", 1);
    ConvertJob job;
    job.settings = testsupport::TestSettings(Out(""), kWav);
    job.frontEnd = &m_frontEnd;  // no path list
    EXPECT_EQ(RunConversion(job), 0);
    EXPECT_EQ(m_frontEnd.DoneCount(), 1);
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 0);
    EXPECT_FALSE(platform::FileExists(Out("a.wav")));
    EXPECT_FALSE(platform::FileExists(Out("a.mp3")));
}

TEST_F(ConvertRun, PortBeyondTheListFallsBackToTheDefaultPort) {
    VectorPathList paths({Piece("a.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    settings.m_nPortIndex = 999;
    Run(settings, paths);
    WavFile wav;
    ASSERT_TRUE(wav.Read(Out("a.wav"))) << wav.Error();
    EXPECT_GT(wav.PeakAbs(), 500);
}

TEST_F(ConvertRun, TemporaryFolderWithoutRoomForTheCaptureEndsTheRunWithAMessage) {
    const std::string missingFolder = m_temp.Path() + "/gone";
    ::setenv("TMPDIR", missingFolder.c_str(), 1);
    VectorPathList paths({Piece("a.mid", 1)});
    auto settings = testsupport::TestSettings(Out(""), kWav);
    Run(settings, paths);
    ::setenv("TMPDIR", m_temp.Path().c_str(), 1);
    EXPECT_EQ(m_frontEnd.Messages(),
              std::vector<std::string>{"Can not create a temporary file in: " + missingFolder + "/."});
    EXPECT_TRUE(m_frontEnd.Counters().empty());
    EXPECT_EQ(m_frontEnd.SuccessCounter().load(), 0);
    EXPECT_EQ(m_frontEnd.DoneCount(), 1);
    EXPECT_FALSE(platform::FileExists(Out("a.wav")));
}

}  // namespace
}  // namespace tonalbox

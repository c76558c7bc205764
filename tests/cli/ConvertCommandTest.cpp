#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

#include "RunProgram.h"
#include "audioprobe/LoudnessProbe.h"
#include "audioprobe/WavFile.h"
#include "engine/LoudnessOptions.h"
#include "engine/SettingsFile.h"
#include "engine/SndFileOptions.h"
#include "midigen/GmTestPiece.h"
#include "midigen/LevelTestPieces.h"
#include "midigen/MidiFileWriter.h"
#include "platform/audio/LookAheadLimiter.h"
#include "tests/support/TempDir.h"

namespace tonalbox {
namespace {

namespace fs = std::filesystem;
using testsupport::ProgramResult;
using testsupport::TempDir;

const std::string kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const std::string kOtherSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<nlohmann::json> ReadReport(const std::string& path) {
    std::vector<nlohmann::json> records;
    std::istringstream lines(ReadText(path));
    for (std::string line; std::getline(lines, line);) {
        records.push_back(nlohmann::json::parse(line, nullptr, false));
    }
    return records;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool WritePiece(const std::string& path, int seconds) {
    midigen::MidiFileWriter writer(1, 480);
    writer.TempoBpm(0, 0, 120.0);
    for (int i = 0; i < seconds * 2; ++i) {
        writer.Note(1, static_cast<uint32_t>(i * 480), 400, 0, 60 + (i % 5) * 2, 100);
    }
    return writer.Write(path);
}

// Runs a copy of tonalbox-convert (and lame_enc.so) from a folder of the
// test's own, so that "Option.dat" next to the program is the test's, and
// with the configuration and temporary folders inside the test folder.
class ConvertCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_dir.Path().empty());
        for (const char* sub : {"bin", "config", "tmp", "src", "out"}) {
            fs::create_directories(m_dir.File(sub));
        }
        const std::string binDir = TONALBOX_BIN_DIR;
        fs::copy_file(binDir + "/tonalbox-convert", Program());
        if (fs::exists(binDir + "/lame_enc.so"))
            fs::copy_file(binDir + "/lame_enc.so", m_dir.File("bin/lame_enc.so"));
    }

    std::string Program() const { return m_dir.File("bin/tonalbox-convert"); }
    std::string SettingsPath() const { return m_dir.File("bin/Option.dat"); }
    std::string Src(const std::string& name) const { return m_dir.File("src/" + name); }
    std::string Out(const std::string& name) const { return m_dir.File("out/" + name); }

    std::string Piece(const std::string& name, int seconds = 1) {
        EXPECT_TRUE(WritePiece(Src(name), seconds));
        return Src(name);
    }

    ProgramResult Convert(std::vector<std::string> args,
                          const std::function<void(const std::string&, int)>& onErr = {}) {
        // Every run renders with the small test SoundFont unless told otherwise.
        args.insert(args.begin(), {"--soundfont", kTestSoundFont});
        return testsupport::RunProgram(
            Program(), args,
            {"XDG_CONFIG_HOME=" + m_dir.File("config"), "TMPDIR=" + m_dir.File("tmp")}, onErr);
    }

    // The same through a bash script that runs the program as "$@".
    ProgramResult ConvertThrough(const std::string& script, std::vector<std::string> args,
                                 const std::function<void(const std::string&, int)>& onErr) {
        args.insert(args.begin(), {"-c", script, "bash", Program(), "--soundfont", kTestSoundFont});
        return testsupport::RunProgram(
            "/bin/bash", args,
            {"XDG_CONFIG_HOME=" + m_dir.File("config"), "TMPDIR=" + m_dir.File("tmp")}, onErr);
    }

    bool NoCaptureFilesLeft() const {
        for (const auto& entry : fs::directory_iterator(m_dir.File("tmp"))) {
            if (entry.path().filename().string().rfind("mmm1980", 0) == 0) return false;
        }
        return true;
    }

    TempDir m_dir{"tonalbox-cli"};
};

TEST_F(ConvertCommand, ConvertsEveryFileAndExitsZero) {
    const auto result = Convert({"-o", Out(""), Piece("a.mid"), Piece("b.midi")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 2, converted: 2\n");
    EXPECT_NE(result.err.find("1/2 a.mid..."), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("2/2 b.midi..."), std::string::npos) << result.err;
    for (const char* name : {"a.mp3", "b.mp3"}) {
        const std::string mp3 = ReadText(Out(name));
        ASSERT_GT(mp3.size(), 1000u) << name;
        EXPECT_EQ(mp3.substr(mp3.size() - 128, 3), "TAG") << name;
    }
    EXPECT_TRUE(NoCaptureFilesLeft());
    EXPECT_FALSE(fs::exists(SettingsPath())) << "settings are written only when asked";
}

TEST_F(ConvertCommand, FileNotConvertedGivesExitOneAndTheMessage) {
    const std::string missing = Src("missing.mid");
    const auto result = Convert({"-q", "-f", "wav", "-o", Out(""), Piece("a.mid"), missing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Total files: 2, converted: 1\n");
    EXPECT_NE(result.err.find("Can not find file: " + missing + ".\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("1/2"), std::string::npos) << "quiet shows no progress";
    audioprobe::WavFile wav;
    EXPECT_TRUE(wav.Read(Out("a.wav"))) << wav.Error();
}

TEST_F(ConvertCommand, OverwriteQuestionWithoutATerminalIsAnsweredNo) {
    { std::ofstream(Out("a.wav")) << "precious"; }
    const auto result =
        Convert({"--no-overwrite", "-f", "wav", "-o", Out(""), Piece("a.mid"), Piece("b.mid")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Total files: 2, converted: 1\n");
    EXPECT_NE(result.err.find("the file: " + Out("a.wav") + " have exist. writeover it? [y/N] n\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(ReadText(Out("a.wav")), "precious");
    EXPECT_TRUE(fs::exists(Out("b.wav")));
}

TEST_F(ConvertCommand, UsageErrorsExitTwoWithoutConverting) {
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{}, "no MIDI files given"},
        {{"--bitrate", "100", Piece("a.mid")}, "\"128k\""},
        {{"--mp3-channels", "quad", Piece("a.mid")}, "\"Joint stereo\""},
        {{"--wav-rate", "48000", Piece("a.mid")}, "\"44100 Hz\""},
        {{"--genre", "no such genre", Piece("a.mid")}, "--genre"},
        {{"--frobnicate", Piece("a.mid")}, "unknown option: --frobnicate"},
        {{"-j", "0", Piece("a.mid")}, "--jobs"},
        {{"--loudness", "-9", Piece("a.mid")}, "from -30 to -10"},
        {{"--loudness", "loud", Piece("a.mid")}, "--loudness"},
        {{"--shard", "0/3", Piece("a.mid")}, "--shard"},
        {{"--shard", "4/3", Piece("a.mid")}, "--shard"},
        {{"--shard", "x", Piece("a.mid")}, "--shard"},
        {{"--files-from", Src("none.txt")}, "can not read the list"},
        {{"--files-from", Piece("list.mid")}, "is not a text list"},
        {{"--report", m_dir.File("no/such/folder/r.jsonl"), Piece("a.mid")}, "report file"},
    };
    for (const auto& c : cases) {
        const auto result = testsupport::RunProgram(
            Program(), c.args, {"XDG_CONFIG_HOME=" + m_dir.File("config")});
        EXPECT_EQ(result.exitCode, 2) << c.expected;
        EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos);
        EXPECT_EQ(result.out, "") << "no summary after a usage error";
    }
    EXPECT_FALSE(fs::exists(m_dir.File("no")));
    const auto noFont = testsupport::RunProgram(Program(), {"--soundfont", Src("none.sf2"), "x.mid"});
    EXPECT_EQ(noFont.exitCode, 2);
    EXPECT_TRUE(fs::is_empty(Out("")));
}

TEST_F(ConvertCommand, HelpAndVersion) {
    auto result = testsupport::RunProgram(Program(), {"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("Usage: tonalbox-convert [OPTIONS] FILE...", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\"Fast extreme\""), std::string::npos);
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
    result = testsupport::RunProgram(Program(), {"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "tonalbox-convert (Tonalbox) 2.3\n");
}

TEST_F(ConvertCommand, SaveSettingsWritesAnOptionFileThatLoadsBack) {
    auto result = testsupport::RunProgram(
        Program(),
        {"--save-settings", "-f", "wav", "--wav-rate", "11025", "--wav-channels", "mono",
         "--bitrate", "256", "--preset", "studio", "--mode", "vbr", "--vbr-quality", "2",
         "--mp3-rate", "44100", "--title", "Saved", "--genre", "Jazz", "--no-overwrite",
         "-o", Out("")},
        {"XDG_CONFIG_HOME=" + m_dir.File("config")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_TRUE(fs::exists(SettingsPath()));

    ConversionSettings loaded = ConversionSettings::Defaults();
    ASSERT_EQ(LoadSettings(SettingsPath(), loaded), 1);
    EXPECT_EQ(loaded.m_nOutputFormat, tonalbox::OutputFormat::Wav);
    EXPECT_EQ(loaded.m_nWavSampleRate, 11025);
    EXPECT_EQ(loaded.m_nWavSampleRateIndex, 0);
    EXPECT_EQ(loaded.m_nWavChannels, 1);
    EXPECT_EQ(loaded.m_mp3.m_nBitrate, 256);
    EXPECT_EQ(loaded.m_mp3.m_nBitrateIndex, 12);
    EXPECT_EQ(loaded.m_mp3.m_nPreset, 22);
    EXPECT_EQ(loaded.m_mp3.m_nEncodeMode, 2);
    EXPECT_EQ(loaded.m_mp3.m_nVbrQuality, 2);
    EXPECT_EQ(loaded.m_mp3.m_nOutSampleRate, 44100);
    EXPECT_EQ(loaded.m_mp3.m_nSampleRateIndex, 3);
    EXPECT_EQ(loaded.m_tag.m_strTitle, "Saved");
    EXPECT_EQ(loaded.m_tag.m_nGenre, 8);
    EXPECT_EQ(loaded.m_bOverwrite, 0);
    EXPECT_EQ(loaded.m_strOutputFolder, Out(""));
    EXPECT_EQ(loaded.m_bSameAsSource, 0);

    // A format of the command line only leaves the stored one as it was.
    result = testsupport::RunProgram(Program(), {"--save-settings", "-f", "flac", "--title", "Again"},
                                     {"XDG_CONFIG_HOME=" + m_dir.File("config")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(LoadSettings(SettingsPath(), loaded), 1);
    EXPECT_EQ(loaded.m_nOutputFormat, tonalbox::OutputFormat::Wav);
    EXPECT_EQ(loaded.m_tag.m_strTitle, "Again");

    // The next start begins from the saved settings: WAV into the saved folder.
    result = Convert({Piece("next.mid")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    audioprobe::WavFile wav;
    ASSERT_TRUE(wav.Read(Out("next.wav"))) << wav.Error();
    EXPECT_EQ(wav.sampleRate, 11025u);
    EXPECT_EQ(wav.channels, 1u);
}

TEST_F(ConvertCommand, SoundFontOptionDoesNotChangeTheSavedPortChoice) {
    ConversionSettings start = ConversionSettings::Defaults();
    start.m_nPortIndex = 1;
    ASSERT_EQ(SaveSettings(SettingsPath(), start), 1);
    const auto result = Convert({"--save-settings", "--artist", "Someone"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ConversionSettings loaded;
    ASSERT_EQ(LoadSettings(SettingsPath(), loaded), 1);
    EXPECT_EQ(loaded.m_tag.m_strArtist, "Someone");
    EXPECT_EQ(loaded.m_nPortIndex, 1);
}

TEST_F(ConvertCommand, ParallelJobsConvertAFolderInFull) {
    // Built by appending: GCC 12 at -O3 warns falsely about "p" + a
    // temporary string (its -Warray-bounds and -Wrestrict checks).
    auto numbered = [](const char* before, int i, const char* after) {
        std::string name(before);
        name += std::to_string(i);
        name += after;
        return name;
    };
    fs::create_directories(Src("set"));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(WritePiece(Src(numbered("set/p", i, ".mid")), 1 + i % 2));
    { std::ofstream(Src("set/readme.txt")) << "not music"; }
    const auto result = Convert({"-j", "2", "-f", "wav", "-o", Out(""), Src("set")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 5, converted: 5\n");
    for (int i = 0; i < 5; ++i) {
        audioprobe::WavFile wav;
        ASSERT_TRUE(wav.Read(Out(numbered("p", i, ".wav")))) << i << wav.Error();
        EXPECT_NEAR(wav.Seconds(), 1 + i % 2 + 1.0, 0.3) << i;
    }
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NE(result.err.find(std::to_string(i) + "/5 "), std::string::npos) << result.err;
    }
    EXPECT_TRUE(NoCaptureFilesLeft());
}

TEST_F(ConvertCommand, ParallelJobsNeverWriteOneOutputSpelledTwoWaysAtOnce) {
    // d/s.mid and d/./s.midi both make d/s.wav: the second finds the
    // first's output written in this run and is refused; the third file
    // runs beside them.
    fs::create_directories(Src("d"));
    ASSERT_TRUE(WritePiece(Src("d/s.mid"), 2));
    ASSERT_TRUE(WritePiece(Src("d/s.midi"), 3));
    const auto result = Convert({"-j", "2", "--same-as-source", "-f", "wav", Src("d/s.mid"),
                                 m_dir.File("src/./d/s.midi"), Piece("c.mid")});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "Total files: 3, converted: 2\n");
    EXPECT_NE(result.err.find("Output already written in this run: " + m_dir.File("src/./d/s.wav") + "."),
              std::string::npos)
        << result.err;
    audioprobe::WavFile wav;
    ASSERT_TRUE(wav.Read(Src("d/s.wav"))) << wav.Error();
    EXPECT_EQ(wav.dataSize, wav.fileSize - wav.dataOffset);
    EXPECT_NEAR(wav.Seconds(), 3.0, 0.3) << "the first file's audio, whole";
    EXPECT_TRUE(fs::exists(Src("c.wav")));
}

TEST_F(ConvertCommand, SignalsAClosedPipeAndAFileSizeLimitLeaveNoFilesBehind) {
    // The second of three files is long. A signal when it starts, or a
    // reader of the output that went away, cancels the run; under a file
    // size limit (2,000 KiB, SIGXFSZ at its default) that file alone fails.
    struct Case {
        std::string script;  // runs the program as "$@"
        int signal;          // sent when the long file starts
        std::string out;     // how standard output starts
        std::vector<std::string> outputs;
    };
    const std::vector<Case> cases = {
        {"exec \"$@\"", SIGINT, "Total files: 3, converted: 1\n", {"a.mp3"}},
        {"exec \"$@\"", SIGHUP, "Total files: 3, converted: 1\n", {"a.mp3"}},
        {"set -o pipefail; \"$@\" 2>&1 | head -n 1", 0, "Output folder: ", {"a.mp3"}},
        {"ulimit -f 2000 && exec \"$@\"", 0, "Total files: 3, converted: 2\n", {"a.mp3", "c.mp3"}},
    };
    const std::vector<std::string> args = {"-j", "1", "-o", Out(""), Piece("a.mid"),
                                           Piece("long.mid", 600), Piece("c.mid")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script + " " + std::to_string(c.signal));
        for (const auto& name : NamesIn(Out(""))) fs::remove(Out(name));
        bool sent = false;
        const auto result = ConvertThrough(c.script, args, [&](const std::string& err, int pid) {
            if (c.signal != 0 && !sent && err.find("2/3 long.mid...") != std::string::npos) {
                sent = ::kill(pid, c.signal) == 0;
            }
        });
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << result.out;
        // The pipe may close before the first file is done or after it.
        for (const auto& name : NamesIn(Out(""))) {
            EXPECT_NE(std::find(c.outputs.begin(), c.outputs.end(), name), c.outputs.end()) << name;
        }
        EXPECT_TRUE(NoCaptureFilesLeft());
    }
}

TEST_F(ConvertCommand, TerminateEndsTheRunLikeInterrupt) {
    // On a terminal the run waits for the answer to a question; the signal
    // reaches the process, not that thread, and must still end the run.
    { std::ofstream(Out("a.wav")) << "precious"; }
    const std::vector<std::string> args = {Program(), "--soundfont", kTestSoundFont, "-j", "1",
                                           "--no-overwrite", "-f", "wav", "-o", Out(""),
                                           Piece("a.mid"), Piece("b.mid")};
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        ::setenv("TMPDIR", m_dir.File("tmp").c_str(), 1);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    std::string text;
    bool sent = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd fd{terminal, POLLIN, 0};
        if (::poll(&fd, 1, 100) <= 0) continue;
        char buffer[512];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0) break;  // the program ended
        text.append(buffer, static_cast<size_t>(n));
        if (!sent && text.find("writeover it? [y/N] ") != std::string::npos) {
            sent = true;
            ::kill(pid, SIGTERM);
        }
    }
    ::close(terminal);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 50 && (ended = ::waitpid(pid, &status, WNOHANG)) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (ended == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "still running 20 s on";
    }
    EXPECT_TRUE(sent) << text;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << text;
    EXPECT_NE(text.find("Cancelled."), std::string::npos) << text;
    EXPECT_NE(text.find("Total files: 2, converted: 0"), std::string::npos) << text;
    EXPECT_EQ(ReadText(Out("a.wav")), "precious");
    EXPECT_FALSE(fs::exists(Out("b.wav")));
}

TEST_F(ConvertCommand, RecursiveRunMirrorsTheTreeAndTakesRepeatsOnce) {
    for (const char* sub : {"in/a", "in/b/c"}) fs::create_directories(Src(sub));
    ASSERT_TRUE(WritePiece(Src("in/a/x.mid"), 1));
    ASSERT_TRUE(WritePiece(Src("in/b/x.mid"), 2));
    ASSERT_TRUE(WritePiece(Src("in/b/c/y.MID"), 1));
    const auto result = Convert({"-r", "-f", "wav", "-o", Out(""), Src("in"), Src("in/b/x.mid")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 3, converted: 3\n");
    for (const auto& [name, seconds] : {std::pair{"a/x.wav", 2.0}, {"b/x.wav", 3.0}, {"b/c/y.wav", 2.0}}) {
        audioprobe::WavFile wav;
        ASSERT_TRUE(wav.Read(Out(name))) << name << wav.Error();
        EXPECT_NEAR(wav.Seconds(), seconds, 0.3) << name;
    }
}

TEST_F(ConvertCommand, FolderThatCanNotBeReadIsAFailedInput) {
    // Root reads a folder at mode 000: the program runs as nobody, in
    // folders nobody can reach, named in the walk or by itself.
    for (const char* name : {"lib/a.mid", "lib/locked/b.mid", "lib/sub/c.mid"}) {
        fs::create_directories(fs::path(Src(name)).parent_path());
        ASSERT_TRUE(WritePiece(Src(name), 1));
    }
    fs::permissions(m_dir.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    for (const char* sub : {"out", "tmp", "config"}) fs::permissions(m_dir.File(sub), fs::perms::all);
    const std::string locked = Src("lib/locked");
    fs::permissions(locked, fs::perms::none);
    const std::string asNobody = ::geteuid() == 0 ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$@\""
                                                  : "exec \"$@\"";
    for (const auto& [input, files] : {std::pair{Src("lib"), 3}, {locked, 1}}) {
        SCOPED_TRACE(input);
        const std::string report = Out(std::to_string(files) + ".jsonl");
        const auto result = ConvertThrough(asNobody, {"-q", "-r", "-o", Out(""), "--report", report, input}, {});
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.out, "Total files: " + std::to_string(files) + ", converted: " + std::to_string(files - 1) + "\n");
        EXPECT_EQ(result.err, "Can not read folder: " + locked + ".\n");
        const auto records = ReadReport(report);
        ASSERT_EQ(records.size(), static_cast<size_t>(files) + 1) << ReadText(report);
        EXPECT_EQ(records.back()["totals"]["failed"], 1);
    }
    EXPECT_TRUE(fs::exists(Out("a.mp3")) && fs::exists(Out("sub/c.mp3")));
}

TEST_F(ConvertCommand, FilesFromTakesLinesOrNulSeparatedPaths) {
    fs::create_directories(Src("set"));
    ASSERT_TRUE(WritePiece(Src("set/s.mid"), 1));
    const std::string relative = fs::relative(Piece("a.mid")).string();
    { std::ofstream(m_dir.File("list.txt")) << relative << "\n" << Src("gone.mid") << "\r\n\n" << Src("set") << "\n"; }
    auto result = Convert({"-f", "wav", "-o", Out(""), "--files-from", m_dir.File("list.txt")});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "Total files: 3, converted: 2\n");
    EXPECT_NE(result.err.find("Can not find file: " + Src("gone.mid") + ".\n"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::exists(Out("a.wav")) && fs::exists(Out("s.wav")));

    const std::string odd = Piece("new\nline.mid");
    { std::ofstream(m_dir.File("list0"), std::ios::binary) << odd << '\0' << Piece("b.mid") << '\0'; }
    result = Convert({"-0", "-f", "wav", "-o", Out(""), "--files-from", m_dir.File("list0")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 2, converted: 2\n");
    EXPECT_TRUE(fs::exists(Out("new\nline.wav")));
    EXPECT_NE(result.err.find("new\\x0aline.mid..."), std::string::npos) << "shown escaped";
}

TEST_F(ConvertCommand, ReportHasOneRecordPerFileAndTheTotals) {
    const std::string report = m_dir.File("report.jsonl");
    const auto result = Convert({"-j", "2", "-f", "wav", "-o", Out(""), "--report", report,
                                 Piece("a.mid", 2), Src("gone.mid")});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const auto records = ReadReport(report);
    ASSERT_EQ(records.size(), 3u) << ReadText(report);
    std::map<std::string, nlohmann::json> byInput;
    for (size_t i = 0; i < 2; ++i) byInput[records[i].value("input", "")] = records[i];
    const auto& converted = byInput[Src("a.mid")];
    EXPECT_EQ(converted["status"], "converted");
    EXPECT_EQ(converted["output"], Out("a.wav"));
    EXPECT_EQ(converted["soundfont"], kTestSoundFont) << "the one given";
    EXPECT_EQ(converted["message"], "");
    EXPECT_EQ(converted["bytes"].get<uintmax_t>(), fs::file_size(Out("a.wav")));
    EXPECT_NEAR(converted["music_seconds"].get<double>(), 3.0, 0.3);
    EXPECT_GT(converted["wall_seconds"].get<double>(), 0.0);
    audioprobe::WavFile wav;
    ASSERT_TRUE(wav.Read(Out("a.wav"))) << wav.Error();
    EXPECT_EQ(converted["format"], "wav");
    EXPECT_EQ(converted["sample_rate"], wav.sampleRate);
    EXPECT_EQ(converted["channels"], wav.channels);
    EXPECT_EQ(converted["soundfont"], fs::canonical(kTestSoundFont).string());
    // The render's loudness and peak before its gain: the output's are
    // these plus the gain.
    const double gain = converted["gain_db"].get<double>();
    EXPECT_NEAR(converted["loudness_lufs"].get<double>() + gain, audioprobe::MeasureLoudness(wav).lufs, 0.1);
    EXPECT_LE(converted["true_peak_dbtp"].get<double>() + gain, audio::LoudnessNormalizer::kCeilingDbtp + 0.01);
    const auto& failed = byInput[Src("gone.mid")];
    EXPECT_EQ(failed["status"], "failed");
    EXPECT_EQ(failed["message"], "Can not find file: " + Src("gone.mid") + ".");
    EXPECT_EQ(failed["bytes"], 0);
    EXPECT_TRUE(failed["sample_rate"].is_null() && failed["loudness_lufs"].is_null()) << failed;
    const auto& totals = records[2]["totals"];
    EXPECT_EQ(totals["files"], 2);
    EXPECT_EQ(totals["converted"], 1);
    EXPECT_EQ(totals["failed"], 1);
    EXPECT_EQ(totals["bytes"], converted["bytes"]);
}

TEST_F(ConvertCommand, SkipExistingFinishesAKilledRun) {
    // What a run killed during c.mid leaves: a and b finished, c's partial
    // output, its capture file in the temporary folder; beside them the
    // partial output and the capture file of another command still running.
    fs::create_directories(Src("set/sub"));
    fs::create_directories(Out("sub"));
    for (const char* name : {"set/a.mid", "set/b.mid", "set/c.mid", "set/sub/d.mid"})
        ASSERT_TRUE(WritePiece(Src(name), 1));
    for (const char* name : {"a.wav", "b.wav"}) std::ofstream(Out(name)) << "finished " << name;
    { std::ofstream(Out(".c.wav.part-Ab3dE9")) << "half"; }
    { std::ofstream(Out(".zz.wav.part-Ab3dE9")) << "in flight"; }
    const std::string staleCapture = m_dir.File("tmp/mmm1980Ab3dE9.wav");
    const std::string liveCapture = m_dir.File("tmp/mmm1980Zz9yX8.wav");
    { std::ofstream(staleCapture) << "RIFF"; }
    { std::ofstream(liveCapture) << "RIFF"; }
    const int live = ::open(liveCapture.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX | LOCK_NB), 0);

    const auto result = Convert({"-j", "1", "-r", "-f", "wav", "-o", Out(""), "--skip-existing", Src("set")});
    ::close(live);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 4, converted: 2, skipped: 2\n");
    for (const char* name : {"a.wav", "b.wav"})
        EXPECT_EQ(ReadText(Out(name)), std::string("finished ") + name) << "kept as it was";
    for (const char* name : {"c.wav", "sub/d.wav"}) {
        audioprobe::WavFile wav;
        ASSERT_TRUE(wav.Read(Out(name))) << name << wav.Error();
        EXPECT_EQ(wav.dataSize, wav.fileSize - wav.dataOffset) << name;
        EXPECT_NEAR(wav.Seconds(), 2.0, 0.3) << name;
    }
    EXPECT_FALSE(fs::exists(Out(".c.wav.part-Ab3dE9")));
    EXPECT_TRUE(fs::exists(Out(".zz.wav.part-Ab3dE9"))) << "not this command's to remove";
    EXPECT_FALSE(fs::exists(staleCapture));
    EXPECT_TRUE(fs::exists(liveCapture)) << "in use by another command";
}

TEST_F(ConvertCommand, TwoRunsAtOnceLeaveEachOthersPartialFilesAlone) {
    // The same command again while the first writes its long MP3: the
    // second's clean-up of leftovers must not take the first's partial file.
    fs::create_directories(Src("lib"));
    ASSERT_TRUE(WritePiece(Src("lib/x.mid"), 200));
    ASSERT_TRUE(WritePiece(Src("lib/y.mid"), 1));
    const std::vector<std::string> args = {"-q", "-j", "1", "-r", "-f", "mp3", "-o", Out(""),
                                           "--overwrite", Src("lib")};
    ProgramResult first;
    std::thread firstRun([&] { first = Convert(args); });
    bool started = false;
    for (int i = 0; i < 3000 && !started; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (const auto& name : NamesIn(Out(""))) started = started || name.rfind(".x.mp3.part-", 0) == 0;
    }
    ProgramResult second = Convert(args);
    firstRun.join();
    ASSERT_TRUE(started) << first.err;
    for (const ProgramResult* result : {&first, &second}) {
        EXPECT_EQ(result->exitCode, 0) << result->err;
        EXPECT_EQ(result->out, "Total files: 2, converted: 2\n");
    }
    EXPECT_EQ(NamesIn(Out("")), (std::vector<std::string>{"x.mp3", "y.mp3"}));
}

TEST_F(ConvertCommand, ReportIsAsSafeAsTheOutputs) {
    // A report named like an input or an output is refused before anything
    // is written; one that can not be written fails the run.
    const std::string input = Piece("a.mid");
    const std::string midi = ReadText(input);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {m_dir.File("src/../src/a.mid"), "is an input or an output"},
        {Out("a.mp3"), "is an input or an output"},
        {"/dev/full", "Can not write file: /dev/full."},
    };
    for (const auto& [report, expected] : cases) {
        SCOPED_TRACE(report);
        const auto result = Convert({"-q", "-o", Out(""), "--report", report, input});
        const bool refused = report != "/dev/full";
        EXPECT_EQ(result.exitCode, refused ? 2 : 1) << result.err;
        EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
        EXPECT_EQ(ReadText(input), midi);
        EXPECT_EQ(fs::exists(Out("a.mp3")), !refused);
    }
}

TEST_F(ConvertCommand, ShardsConvertEveryInputExactlyOnce) {
    // Three shards at once append to one report, which already holds an
    // earlier run's line: every line stays whole.
    fs::create_directories(Src("lib/x"));
    std::set<std::string> inputs;
    for (const char* name : {"lib/1.mid", "lib/2.mid", "lib/x/3.mid", "lib/x/4.mid", "lib/x/5.mid"}) {
        ASSERT_TRUE(WritePiece(Src(name), 1));
        inputs.insert(Src(name));
    }
    const std::string report = m_dir.File("shards.jsonl");
    { std::ofstream(report) << R"({"earlier":"run"})" << "\n"; }
    std::vector<std::thread> shards;
    std::vector<ProgramResult> results(3);
    for (int k = 1; k <= 3; ++k) {
        shards.emplace_back([&, k] {
            results[static_cast<size_t>(k - 1)] =
                Convert({"-r", "-f", "wav", "-o", Out(""), "--shard", std::to_string(k) + "/3",
                         "--report", report, Src("lib")});
        });
    }
    for (auto& shard : shards) shard.join();
    for (const auto& result : results) EXPECT_EQ(result.exitCode, 0) << result.err;
    std::multiset<std::string> converted;
    const auto records = ReadReport(report);
    for (const auto& record : records) {
        EXPECT_FALSE(record.is_discarded()) << ReadText(report);
        if (record.contains("input")) converted.insert(record["input"].get<std::string>());
    }
    EXPECT_EQ(records.size(), 1 + inputs.size() + 3) << "and one totals line a shard";
    EXPECT_EQ(std::set<std::string>(converted.begin(), converted.end()), inputs);
    EXPECT_EQ(converted.size(), inputs.size()) << "no input twice";
}

TEST_F(ConvertCommand, ListPortsNamesTheChosenSoundFont) {
    const auto result = testsupport::RunProgram(
        Program(), {"--soundfont", kTestSoundFont, "--list-ports"},
        {"XDG_CONFIG_HOME=" + m_dir.File("config")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("0: TimGM6mb", 0), 0u) << "the chosen SoundFont comes first";
    EXPECT_NE(result.out.find("(chosen)"), std::string::npos) << result.out;
}

// The loudness options reach every output of the run: a target of its
// own, or the synthesizer's fixed level (held under -1 dBFS) without
// normalisation.
TEST_F(ConvertCommand, LoudnessOptionsSetTheLevelOfTheOutputs) {
    ASSERT_TRUE(midigen::LevelTestPieces::DenseArrangement(3).Write(Src("dense.mid")));
    auto result = Convert({"-q", "-f", "wav", "-o", Out(""), "--loudness", "-20", Src("dense.mid")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    audioprobe::WavFile wav;
    ASSERT_TRUE(wav.Read(Out("dense.wav")));
    const audioprobe::Loudness normalised = audioprobe::MeasureLoudness(wav);
    EXPECT_NEAR(normalised.lufs, -20.0, 1.0);

    const std::string report = m_dir.File("raw.jsonl");
    result = Convert({"-q", "-f", "wav", "-o", Out(""), "--overwrite", "--loudness", "-20", "--no-normalize",
                      "--report", report, Src("dense.mid")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto record = ReadReport(report).at(0);
    EXPECT_TRUE(record["loudness_lufs"].is_null() && record["true_peak_dbtp"].is_null() &&
                record["gain_db"].is_null())
        << "nothing measured without normalisation: " << record;
    ASSERT_TRUE(wav.Read(Out("dense.wav")));
    const audioprobe::Loudness raw = audioprobe::MeasureLoudness(wav);
    // The same run left at the synthesizer's level: a dense piece is far
    // louder there than at the quiet target.
    EXPECT_GT(raw.lufs, normalised.lufs + 3.0);
    EXPECT_LE(raw.peakAbs, 29205);  // -1 dBFS
    EXPECT_NE(testsupport::RunProgram(Program(), {"--help"}).out.find("--loudness LUFS"), std::string::npos);
}


namespace stems {

struct Phrase {
    int channel;  // from 0
    int program;  // -1: none given
    int notes;
};

// A piece whose channels play `lines` of phrases (a program change
// before a phrase that names one), plus channel 6 that only
// changes its program and controllers and so plays nothing.
bool WriteBand(const std::string& path, const std::vector<std::vector<Phrase>>& lines) {
    midigen::MidiFileWriter writer(1, 480);
    writer.TempoBpm(0, 0, 120.0);
    writer.ProgramChange(1, 0, 5, 19);
    writer.ControlChange(1, 0, 5, 7, 100);
    int track = 1;
    for (const auto& line : lines) {
        ++track;
        uint32_t tick = 0;
        for (const Phrase& p : line) {
            if (p.program >= 0) writer.ProgramChange(track, tick, p.channel, p.program);
            for (int i = 0; i < p.notes; ++i, tick += 240)
                writer.Note(track, tick, 200, p.channel, p.channel == 9 ? 36 + (i % 3) * 2 : 55 + (i % 7) * 2, 100);
        }
    }
    return writer.Write(path);
}

double ResidualDb(const audioprobe::WavFile& mix, const std::vector<audioprobe::WavFile>& stems) {
    double error = 0.0, signal = 0.0;
    for (size_t i = 0; i < mix.samples.size(); ++i) {
        double sum = 0.0;
        for (const auto& stem : stems) sum += i < stem.samples.size() ? stem.samples[i] : 0;
        error += (sum - mix.samples[i]) * (sum - mix.samples[i]);
        signal += static_cast<double>(mix.samples[i]) * mix.samples[i];
    }
    return 10.0 * std::log10(error / signal);
}

}  // namespace stems

TEST_F(ConvertCommand, StemsAddUpToTheMixAndAreDescribed) {
    using stems::Phrase;
    // Channel 1 piano; channel 3 violin then flute; channel 10 the drums.
    const std::vector<std::vector<Phrase>> lines = {
        {{0, -1, 8}}, {{2, 40, 5}, {2, 73, 4}}, {{9, -1, 12}}};
    const std::map<int, std::vector<std::string>> names = {
        {1, {"Acoustic Grand Piano"}}, {3, {"Violin", "Flute"}}, {10, {"Standard Kit"}}};
    ASSERT_TRUE(stems::WriteBand(Src("band.mid"), lines));
    struct Case {
        std::vector<std::string> args;
        std::string ext;
    };
    const std::vector<Case> cases = {{{"-f", "wav"}, "wav"},
                                     {{"-f", "wav", "--wav-channels", "mono", "--no-normalize"}, "wav"},
                                     {{"-f", "mp3"}, "mp3"},
                                     {{"-f", "flac"}, "flac"}};
    for (const Case& c : cases) {
        fs::remove_all(Out("")), fs::create_directories(Out(""));
        const std::string report = m_dir.File("report.jsonl");
        fs::remove(report);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--stems", "-q", "--report", report, "-o", Out(""), Src("band.mid")});
        const auto result = Convert(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;

        std::vector<std::string> expected = {"band." + c.ext, "band.json"};
        std::vector<std::string> stemPaths;
        for (const auto& [channel, programs] : names) {
            const std::string name = "band.ch" + std::string(channel < 10 ? "0" : "") + std::to_string(channel) + "." + c.ext;
            expected.push_back(name);
            stemPaths.push_back(Out(name));
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(NamesIn(Out("")), expected) << "only the channels that play a note";
        EXPECT_EQ(ReadReport(report).at(0).value("stems", nlohmann::json()), nlohmann::json(stemPaths));

        const auto sidecar = nlohmann::json::parse(ReadText(Out("band.json")), nullptr, false);
        ASSERT_EQ(sidecar["stems"].size(), names.size()) << sidecar.dump();
        EXPECT_EQ(sidecar["soundfont"], kTestSoundFont);
        size_t i = 0;
        for (const auto& [channel, programs] : names) {
            const auto& stem = sidecar["stems"][i++];
            EXPECT_EQ(stem["channel"], channel);
            std::vector<std::string> got;
            for (const auto& p : stem["programs"]) got.push_back(p["name"]);
            EXPECT_EQ(got, programs) << channel;
            int notes = 0;
            for (const auto& line : lines)
                for (const Phrase& p : line) notes += p.channel + 1 == channel ? p.notes : 0;
            EXPECT_EQ(stem["notes"], notes) << channel;
        }
        if (c.ext != "wav") continue;
        audioprobe::WavFile mix;
        ASSERT_TRUE(mix.Read(Out("band.wav"))) << mix.Error();
        std::vector<audioprobe::WavFile> wavs(stemPaths.size());
        for (size_t k = 0; k < wavs.size(); ++k) {
            ASSERT_TRUE(wavs[k].Read(stemPaths[k])) << wavs[k].Error();
            EXPECT_EQ(wavs[k].samples.size(), mix.samples.size());
            EXPECT_NEAR(sidecar["stems"][k]["loudness_lufs"].get<double>(), audioprobe::MeasureLoudness(wavs[k]).lufs,
                        0.01);
        }
        EXPECT_LT(stems::ResidualDb(mix, wavs), -40.0) << c.args.back();
    }
}

// Without normalising, the mix is limited frame by frame; the stems get
// the limiter's gains and still add up to it.
TEST_F(ConvertCommand, StemsAddUpToALimitedMix) {
    ASSERT_TRUE(midigen::GmTestPiece::Build(4, true).Write(Src("dense.mid")));
    const auto result = Convert({"-q", "--stems", "--no-normalize", "-f", "wav", "-o", Out(""), Src("dense.mid")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    audioprobe::WavFile mix;
    ASSERT_TRUE(mix.Read(Out("dense.wav"))) << mix.Error();
    EXPECT_GT(mix.PeakAbs(), 0.97 * audio::LookAheadLimiter::kCeiling * 32768) << "the limiter was at work";
    std::vector<audioprobe::WavFile> wavs;
    for (const auto& name : NamesIn(Out(""))) {
        if (name.find(".ch") == std::string::npos) continue;
        wavs.emplace_back();
        ASSERT_TRUE(wavs.back().Read(Out(name))) << wavs.back().Error();
    }
    EXPECT_GE(wavs.size(), 5u);
    EXPECT_LT(stems::ResidualDb(mix, wavs), -40.0);
}

TEST_F(ConvertCommand, AStemThatCannotBeWrittenFailsTheFileAndLeavesNoneOfIt) {
    ASSERT_TRUE(stems::WriteBand(Src("band.mid"), {{{0, -1, 4}}, {{9, -1, 4}}}));
    fs::create_directories(Out("band.ch10.wav"));
    const auto result = Convert({"-q", "--stems", "-f", "wav", "-o", Out(""), Src("band.mid")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Can not write file: " + Out("band.ch10.wav")), std::string::npos) << result.err;
    EXPECT_EQ(NamesIn(Out("")), std::vector<std::string>{"band.ch10.wav"});
    EXPECT_TRUE(NoCaptureFilesLeft());
}

// The Vorbis comments a tool lists ("comment[0]: TITLE=x" from metaflac,
// a tab and "title=x" from ogginfo and opusinfo), by upper-case name.
std::map<std::string, std::string> CommentsIn(const std::string& listing) {
    std::map<std::string, std::string> comments;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find("]: ");
        std::string text = line.rfind("    comment[", 0) == 0 && colon != std::string::npos ? line.substr(colon + 3)
                           : line.rfind("\t", 0) == 0 ? line.substr(1) : "";
        const auto eq = text.find('=');
        if (eq == std::string::npos) continue;
        std::string name = text.substr(0, eq);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        comments[name] = text.substr(eq + 1);
    }
    return comments;
}

// The playing time a tool reports: "Playback length: 0m:02.000s" from
// ogginfo and opusinfo, total samples and rate from metaflac.
double PlaybackSeconds(const std::string& listing, bool flac) {
    if (flac) {
        double samples = 0, rate = 0;
        std::istringstream(listing) >> samples >> rate;
        return rate > 0 ? samples / rate : -1.0;
    }
    const auto at = listing.find("Playback length: ");
    if (at == std::string::npos) return -1.0;
    double minutes = 0, seconds = 0;
    char m = 0, colon = 0;
    std::istringstream(listing.substr(at + 17)) >> minutes >> m >> colon >> seconds;
    return minutes * 60 + seconds;
}

// Each format through the real tools: valid, as long as the render, with
// the run's tag (the artist the output's name when none is set), and the
// same bytes on a second run.
TEST_F(ConvertCommand, FlacOpusAndOggAreValidWholeAndTagged) {
    struct Case {
        std::string format;
        std::vector<std::string> check;    // exits 0 for a valid file
        std::vector<std::string> comments; // lists the comments
        std::vector<std::string> length;   // tells the playing time
        int rate;
    };
    const std::vector<Case> cases = {
        {"flac", {"/usr/bin/flac", "-t", "-s"}, {"/usr/bin/metaflac", "--list", "--block-type=VORBIS_COMMENT"},
         {"/usr/bin/metaflac", "--show-total-samples", "--show-sample-rate"}, SndFileOptions::kDefaultRate},
        {"opus", {"/usr/bin/opusinfo"}, {"/usr/bin/opusinfo"}, {"/usr/bin/opusinfo"}, SndFileOptions::kOpusRate},
        {"ogg", {"/usr/bin/ogginfo"}, {"/usr/bin/ogginfo"}, {"/usr/bin/ogginfo"}, SndFileOptions::kDefaultRate},
    };
    const std::string input = Piece("a.mid", 2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        if (!fs::exists(c.check[0])) GTEST_SKIP() << c.check[0] << " is not installed (scripts/install-deps.sh)";
        const std::string output = Out(c.format + "/a." + c.format);
        const std::string report = m_dir.File(c.format + ".jsonl");
        const std::vector<std::string> tag = {"--title", "T\xc3\xaftel", "--album", "Al", "--year", "2001",
                                              "--track", "7", "--genre", "Rock", "--comment", "c", "--artist", ""};
        std::vector<std::string> args = {"-q", "-f", c.format, "-o", Out(c.format), "--report", report};
        args.insert(args.end(), tag.begin(), tag.end());
        args.push_back(input);
        ASSERT_EQ(Convert(args).exitCode, 0);
        const auto record = ReadReport(report).at(0);
        EXPECT_EQ(record["format"], c.format);
        EXPECT_EQ(record["sample_rate"], c.rate);
        EXPECT_EQ(record["channels"], 2);

        auto run = [&](std::vector<std::string> command) {
            command.push_back(output);
            const std::string program = command[0];
            command.erase(command.begin());
            return testsupport::RunProgram(program, command);
        };
        const auto checked = run(c.check);
        EXPECT_EQ(checked.exitCode, 0) << checked.out << checked.err;
        EXPECT_NEAR(PlaybackSeconds(run(c.length).out, c.format == "flac"),
                    record["music_seconds"].get<double>(), 0.01);
        const auto comments = CommentsIn(run(c.comments).out);
        const std::map<std::string, std::string> expected = {
            {"TITLE", "T\xc3\xaftel"}, {"ARTIST", "a." + c.format}, {"ALBUM", "Al"}, {"DATE", "2001"},
            {"TRACKNUMBER", "7"}, {"GENRE", "Rock"}, {"COMMENT", "c"}};
        for (const auto& [name, value] : expected) {
            EXPECT_EQ(comments.count(name) ? comments.at(name) : "(none)", value) << name;
        }

        const std::string first = ReadText(output);
        args.insert(args.begin(), "--overwrite");
        ASSERT_EQ(Convert(args).exitCode, 0);
        EXPECT_TRUE(ReadText(output) == first) << "the same bytes on every run";
    }
}

// The synthesizer options reach the rendering: without reverb the sound
// dies with the note, without chorus it is another sound, and with auto
// bank select a file whose first SysEx is an XG System On plays as XG from
// its start. Bank 127 is a drum kit the XG way, an unknown bank the GS way;
// the note before the reset shows it (FluidSynth itself turns to XG on
// the reset).
TEST_F(ConvertCommand, SynthesizerOptionsChangeTheRendering) {
    midigen::MidiFileWriter effects(1, 480);
    effects.TempoBpm(0, 0, 120.0);
    effects.ControlChange(1, 0, 0, 91, 127);  // reverb send
    effects.ControlChange(1, 0, 0, 93, 127);  // chorus send
    effects.Note(1, 0, 240, 0, 72, 120);
    ASSERT_TRUE(effects.Write(Src("effects.mid")));
    midigen::MidiFileWriter xg(0, 480);
    xg.ControlChange(0, 0, 0, 0, 127);
    xg.ProgramChange(0, 0, 0, 0);
    xg.Note(0, 10, 200, 0, 38, 110);
    xg.XgReset(0, 300);
    xg.Note(0, 310, 200, 0, 38, 110);
    ASSERT_TRUE(xg.Write(Src("xg.mid")));

    struct Render {
        std::string name;
        std::string piece;
        std::vector<std::string> args;
    };
    const std::vector<Render> renders = {
        {"plain", "effects", {}},
        {"no-reverb", "effects", {"--no-reverb"}},
        {"no-chorus", "effects", {"--no-chorus"}},
        {"xg-default", "xg", {}},
        {"xg-auto", "xg", {"--bank-select", "auto"}},
        {"xg-xg", "xg", {"--bank-select", "XG"}},
    };
    std::map<std::string, audioprobe::WavFile> wavs;
    for (const Render& r : renders) {
        std::vector<std::string> args = r.args;
        args.insert(args.end(), {"-q", "-f", "wav", "--no-normalize", "-o", Out(r.name + "/"), Src(r.piece + ".mid")});
        const auto result = Convert(args);
        ASSERT_EQ(result.exitCode, 0) << r.name << ": " << result.err;
        ASSERT_TRUE(wavs[r.name].Read(Out(r.name + "/" + r.piece + ".wav"))) << r.name;
    }
    // The note ends at 0.25 s; half a second later reverb is most of what sounds.
    const size_t tail = wavs["plain"].sampleRate * 3 / 4;
    EXPECT_GT(wavs["plain"].Rms(tail), 0.0);
    EXPECT_LT(wavs["no-reverb"].Rms(tail), wavs["plain"].Rms(tail) / 4);
    EXPECT_NE(wavs["no-chorus"].samples, wavs["plain"].samples);
    EXPECT_EQ(wavs["xg-auto"].samples, wavs["xg-xg"].samples);
    EXPECT_NE(wavs["xg-auto"].samples, wavs["xg-default"].samples);
}

// With two SoundFonts every input is rendered with each, into names that
// say which; shards, --skip-existing and the report take each (input,
// SoundFont) pair as one entry. Every SoundFont is looked at before any work.
TEST_F(ConvertCommand, SeveralSoundFontsRenderEachInputWithEach) {
    const std::string other = kOtherSoundFont;
    const std::map<std::string, std::string> stemOf = {{kTestSoundFont, "TimGM6mb"}, {other, "FluidR3_GM"}};
    const std::vector<std::string> inputs = {Piece("a.mid"), Piece("b.mid")};
    struct Case {
        std::string name;
        std::vector<std::string> args;
        std::vector<std::string> existing;  // outputs there before the run
        std::set<std::string> made;
        std::string summary;
        std::set<std::string> failed;  // outputs of inputs that are not there
    };
    const std::vector<Case> cases = {
        {"all pairs", {"-j", "1"}, {}, {"a.TimGM6mb.wav", "a.FluidR3_GM.wav", "b.TimGM6mb.wav", "b.FluidR3_GM.wav"},
         "Total files: 4, converted: 4\n", {}},
        {"first shard", {"--shard", "1/2"}, {}, {"a.TimGM6mb.wav", "b.TimGM6mb.wav"},
         "Total files: 2, converted: 2\n", {}},
        {"second shard", {"--shard", "2/2"}, {}, {"a.FluidR3_GM.wav", "b.FluidR3_GM.wav"},
         "Total files: 2, converted: 2\n", {}},
        {"skip existing", {"--skip-existing", "-j", "2"}, {"a.TimGM6mb.wav"},
         {"a.FluidR3_GM.wav", "b.TimGM6mb.wav", "b.FluidR3_GM.wav"}, "Total files: 4, converted: 3, skipped: 1\n", {}},
        // Not the first SoundFont's pair: its record still names its own.
        {"missing input", {"--shard", "2/2", Src("gone.mid")}, {}, {"a.FluidR3_GM.wav", "b.FluidR3_GM.wav"},
         "Total files: 3, converted: 2\n", {"gone.FluidR3_GM.wav"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = Out(c.name + "/");
        fs::create_directories(folder);
        for (const auto& name : c.existing) std::ofstream(folder + name) << "made before";
        const std::string report = m_dir.File(c.name + ".jsonl");
        std::vector<std::string> args = {"--soundfont", other, "-f", "wav", "-o", folder, "--report", report};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), inputs.begin(), inputs.end());
        const auto result = Convert(args);
        EXPECT_EQ(result.exitCode, c.failed.empty() ? 0 : 1) << result.err;
        EXPECT_EQ(result.out, c.summary);
        std::set<std::string> made;
        for (const auto& name : NamesIn(folder))
            if (std::find(c.existing.begin(), c.existing.end(), name) == c.existing.end()) made.insert(name);
        EXPECT_EQ(made, c.made);
        for (const auto& name : c.made) {  // "a.TimGM6mb.wav" was shown as "a.mid (TimGM6mb)..."
            const size_t dot = name.find('.');
            const std::string shown = name.substr(0, dot) + ".mid (" + name.substr(dot + 1, name.rfind('.') - dot - 1);
            EXPECT_NE(result.err.find(shown + ")..."), std::string::npos) << result.err;
        }
        std::set<std::string> recorded;
        for (const auto& record : ReadReport(report)) {
            if (!record.contains("input")) continue;
            const std::string font = record.value("soundfont", "");
            ASSERT_TRUE(stemOf.count(font)) << record.dump();
            const std::string input = fs::path(record["input"].get<std::string>()).filename().string();
            EXPECT_EQ(record["output"], folder + input.substr(0, input.find('.')) + "." + stemOf.at(font) + ".wav");
            recorded.insert(fs::path(record["output"].get<std::string>()).filename().string());
        }
        std::set<std::string> expected = c.made;
        expected.insert(c.existing.begin(), c.existing.end());
        expected.insert(c.failed.begin(), c.failed.end());
        EXPECT_EQ(recorded, expected) << "one record a pair, skipped ones too";
    }
    EXPECT_NE(ReadText(Out("all pairs/a.TimGM6mb.wav")), ReadText(Out("all pairs/a.FluidR3_GM.wav")))
        << "each rendered with its own SoundFont";
    // b's first rendering came after the run had turned to the other
    // SoundFont and back: the bytes are those of a run with one.
    ASSERT_EQ(Convert({"-q", "-f", "wav", "-o", Out("one/"), inputs[1]}).exitCode, 0);
    EXPECT_EQ(ReadText(Out("one/b.wav")), ReadText(Out("all pairs/b.TimGM6mb.wav")));

    { std::ofstream(m_dir.File("broken.sf2")) << std::string(5000, 'x'); }
    const auto refused = Convert({"--soundfont", m_dir.File("broken.sf2"), "-o", Out("refused/"), inputs[0]});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, "Can not load SoundFont: " + m_dir.File("broken.sf2") + ".\n");
    EXPECT_FALSE(fs::exists(Out("refused")));
}

}  // namespace
}  // namespace tonalbox

// The command at its limits: SoundFonts that do not load, a small shared
// temporary folder, outputs that are no outputs, what each file is told.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <nlohmann/json.hpp>

#include "RunProgram.h"
#include "midigen/MidiFileWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/TmpfsMount.h"

namespace tonalbox {
namespace {

namespace fs = std::filesystem;
using testsupport::ProgramResult;

const std::string kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The report's file records by input, and its totals.
std::map<std::string, nlohmann::json> ReadReport(const std::string& path, nlohmann::json& totals) {
    std::map<std::string, nlohmann::json> records;
    std::ifstream lines(path);
    for (std::string line; std::getline(lines, line);) {
        const auto record = nlohmann::json::parse(line, nullptr, false);
        if (record.contains("totals")) totals = record["totals"];
        else if (record.contains("input")) records[record["input"].get<std::string>()] = record;
    }
    return records;
}

// Runs a copy of tonalbox-convert from a folder of the test's own (its
// "Option.dat" the test's, and no MP3 encoder module beside it), with the
// configuration and temporary folders inside the test folder.
class ConvertCommandLimits : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_dir.Path().empty());
        for (const char* sub : {"bin", "config", "tmp", "src", "out"}) fs::create_directories(m_dir.File(sub));
        fs::copy_file(std::string(TONALBOX_BIN_DIR) + "/tonalbox-convert", m_dir.File("bin/tonalbox-convert"));
    }

    std::string Src(const std::string& name) const { return m_dir.File("src/" + name); }
    std::string Out(const std::string& name) const { return m_dir.File("out/" + name); }

    std::string Piece(const std::string& name, int seconds) {
        midigen::MidiFileWriter writer(1, 480);
        writer.TempoBpm(0, 0, 120.0);
        for (int i = 0; i < seconds * 2; ++i) writer.Note(1, static_cast<uint32_t>(i * 480), 400, 0, 60 + i % 5, 100);
        EXPECT_TRUE(writer.Write(Src(name)));
        return Src(name);
    }

    ProgramResult Convert(const std::vector<std::string>& args, const std::string& tempFolder = {}) {
        return testsupport::RunProgram(
            m_dir.File("bin/tonalbox-convert"), args,
            {"XDG_CONFIG_HOME=" + m_dir.File("config"),
             "TMPDIR=" + (tempFolder.empty() ? m_dir.File("tmp") : tempFolder)});
    }

    testsupport::TempDir m_dir{"tonalbox-limits"};
};

TEST_F(ConvertCommandLimits, SoundFontThatDoesNotLoadIsNamedBeforeAnyWork) {
    { std::ofstream(m_dir.File("garbage.sf2")) << std::string(5000, 'x'); }
    ASSERT_EQ(::mkfifo(m_dir.File("pipe.sf2").c_str(), 0600), 0);
    // The font, and whether FluidSynth's own lines are asked for.
    const std::vector<std::pair<std::string, bool>> cases = {
        {m_dir.File("garbage.sf2"), false}, {m_dir.File("pipe.sf2"), false}, {"/dev/zero", false},
        {m_dir.File("none.sf2"), false},    {m_dir.File("garbage.sf2"), true}};
    for (const auto& [font, verbose] : cases) {
        std::vector<std::string> args = {"--soundfont", font, "-o", Out("made"), Piece("a.mid", 1)};
        if (verbose) args.insert(args.begin(), "--verbose");
        const auto result = Convert(args);
        const std::string line = "Can not load SoundFont: " + font + ".\n";
        EXPECT_EQ(result.exitCode, 2) << font;
        EXPECT_EQ(result.out, "") << font;
        EXPECT_EQ(result.err.find("fluidsynth: error") != std::string::npos, verbose) << result.err;
        EXPECT_TRUE(verbose ? result.err.ends_with(line) : result.err == line) << result.err;
        EXPECT_FALSE(fs::exists(Out("made"))) << font;
    }
}

TEST_F(ConvertCommandLimits, ParallelJobsShareTheTemporaryFolder) {
    // 384 KiB holds the temporary WAV of one 10 s piece at 11025 Hz mono
    // (0.25 MB; the float samples measuring its level stay in memory), not
    // those of two, and never that of the 20 s piece.
    // Under ThreadSanitizer the program's runtime keeps a 512 KiB file of
    // its own in the temporary folder while it runs; the room is on top.
#ifdef __SANITIZE_THREAD__
    constexpr uint64_t kRuntimeFile = 512 * 1024;
#else
    constexpr uint64_t kRuntimeFile = 0;
#endif
    constexpr uint64_t kRoom = 384 * 1024 + kRuntimeFile;
    testsupport::TmpfsMount small(kRoom);
    if (!small.Mounted()) GTEST_SKIP() << "no filesystem can be mounted here";
    // The run budgets the folder by the free space the filesystem reports;
    // where that is not the room the mount was given, nothing here holds.
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(small.Path().c_str(), &vfs), 0);
    if (vfs.f_bfree * vfs.f_frsize != kRoom)
        GTEST_SKIP() << "a tmpfs of " << kRoom << " bytes reports " << vfs.f_bfree * vfs.f_frsize << " free";
    const auto result = Convert({"--soundfont", kTestSoundFont, "-q", "-j", "2", "-f", "wav", "--wav-rate",
                                 "11025", "--wav-channels", "mono", "-o", Out(""), Piece("a.mid", 10),
                                 Piece("b.mid", 10), Piece("big.mid", 20), Piece("c.mid", 10)},
                                small.Path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Total files: 4, converted: 3\n");
    EXPECT_EQ(result.err.rfind(Src("big.mid") + ": Can not write file: " + small.Path() + "/mmm1980", 0), 0u)
        << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one message: " << result.err;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) EXPECT_TRUE(fs::exists(Out(name))) << name;
    if (HasFailure() && ::statvfs(small.Path().c_str(), &vfs) == 0)
        std::cerr << "after the run: " << vfs.f_bfree * vfs.f_frsize << " of " << vfs.f_blocks * vfs.f_frsize
                  << " bytes free\n";
}

TEST_F(ConvertCommandLimits, WhatCountsAsDoneAndWhatEachFileIsTold) {
    // An empty file and a folder named like outputs are not done; an
    // output folder that is a file fails its entry before rendering; a
    // file that fails after rendering (no MP3 encoder beside the program)
    // adds no music to the totals.
    fs::create_directories(Src("set/sub"));
    fs::create_directories(Out("b.wav"));
    { std::ofstream(Out("a.wav")); }
    { std::ofstream(Out("c.wav")) << "done before"; }
    { std::ofstream(Out("sub")) << "a file where the folder would be"; }
    struct Case {
        std::string input;
        std::string status;
        std::string message;  // shown after "<input>: "
    };
    const std::vector<Case> cases = {
        {Piece("set/a.mid", 1), "converted", ""},
        {Piece("set/b.mid", 1), "failed", "Can not write file: " + Out("b.wav") + "."},
        {Piece("set/c.mid", 1), "skipped", ""},
        {Piece("set/sub/d.mid", 1), "failed", "Can not write file: " + Out("sub/d.wav") + "."},
    };
    const std::string report = m_dir.File("report.jsonl");
    auto result = Convert({"--soundfont", kTestSoundFont, "-r", "--skip-existing", "-f", "wav", "-o",
                           Out(""), "--report", report, Src("set")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Total files: 4, converted: 1, skipped: 1\n");
    nlohmann::json totals;
    auto records = ReadReport(report, totals);
    for (const auto& c : cases) {
        EXPECT_EQ(records[c.input].value("status", ""), c.status) << c.input;
        if (c.message.empty()) continue;
        EXPECT_NE(result.err.find(c.input + ": " + c.message + "\n"), std::string::npos) << result.err;
        EXPECT_EQ(records[c.input].value("message", ""), c.message);
        EXPECT_EQ(records[c.input].value("music_seconds", -1.0), 0.0) << "nothing rendered";
    }
    EXPECT_GT(fs::file_size(Out("a.wav")), 0u);

    result = Convert({"--soundfont", kTestSoundFont, "-f", "mp3", "-o", Out(""), "--report", report,
                      Src("set/a.mid")});
    EXPECT_EQ(result.exitCode, 1);
    records = ReadReport(report, totals);
    EXPECT_EQ(records[Src("set/a.mid")].value("status", ""), "failed");
    EXPECT_GT(records[Src("set/a.mid")].value("music_seconds", 0.0), 1.0);
    EXPECT_EQ(totals.value("music_seconds", -1.0), 0.0);
}

TEST_F(ConvertCommandLimits, VerboseAlsoSaysWhereAndWhyAFileFailed) {
    // The output's folder is a file: the entry fails before rendering.
    { std::ofstream(Out("sub")) << "a file where the folder would be"; }
    const std::string message = Src("sub/d.mid") + ": Can not write file: " + Out("sub/d.wav") + ".\n";
    fs::create_directories(Src("sub"));
    Piece("sub/d.mid", 1);
    for (const bool verbose : {false, true}) {
        std::vector<std::string> args = {"--soundfont", kTestSoundFont, "-q", "-r", "-f", "wav", "-o", Out(""), Src("")};
        if (verbose) args.insert(args.begin(), "--verbose");
        const auto result = Convert(args);
        EXPECT_EQ(result.exitCode, 1) << verbose;
        if (!verbose) {
            EXPECT_EQ(result.err, message);
            continue;
        }
        // Besides FluidSynth's own lines: where the failed call was made,
        // with its path and the system's reason, then the message.
        std::vector<std::string> lines;
        std::istringstream err(result.err);
        for (std::string line; std::getline(err, line);)
            if (line.rfind("fluidsynth:", 0) != 0) lines.push_back(line + "\n");
        ASSERT_EQ(lines.size(), 2u) << result.err;
        EXPECT_NE(lines[0].find(Out("sub/")), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(std::strerror(ENOTDIR)), std::string::npos) << lines[0];
        EXPECT_EQ(lines[1], message);
    }
}

}  // namespace
}  // namespace tonalbox

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/InputFiles.h"
#include "tests/support/TempDir.h"

namespace tonalbox::cli {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Paths(const std::vector<InputEntry>& entries) {
    std::vector<std::string> paths;
    for (const auto& e : entries) paths.push_back(e.path);
    return paths;
}

TEST(InputFiles, FolderAddsItsMidiFilesInNameOrder) {
    testsupport::TempDir dir;
    for (const char* name : {"b.mid", "a.MIDI", "c.kar", "d.rmi", "notes.txt", "e.mp3", "mid"}) {
        std::ofstream(dir.File(name)) << "x";
    }
    fs::create_directories(dir.File("sub.mid"));  // a folder, not a file
    std::ofstream(dir.File("sub.mid") + "/inner.mid") << "x";

    std::vector<std::string> empty;
    const auto entries = CollectInputs({dir.Path(), "/elsewhere/z.mid"}, false, &empty);
    EXPECT_EQ(Paths(entries), (std::vector<std::string>{dir.File("a.MIDI"), dir.File("b.mid"),
                                                        dir.File("c.kar"), dir.File("d.rmi"),
                                                        "/elsewhere/z.mid"}));
    for (const auto& e : entries) EXPECT_EQ(e.treeStart, std::string::npos) << "flat";
    EXPECT_TRUE(empty.empty());
}

TEST(InputFiles, RecursiveWalkGoesThroughSubFoldersInNameOrder) {
    testsupport::TempDir dir;
    for (const char* sub : {"in/b", "in/a/deep", "in/empty", "other"}) fs::create_directories(dir.File(sub));
    for (const char* name : {"in/b/x.mid", "in/a/deep/y.Kar", "in/a/x.mid", "in/z.mid", "in/a/n.txt"})
        std::ofstream(dir.File(name)) << "x";
    fs::create_directory_symlink(dir.File("in/a"), dir.File("in/link"));  // not followed

    std::vector<std::string> empty;
    const auto entries = CollectInputs({dir.File("in"), dir.File("other")}, true, &empty);
    EXPECT_EQ(Paths(entries),
              (std::vector<std::string>{dir.File("in/a/deep/y.Kar"), dir.File("in/a/x.mid"),
                                        dir.File("in/b/x.mid"), dir.File("in/z.mid")}));
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].path.substr(entries[0].treeStart), "a/deep/y.Kar");
    EXPECT_EQ(empty, std::vector<std::string>{dir.File("other")});
}

TEST(InputFiles, RepeatsOfOneResolvedPathAreTakenOnce) {
    testsupport::TempDir dir;
    fs::create_directories(dir.File("d"));
    std::ofstream(dir.File("d/a.mid")) << "x";
    std::ofstream(dir.File("d/b.mid")) << "x";
    fs::create_symlink(dir.File("d/a.mid"), dir.File("link.mid"));
    std::vector<InputEntry> entries = {{dir.File("d/a.mid")},     {dir.File("d/b.mid")},
                                       {dir.File("d/../d/a.mid")}, {dir.File("link.mid")},
                                       {dir.File("gone.mid")},    {dir.File("d/../gone.mid")}};
    RemoveRepeats(entries);
    EXPECT_EQ(Paths(entries), (std::vector<std::string>{dir.File("d/a.mid"), dir.File("d/b.mid"),
                                                        dir.File("gone.mid")}));
}

TEST(InputFiles, PathListsByLineOrByNul) {
    auto read = [](const std::string& bytes, bool nul, std::string* error = nullptr) {
        std::FILE* file = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
        std::vector<std::string> paths;
        const platform::Result read = ReadPathList(file, nul, paths);
        std::fclose(file);
        if (error != nullptr) *error = read.message;
        if (!read.ok()) paths.push_back("<failed>");
        return paths;
    };
    EXPECT_EQ(read("a.mid\r\n\nsub/b c.mid\n/x.mid", false),
              (std::vector<std::string>{"a.mid", "sub/b c.mid", "/x.mid"}));
    EXPECT_EQ(read(std::string("a\nb.mid\0c.mid\0\0", 15), true),
              (std::vector<std::string>{"a\nb.mid", "c.mid"}));
    std::string error;
    EXPECT_EQ(read(std::string("MThd\0\0\0\6", 8), false, &error).back(), "<failed>");
    EXPECT_NE(error.find("-0"), std::string::npos) << error;
}

TEST(InputFiles, MidiNames) {
    EXPECT_TRUE(IsMidiFileName("x.Mid"));
    EXPECT_TRUE(IsMidiFileName("x.y.kar"));
    EXPECT_FALSE(IsMidiFileName(".mid"));
    EXPECT_FALSE(IsMidiFileName("x.midx"));
    EXPECT_FALSE(IsMidiFileName("mid"));
}

}  // namespace
}  // namespace tonalbox::cli

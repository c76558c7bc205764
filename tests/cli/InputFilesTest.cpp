#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/InputFiles.h"
#include "tests/support/TempDir.h"

namespace tonalbox::cli {
namespace {

TEST(InputFiles, FolderAddsItsMidiFilesInNameOrder) {
    testsupport::TempDir dir;
    for (const char* name : {"b.mid", "a.MIDI", "c.kar", "d.rmi", "notes.txt", "e.mp3", "mid"}) {
        std::ofstream(dir.File(name)) << "x";
    }
    std::filesystem::create_directories(dir.File("sub.mid"));  // a folder, not a file
    std::ofstream(dir.File("sub.mid") + "/inner.mid") << "x";

    std::vector<std::string> empty;
    const auto files = CollectInputFiles({dir.Path(), "/elsewhere/z.mid"}, &empty);
    EXPECT_EQ(files, (std::vector<std::string>{dir.File("a.MIDI"), dir.File("b.mid"),
                                               dir.File("c.kar"), dir.File("d.rmi"),
                                               "/elsewhere/z.mid"}));
    EXPECT_TRUE(empty.empty());
}

TEST(InputFiles, FolderWithoutMidiFilesIsNamed) {
    testsupport::TempDir dir;
    std::ofstream(dir.File("readme.txt")) << "x";
    std::vector<std::string> empty;
    EXPECT_TRUE(CollectInputFiles({dir.Path()}, &empty).empty());
    EXPECT_EQ(empty, std::vector<std::string>{dir.Path()});
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

// The port list: which SoundFonts are found, in which order, and how each
// port is described.

#include "platform/audio/SoundFontCatalog.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#include "tests/support/TempDir.h"

namespace tonalbox::audio {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const std::string kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class SoundFontCatalogTest : public ::testing::Test {
protected:
    void TearDown() override {
        SoundFontCatalog::SetPreferredSoundFont("");
        SoundFontCatalog::ResetSearchFolders();
    }
    // A SoundFont that loads: the small test one under another name.
    static void Touch(const std::string& path) {
        std::error_code ec;
        fs::create_hard_link(kTestSoundFont, path, ec);
        if (ec) fs::copy_file(kTestSoundFont, path);
    }
    static std::string Canonical(const std::string& path) { return fs::canonical(path).string(); }
};

TEST_F(SoundFontCatalogTest, ListsEachSoundFontFileOnceInNameOrder) {
    TempDir a, b;
    Touch(a.File("zeta.sf2"));
    Touch(a.File("Alpha.SF3"));
    Touch(a.File("notes.txt"));
    Touch(a.File("beta.sf2x"));
    fs::create_directory(a.File("sub.sf2"));
    fs::create_symlink(a.File("zeta.sf2"), b.File("link-to-zeta.sf2"));
    fs::create_symlink(a.File("gone.sf2"), b.File("dangling.sf2"));
    Touch(b.File("gamma.sf2"));
    SoundFontCatalog::SetSearchFolders({a.Path(), b.Path(), a.File("no-such-folder")});
    const std::vector<SoundFontPort> ports = SoundFontCatalog::List();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].path, Canonical(a.File("Alpha.SF3")));
    EXPECT_EQ(ports[1].path, Canonical(a.File("zeta.sf2")));
    EXPECT_EQ(ports[2].path, Canonical(b.File("gamma.sf2")));
}

TEST_F(SoundFontCatalogTest, LeavesOutFilesThatDoNotLoad) {
    TempDir a;
    std::string head(300000, '\0');
    std::ifstream(kTestSoundFont, std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"empty.sf2", ""}, {"garbage.sf2", std::string(5000, 'x')}, {"cut.sf2", head}};
    for (const auto& [name, bytes] : bad) std::ofstream(a.File(name), std::ios::binary) << bytes;
    ASSERT_EQ(::mkfifo(a.File("pipe.sf2").c_str(), 0600), 0);
    Touch(a.File("good.sf2"));
    SoundFontCatalog::SetSearchFolders({a.Path()});
    SoundFontCatalog::SetPreferredSoundFont(a.File("garbage.sf2"));
    const std::vector<SoundFontPort> ports = SoundFontCatalog::List();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].path, Canonical(a.File("good.sf2")));
}

TEST_F(SoundFontCatalogTest, DescribesEachPortAsAnOutputSynthesizer) {
    TempDir a;
    Touch(a.File("MyFont.sf2"));
    SoundFontCatalog::SetSearchFolders({a.Path()});
    const std::vector<SoundFontPort> ports = SoundFontCatalog::List();
    ASSERT_EQ(ports.size(), 1u);
    const SoundFontPort& p = ports[0];
    EXPECT_EQ(p.description, "MyFont (SoundFont synthesizer)");
    EXPECT_EQ(p.portClass, kPortClassOutput);
    EXPECT_TRUE(p.flags & kPortFlagAudioPath);
    EXPECT_EQ(p.maxVoices, kSynthPolyphony);
    EXPECT_EQ(p.maxAudioChannels, 2u);
    EXPECT_EQ(p.guid, SoundFontCatalog::GuidForPath(p.path));
    ASSERT_TRUE(SoundFontCatalog::Find(p.guid).has_value());
    EXPECT_EQ(SoundFontCatalog::Find(p.guid)->path, p.path);
    EXPECT_FALSE(SoundFontCatalog::Find(Guid{}).has_value());
}

TEST_F(SoundFontCatalogTest, ThePreferredSoundFontComesFirstEvenFromElsewhere) {
    TempDir a, elsewhere;
    Touch(a.File("a.sf2"));
    Touch(a.File("b.sf2"));
    Touch(elsewhere.File("mine.sf2"));
    SoundFontCatalog::SetSearchFolders({a.Path()});
    SoundFontCatalog::SetPreferredSoundFont(a.File("b.sf2"));
    std::vector<SoundFontPort> ports = SoundFontCatalog::List();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].path, Canonical(a.File("b.sf2")));
    EXPECT_EQ(ports[1].path, Canonical(a.File("a.sf2")));

    SoundFontCatalog::SetPreferredSoundFont(elsewhere.File("mine.sf2"));
    ports = SoundFontCatalog::List();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].path, Canonical(elsewhere.File("mine.sf2")));

    SoundFontCatalog::SetPreferredSoundFont(elsewhere.File("missing.sf2"));
    EXPECT_EQ(SoundFontCatalog::List().size(), 2u);
}

TEST_F(SoundFontCatalogTest, TheSystemDefaultGeneralMidiSoundFontComesFirst) {
    const std::string link = "/usr/share/sounds/sf2/default-GM.sf2";
    if (!fs::exists(link)) GTEST_SKIP() << "no " << link;
    const std::vector<SoundFontPort> ports = SoundFontCatalog::List();
    ASSERT_FALSE(ports.empty());
    EXPECT_EQ(ports[0].path, Canonical(link));
    size_t same = 0;
    for (const SoundFontPort& p : ports) same += p.path == ports[0].path ? 1 : 0;
    EXPECT_EQ(same, 1u);
}

}  // namespace
}  // namespace tonalbox::audio

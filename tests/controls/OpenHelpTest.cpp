#include "ui/controls/OpenHelp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/controls/FakeOpener.h"
#include "tests/controls/QtTestSupport.h"
#include "tests/support/TempDir.h"

namespace tonalbox::controls {
namespace {

using testing::FakeOpener;

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

QString Q(const std::string& s) { return QString::fromStdString(s); }

TEST(OpenHelp, HelpPathFollowsTheProgramFolder) {
    EXPECT_EQ(HelpFilePath("/opt/tonalbox/"), "/opt/tonalbox/help.chm");
    EXPECT_EQ(HelpFilePath("/"), "/help.chm");
}

TEST(OpenHelp, OpensTheGuideOrItsPlainCopyAndOtherwiseNothing) {
    tonalbox::testing::TestApp();
    testsupport::TempDir dir;
    const std::string folder = dir.Path() + "/";
    FakeOpener opener;

    OpenHelp(folder);  // neither file: nothing asked, nothing shown
    EXPECT_TRUE(opener.Opened().isEmpty());

    std::filesystem::create_directories(dir.File("help"));
    Touch(dir.File("help/index.html"));
    OpenHelp(folder);
    ASSERT_TRUE(tonalbox::testing::PumpUntil([&] { return opener.Opened().size() == 1; }));
    Touch(dir.File("help.chm"));
    OpenHelp(folder);
    ASSERT_TRUE(tonalbox::testing::PumpUntil([&] { return opener.Opened().size() == 2; }));
    EXPECT_EQ(opener.Opened(), (QStringList{Q(dir.File("help/index.html")), Q(dir.File("help.chm"))}));
}

TEST(OpenHelp, AnOpenerThatFailsOnTheGuideFallsBackOnThePlainCopy) {
    tonalbox::testing::TestApp();
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("help"));
    Touch(dir.File("help/index.html"));
    Touch(dir.File("help.chm"));
    FakeOpener opener(0, QStringLiteral(".chm"), 3);  // "no tool for this file"
    OpenHelp(dir.Path() + "/");
    ASSERT_TRUE(tonalbox::testing::PumpUntil([&] { return opener.Opened().size() == 2; }));
    EXPECT_EQ(opener.Opened(), (QStringList{Q(dir.File("help.chm")), Q(dir.File("help/index.html"))}));
}

}  // namespace
}  // namespace tonalbox::controls

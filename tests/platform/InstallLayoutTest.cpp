// Finding the program's module and data files: next to the program in the
// build tree, in lib/ and share/ beside bin/ in an installed tree.
#include "platform/InstallLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempDir.h"

namespace tonalbox::platform {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(InstallLayout, ProgramFolderFirstThenTheInstalledFolderElseWhereTheFileBelongs) {
    testsupport::TempDir dir;
    const std::string bin = dir.File("usr/bin/");
    fs::create_directories(bin);
    const std::vector<std::string> modules = ModuleFolders(bin);
    const std::vector<std::string> data = DataFolders(bin);
    ASSERT_EQ(modules.size(), 2u);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(modules[0], bin);
    EXPECT_EQ(data[0], bin);
    // The installed folders, written without "..", lie beside bin/ and not in it.
    for (const std::string& folder : {modules[1], data[1]}) {
        EXPECT_EQ(folder.find(".."), std::string::npos) << folder;
        EXPECT_EQ(folder.rfind(dir.File("usr/"), 0), 0u) << folder;
        EXPECT_EQ(folder.rfind(bin, 0), std::string::npos) << folder;
        EXPECT_EQ(folder.back(), '/') << folder;
    }
    EXPECT_NE(modules[1], data[1]);

    // Nothing anywhere: looked for next to the program.
    EXPECT_EQ(FolderHolding(modules, "lame_enc.so"), bin);
    // Installed: found in the installed folders, data files inside folders too.
    Touch(modules[1] + "lame_enc.so");
    Touch(data[1] + "help/index.html");
    EXPECT_EQ(FolderHolding(modules, "lame_enc.so"), modules[1]);
    EXPECT_EQ(FolderHolding(data, "help"), data[1]);
    EXPECT_EQ(FolderHolding(data, "lame_enc.so"), bin) << "a module is not a data file";
    // A copy next to the program wins (the build tree).
    Touch(bin + "lame_enc.so");
    EXPECT_EQ(FolderHolding(modules, "lame_enc.so"), bin);

    EXPECT_TRUE(ModuleFolders("").empty());
    EXPECT_EQ(FolderHolding({}, "lame_enc.so"), "");
}

}  // namespace
}  // namespace tonalbox::platform

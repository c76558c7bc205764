#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/FileCopy.h"
#include "engine/TempWavFile.h"
#include "platform/ProgramPaths.h"
#include "tests/support/DiagnosticLogLines.h"
#include "tests/support/TempDir.h"

namespace tonalbox {
namespace {

using testsupport::TempDir;

TEST(TempWavFile, EachFileHasANameOfItsOwnAndGoesAwayAgain) {
    TempDir dir;
    const std::string folder = dir.Path() + "/";
    std::string firstPath;
    {
        TempWavFile first, second;
        ASSERT_TRUE(first.Create(folder).ok());
        ASSERT_TRUE(second.Create(folder).ok());
        firstPath = first.Path();
        EXPECT_NE(first.Path(), second.Path());
        for (const auto* f : {&first, &second}) {
            const std::string name = platform::FileNameOf(f->Path());
            EXPECT_EQ(name.rfind("mmm1980", 0), 0u) << name;
            EXPECT_EQ(name.substr(name.size() - 4), ".wav");
            EXPECT_EQ(f->Path().rfind(folder, 0), 0u);
            struct stat st {};
            ASSERT_EQ(::lstat(f->Path().c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 077, 0u) << "only the user may read the capture";
        }
        second.Remove();
        EXPECT_FALSE(second.IsCreated());
        EXPECT_TRUE(platform::FileExists(first.Path()));
    }
    EXPECT_FALSE(platform::FileExists(firstPath));
}

TEST(TempWavFile, TruncateEmptiesTheFileAndKeepsTheName) {
    TempDir dir;
    TempWavFile file;
    ASSERT_TRUE(file.Create(dir.Path() + "/").ok());
    { std::ofstream(file.Path(), std::ios::binary) << "captured audio"; }
    ASSERT_TRUE(file.Truncate().ok());
    struct stat st {};
    ASSERT_EQ(::stat(file.Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

TEST(TempWavFile, FolderThatDoesNotExistGivesNoFile) {
    TempDir dir;
    TempWavFile file;
    EXPECT_FALSE(file.Create(dir.Path() + "/no/such/folder/").ok());
    EXPECT_FALSE(file.IsCreated());
    EXPECT_FALSE(file.Truncate().ok());
    file.Remove();  // harmless
}

TEST(FileCopy, CopiesContentsOverOldAndReportsFailures) {
    TempDir dir;
    { std::ofstream(dir.File("from"), std::ios::binary) << "new content"; }
    { std::ofstream(dir.File("to"), std::ios::binary) << "old content that is longer"; }
    ASSERT_TRUE(CopyFileContents(dir.File("from"), dir.File("to")).ok());
    std::ifstream in(dir.File("to"), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "new content");

    EXPECT_FALSE(CopyFileContents(dir.File("missing"), dir.File("x")).ok());
    EXPECT_FALSE(platform::FileExists(dir.File("x")));
    EXPECT_FALSE(CopyFileContents(dir.File("from"), dir.Path()).ok());  // a folder
}

TEST(FileCopy, AFailureNamesItsFileInTheDiagnosticLog) {
    TempDir dir;
    { std::ofstream(dir.File("from"), std::ios::binary) << "content"; }
    const struct {
        std::string from, to, named;
    } cases[] = {
        {dir.File("missing"), dir.File("x"), dir.File("missing")},
        {dir.File("from"), dir.Path(), dir.Path()},
    };
    for (const auto& c : cases) {
        const testsupport::DiagnosticLogLines logged;
        const platform::Result result = CopyFileContents(c.from, c.to);
        EXPECT_NE(result.code, 0) << c.from;
        EXPECT_NE(result.message.find(c.named), std::string::npos) << result.message;
        EXPECT_EQ(logged.lines, std::vector<std::string>{result.message});
    }
}

}  // namespace
}  // namespace tonalbox

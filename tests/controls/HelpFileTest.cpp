#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kBin = TONALBOX_BIN_DIR;
const char* const kPages[] = {"index.html",   "filelist.html",   "settag.html",        "output.html",
                              "options.html", "converting.html", "troubleshooting.html"};

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(HelpFileTest, CompiledGuideIsNextToTheProgram) {
    const fs::path chm = kBin / "help.chm";
    ASSERT_TRUE(fs::exists(chm)) << "build the tonalbox_help target (needs chmcmd from fp-utils)";
    const std::string bytes = ReadAll(chm);
    ASSERT_GT(bytes.size(), 4096u);
    EXPECT_EQ(bytes.compare(0, 4, "ITSF"), 0);  // the CHM signature

    // chmls (fp-utils, like chmcmd) lists the pages compiled in.
    const fs::path listing = fs::temp_directory_path() / "tonalbox_help_listing.txt";
    const std::string cmd = "chmls list '" + chm.string() + "' > '" + listing.string() + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "chmls not available";
    const std::string list = ReadAll(listing);
    fs::remove(listing);
    for (const char* page : kPages) EXPECT_NE(list.find(std::string("/") + page), std::string::npos) << page;
}

TEST(HelpFileTest, HtmlGuideLinksOnlyToPagesThatExist) {
    // The plain HTML copy is what a desktop without a CHM viewer opens.
    for (const char* page : kPages) {
        const fs::path p = kBin / "help" / page;
        ASSERT_TRUE(fs::exists(p)) << page;
        const std::string html = ReadAll(p);
        EXPECT_NE(html.find("<title>"), std::string::npos) << page;
        std::size_t pos = 0;
        while ((pos = html.find("href=\"", pos)) != std::string::npos) {
            pos += 6;
            std::string target = html.substr(pos, html.find('"', pos) - pos);
            if (target.rfind("http", 0) == 0 || target.rfind("mailto:", 0) == 0) continue;
            target = target.substr(0, target.find('#'));
            EXPECT_TRUE(fs::exists(kBin / "help" / target)) << page << " -> " << target;
        }
    }
}

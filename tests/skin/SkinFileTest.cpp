#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "skin/SkinFile.h"
#include "skin/SkinScheme.h"

namespace fs = std::filesystem;
using tonalbox::skin::SkinFile;
using tonalbox::skin::SkinScheme;

namespace {

fs::path WriteTemp(const std::string& name, const std::string& bytes) {
    fs::path p = fs::temp_directory_path() / ("tonalbox_skinfile_" + name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

}  // namespace

TEST(SkinFileTest, ShippedFileHasTheBlueSchemeTheProgramAsksFor) {
    SkinFile file;
    ASSERT_TRUE(file.Load(TONALBOX_SOURCE_DIR "/resources/Standard.skin"));
    const SkinScheme* blue = file.FindScheme("NormalBlue.ini");
    ASSERT_NE(blue, nullptr);
    EXPECT_TRUE(blue->IsUsable());
    EXPECT_EQ(blue->Color("Window"), QColor(0xdc, 0xe6, 0xf4));
    // Every value of the blue scheme is well-formed: a typo in the file
    // would silently fall back to a derived colour.
    for (const char* key : {"Window", "WindowTop", "WindowBottom", "WindowText", "Base", "Text",
                            "Button", "ButtonText", "ButtonTop", "ButtonBottom", "ButtonBorder",
                            "Highlight", "HighlightedText", "FocusBorder", "EditBorder",
                            "GroupBorder", "GroupTitle", "ProgressChunk", "DisabledText"}) {
        EXPECT_TRUE(blue->Color(key).has_value()) << key;
    }
    EXPECT_EQ(blue->Integer("Radius", 0, 8, -1), 3);
}

TEST(SkinFileTest, NamesAreMatchedWithoutRegardToCase) {
    SkinFile file;
    ASSERT_TRUE(file.Parse("[NormalBlue.ini]\nWINDOW = #010203\n"));
    const SkinScheme* s = file.FindScheme("normalblue.INI");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Name(), "NormalBlue.ini");
    EXPECT_EQ(s->Color("window"), QColor(1, 2, 3));
    EXPECT_EQ(file.FindScheme("NormalBlue"), nullptr);
}

TEST(SkinFileTest, AcceptsCommentsBlankLinesCrLfAndByteOrderMark) {
    SkinFile file;
    ASSERT_TRUE(file.Parse("\xEF\xBB\xBF; heading\r\n\r\n# other comment\r\n[A]\r\n"
                           "  Window =  10, 20 ,30  \r\nButton=#FFfF00\r\n[B]\r\nWindow=#000000"));
    EXPECT_EQ(file.SchemeCount(), 2u);
    const SkinScheme* a = file.FindScheme("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Color("Window"), QColor(10, 20, 30));
    EXPECT_EQ(a->Color("Button"), QColor(255, 255, 0));
    EXPECT_TRUE(a->IsUsable());
    ASSERT_NE(file.FindScheme("B"), nullptr);
    EXPECT_FALSE(file.FindScheme("B")->IsUsable());  // no button colour
}

TEST(SkinFileTest, RefusesMalformedText) {
    struct Case {
        const char* text;
        int line;
    } cases[] = {
        {"Window=#000000\n", 1},                    // key before any section
        {"[A]\nWindow #000000\n", 2},               // no '='
        {"[A]\n= #000000\n", 2},                    // empty key
        {"[A\nWindow=#000000\n", 1},                // unterminated section
        {"[ ]\n", 1},                               // empty section name
    };
    for (const Case& c : cases) {
        SkinFile file;
        EXPECT_FALSE(file.Parse(c.text)) << c.text;
        EXPECT_EQ(file.ErrorLine(), c.line) << c.text;
        EXPECT_EQ(file.SchemeCount(), 0u) << c.text;
    }
    std::string withNul = "[A]\nWindow=#000000\nButton=#000000\n";
    withNul[12] = '\0';
    SkinFile file;
    EXPECT_FALSE(file.Parse(withNul));
}

TEST(SkinFileTest, LoadFailsForMissingHugeAndBinaryFiles) {
    SkinFile file;
    EXPECT_FALSE(file.Load((fs::temp_directory_path() / "tonalbox_no_such.skin").string()));
    EXPECT_FALSE(file.Load(fs::temp_directory_path().string()));  // a folder

    std::string big = "[A]\nWindow=#000000\nButton=#000000\n";
    big.append(SkinFile::kMaxFileSize, ';');
    fs::path p = WriteTemp("big.skin", big);
    EXPECT_FALSE(file.Load(p.string()));
    fs::remove(p);

    p = WriteTemp("ok.skin", "[A]\nWindow=#000000\nButton=#000000\n");
    EXPECT_TRUE(file.Load(p.string()));
    // A failed load forgets what an earlier one read.
    EXPECT_FALSE(file.Load((fs::temp_directory_path() / "tonalbox_no_such.skin").string()));
    EXPECT_EQ(file.FindScheme("A"), nullptr);
    fs::remove(p);
}

TEST(SkinSchemeTest, ParsesOnlyWellFormedColours) {
    EXPECT_EQ(SkinScheme::ParseColor("#1a2B3c"), QColor(0x1a, 0x2b, 0x3c));
    EXPECT_EQ(SkinScheme::ParseColor("0,0,255"), QColor(0, 0, 255));
    EXPECT_EQ(SkinScheme::ParseColor(" 1 , 2 , 3 "), QColor(1, 2, 3));
    for (const char* bad : {"", "#12345", "#1234567", "#gg0000", "#-10000", "256,0,0", "-1,0,0",
                            "1,2", "1,2,3,4", "1,,3", "1,2,3x", "blue", "0x10,0,0"}) {
        EXPECT_FALSE(SkinScheme::ParseColor(bad).has_value()) << bad;
    }
}

TEST(SkinSchemeTest, PaletteTakesNamedRolesAndDerivesTheRest) {
    SkinScheme s("X");
    s.Set("Window", "#203040");
    s.Set("Button", "#405060");
    s.Set("Highlight", "#ff0000");
    s.Set("DisabledText", "#777777");
    s.Set("Base", "not a colour");
    const QPalette pal = s.BuildPalette();
    EXPECT_EQ(pal.color(QPalette::Active, QPalette::Window), QColor(0x20, 0x30, 0x40));
    EXPECT_EQ(pal.color(QPalette::Inactive, QPalette::Button), QColor(0x40, 0x50, 0x60));
    EXPECT_EQ(pal.color(QPalette::Active, QPalette::Highlight), QColor(255, 0, 0));
    EXPECT_EQ(pal.color(QPalette::Disabled, QPalette::ButtonText), QColor(0x77, 0x77, 0x77));
    EXPECT_EQ(pal.color(QPalette::Disabled, QPalette::Base), QColor(0x20, 0x30, 0x40));
    // Derived from the button colour: lighter and darker shades.
    EXPECT_GT(pal.color(QPalette::Active, QPalette::Light).lightness(),
              pal.color(QPalette::Active, QPalette::Button).lightness());
    EXPECT_LT(pal.color(QPalette::Active, QPalette::Dark).lightness(),
              pal.color(QPalette::Active, QPalette::Button).lightness());
}

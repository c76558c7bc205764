#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <filesystem>
#include <fstream>

#include "skin/SkinManager.h"

namespace fs = std::filesystem;
using tonalbox::skin::SkinManager;

namespace {

void EnsureApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tonalbox_skin_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives until the process ends
    }
}

const char* kShippedSkin = TONALBOX_BIN_DIR "/Standard.skin";
const QColor kBlueWindow(0xdc, 0xe6, 0xf4);

class SkinManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        m_standardWindow = QApplication::palette().color(QPalette::Window);
        m_standardStyle = QApplication::style()->name();
    }
    void TearDown() override {
        // Leave the process in the standard look for the next test.
        SkinManager::Instance().SetOptions(15);
        SkinManager::Instance().LoadSkinFile("", "");
    }
    QColor m_standardWindow;
    QString m_standardStyle;
};

}  // namespace

TEST_F(SkinManagerTest, StartsWithOptionsFifteenAndKeepsTheWordItIsGiven) {
    SkinManager& m = SkinManager::Instance();
    EXPECT_EQ(&m, &SkinManager::Instance());
    EXPECT_EQ(m.GetOptions(), 15u);
    // What the program does at start-up: set bit 0 and write the word back.
    m.SetOptions(m.GetOptions() | 1u);
    EXPECT_EQ(m.GetOptions(), 15u);
    m.SetOptions(0x12345678u);
    EXPECT_EQ(m.GetOptions(), 0x12345678u);
    EXPECT_FALSE(m.IsLoaded());  // storing options loads nothing
}

TEST_F(SkinManagerTest, MissingFileOrSchemeKeepsTheStandardLook) {
    SkinManager& m = SkinManager::Instance();
    EXPECT_FALSE(m.LoadSkinFile(TONALBOX_BIN_DIR "/NoSuch.skin", "NormalBlue.ini"));
    EXPECT_FALSE(m.LoadSkinFile(kShippedSkin, "NoSuchScheme.ini"));
    EXPECT_FALSE(m.IsLoaded());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), m_standardWindow);
    EXPECT_EQ(QApplication::style()->name(), m_standardStyle);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinManagerTest, ShippedSkinIsNextToTheProgramAndColoursEveryWindow) {
    SkinManager& m = SkinManager::Instance();
    ASSERT_TRUE(m.LoadSkinFile(kShippedSkin, "NormalBlue.ini"));
    EXPECT_TRUE(m.IsLoaded());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), kBlueWindow);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    // A window created afterwards, with no call of its own, has the skin.
    QPushButton button("OK");
    EXPECT_EQ(button.palette().color(QPalette::Window), kBlueWindow);
}

TEST_F(SkinManagerTest, ReadOnlyEditLooksLikeADisabledOneNotAnEditableOne) {
    ASSERT_TRUE(SkinManager::Instance().LoadSkinFile(kShippedSkin, "NormalBlue.ini"));
    // The colour in the middle of an edit's background, left of any text.
    auto fieldColour = [](QLineEdit& edit) {
        edit.resize(120, 24);
        edit.ensurePolished();
        const QImage image = edit.grab().toImage();
        return image.pixelColor(image.width() - 8, image.height() / 2);
    };
    QLineEdit editable, readOnly, disabled;
    readOnly.setReadOnly(true);
    disabled.setEnabled(false);
    EXPECT_EQ(fieldColour(readOnly), fieldColour(disabled));
    EXPECT_NE(fieldColour(readOnly), fieldColour(editable));
}

TEST_F(SkinManagerTest, SetOptionsReappliesTheLoadedSkin) {
    SkinManager& m = SkinManager::Instance();
    ASSERT_TRUE(m.LoadSkinFile(kShippedSkin, "NormalBlue.ini"));
    m.SetOptions(15u & ~SkinManager::kOptionColors & ~SkinManager::kOptionControls);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), m_standardWindow);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_TRUE(m.IsLoaded());
    m.SetOptions(15u);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), kBlueWindow);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinManagerTest, FailedLoadAfterASkinReturnsToTheStandardLook) {
    SkinManager& m = SkinManager::Instance();
    ASSERT_TRUE(m.LoadSkinFile(kShippedSkin, "NormalBlue.ini"));
    fs::path broken = fs::temp_directory_path() / "tonalbox_broken.skin";
    std::ofstream(broken) << "Window=#000000\n";  // no section: not a skin file
    EXPECT_FALSE(m.LoadSkinFile(broken.string(), "NormalBlue.ini"));
    fs::remove(broken);
    EXPECT_FALSE(m.IsLoaded());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), m_standardWindow);
    EXPECT_EQ(QApplication::style()->name(), m_standardStyle);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

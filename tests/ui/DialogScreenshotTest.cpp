// Pictures of the dialogs for a visual check, with and without the skin.
// Without TONALBOX_SCREENSHOT_DIR the pictures go to a temporary folder, so
// every dialog is still drawn both ways; to keep them, e.g.
//   TONALBOX_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a
//   build/bin/tonalbox_ui_tests --gtest_filter='DialogScreenshot*'
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "DialogTestSupport.h"
#include "tests/support/TempDir.h"
#include "engine/ConversionSettings.h"
#include "ui/CAboutDlg.h"
#include "skin/SkinManager.h"
#include "ui/COptionDlg.h"
#include "ui/CSetTagDlg.h"

using namespace tonalbox;

namespace {

// Saves the dialog as drawn and, on a real display, the whole screen as
// `import -window root` sees it.
void Shoot(QWidget& dlg, const QString& dir, const QString& name) {
    dlg.show();
    dlg.raise();
    dlg.activateWindow();
    QTest::qWait(300);
    EXPECT_TRUE(dlg.grab().save(dir + "/" + name + ".png")) << name.toStdString();
    if (QGuiApplication::platformName() == "xcb") {
        QScreen* screen = QGuiApplication::primaryScreen();
        EXPECT_TRUE(screen->grabWindow(0).save(dir + "/" + name + "-screen.png"));
    }
    dlg.hide();
}

}  // namespace

TEST(DialogScreenshot, DialogsWithAndWithoutSkin) {
    testsupport::TempDir pictures;
    QString dir = qEnvironmentVariable("TONALBOX_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = QString::fromStdString(pictures.Path());
    dialog_tests::EnsureApp();
    ASSERT_TRUE(QDir().mkpath(dir));
    for (const bool skinned : {false, true}) {
        if (skinned) {
            ASSERT_TRUE(skin::SkinManager::Instance().LoadSkinFile(TONALBOX_BIN_DIR "/Standard.skin",
                                                                   "NormalBlue.ini"));
        }
        const QString suffix = skinned ? "-skin" : "-plain";
        ConversionSettings settings = ConversionSettings::Defaults();
        {
            ui::COptionDlg options(settings);
            Shoot(options, dir, "options" + suffix);
        }
        {
            ui::CSetTagDlg tag(settings.m_tag);
            Shoot(tag, dir, "settag" + suffix);
        }
        {
            ui::CAboutDlg about;
            Shoot(about, dir, "about" + suffix);
        }
        {
            QMessageBox box(QMessageBox::Warning, "tonalbox", "Please enter an integer.", QMessageBox::Ok);
            Shoot(box, dir, "message" + suffix);
        }
    }
    skin::SkinManager::Instance().LoadSkinFile("", "");
}

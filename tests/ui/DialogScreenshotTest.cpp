// Pictures of the dialogs for a visual check, with and without the skin;
// the skin must change how each of them is drawn.
// Without TONALBOX_SCREENSHOT_DIR the pictures go to a temporary folder, so
// every dialog is still drawn both ways; to keep them, e.g.
//   TONALBOX_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a
//   build/bin/tonalbox_ui_tests --gtest_filter='DialogScreenshot*'
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <map>

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
// `import -window root` sees it; returns the dialog as drawn.
QImage Shoot(QWidget& dlg, const QString& dir, const QString& name) {
    dlg.show();
    dlg.raise();
    dlg.activateWindow();
    const QImage drawn = dlg.grab().toImage();
    EXPECT_TRUE(drawn.save(dir + "/" + name + ".png")) << name.toStdString();
    if (QGuiApplication::platformName() == "xcb") {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg)) << name.toStdString();
        QScreen* screen = QGuiApplication::primaryScreen();
        EXPECT_TRUE(screen->grabWindow(0).save(dir + "/" + name + "-screen.png"));
    }
    dlg.hide();
    return drawn;
}

}  // namespace

TEST(DialogScreenshot, DialogsWithAndWithoutSkin) {
    testsupport::TempDir pictures;
    QString dir = qEnvironmentVariable("TONALBOX_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = QString::fromStdString(pictures.Path());
    dialog_tests::EnsureApp();
    ASSERT_TRUE(QDir().mkpath(dir));
    std::map<QString, QImage> plain;
    for (const bool skinned : {false, true}) {
        if (skinned) {
            ASSERT_TRUE(skin::SkinManager::Instance().LoadSkinFile(TONALBOX_BIN_DIR "/Standard.skin",
                                                                   "NormalBlue.ini"));
        }
        // Each dialog drawn with the skin differs from its plain drawing.
        auto shoot = [&](QWidget& dlg, const QString& name) {
            const QImage drawn = Shoot(dlg, dir, name + (skinned ? "-skin" : "-plain"));
            if (!skinned) plain[name] = drawn;
            else EXPECT_NE(drawn, plain[name]) << name.toStdString();
        };
        ConversionSettings settings = ConversionSettings::Defaults();
        {
            ui::COptionDlg options(settings);
            shoot(options, "options");
        }
        {
            ui::CSetTagDlg tag(settings.m_tag);
            shoot(tag, "settag");
        }
        {
            ui::CAboutDlg about;
            shoot(about, "about");
        }
        {
            QMessageBox box(QMessageBox::Warning, "tonalbox", "Please enter an integer.", QMessageBox::Ok);
            shoot(box, "message");
        }
    }
    skin::SkinManager::Instance().LoadSkinFile("", "");
}

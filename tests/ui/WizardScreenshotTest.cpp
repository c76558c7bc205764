// Pictures of the main window on each page and of the start-up notice, for
// a visual check, and the walk through every page they need. Without
// TONALBOX_SCREENSHOT_DIR they go to a temporary folder; to keep them:
//   TONALBOX_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a
//     build/bin/tonalbox_ui_tests --gtest_filter='WizardScreenshot*'
// On a real display each picture is the whole screen as
// `import -window root` sees it; otherwise the window as drawn. The walk
// checks that each page and box draws something of its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QProgressBar>
#include <QTest>

#include "tests/ui/WizardTestSupport.h"
#include "ui/CConvertingPage.h"
#include "ui/CWaitDialog.h"

namespace tonalbox::testing {
namespace {

// Saves a picture of `window` and returns the window as drawn.
QImage Shoot(QWidget* window, const QString& dir, const QString& name) {
    const QString file = dir + "/" + name + ".png";
    const QImage drawn = window->grab().toImage();
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window)) << name.toStdString();
        EXPECT_EQ(QProcess::execute(QStringLiteral("import"), {"-window", "root", file}), 0) << name.toStdString();
    } else {
        EXPECT_TRUE(drawn.save(file)) << name.toStdString();
    }
    return drawn;
}

// Whether the picture holds more than one colour (something was drawn on
// the background).
bool HasContent(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0)) return true;
    return false;
}

TEST(WizardScreenshot, EveryPageAndTheNotice) {
    testsupport::TempDir pictures;
    QString dir = qEnvironmentVariable("TONALBOX_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = QString::fromStdString(pictures.Path());
    ASSERT_TRUE(QDir().mkpath(dir));
    WizardTestSetUp();
    testsupport::TempDir tmp;
    std::filesystem::create_directories(tmp.File("Music/Output Folder"));
    ASSERT_TRUE(WriteMidi(tmp.File("Music/Moonlight Sonata (first movement).mid"), 2400));
    ASSERT_TRUE(WriteMidi(tmp.File("Music/Minuet in G.mid"), 4));
    ASSERT_TRUE(WriteMidi(tmp.File("Music/Prelude.mid"), 4));
    ConversionSettings settings = ConversionSettings::Defaults();
    settings.m_bUseTempFolder = 0;
    settings.m_strOutputFolder = tmp.File("Music/Output Folder/");

    ui::CTonalboxDlg dlg(settings, nullptr, tmp.File("Option.dat"));
    dlg.show();
    // The notice is up from the window's showing until the engine has
    // started, which takes the event loop: it is taken before any event.
    ui::CWaitDialog* notice = dlg.OutputPage()->WaitDialog();
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(notice->isVisible());
    EXPECT_TRUE(HasContent(Shoot(notice, dir, "0-notice")));
    ASSERT_TRUE(PumpUntil([&] { return dlg.OutputPage()->IsEngineStarted(); }, 20000));

    dlg.FileListPage()->AppendFiles({QString::fromStdString(tmp.File("Music/Moonlight Sonata (first movement).mid")),
                                     QString::fromStdString(tmp.File("Music/Minuet in G.mid")),
                                     QString::fromStdString(tmp.File("Music/Prelude.mid"))});
    dlg.FileListPage()->NameList()->setCurrentRow(1);
    std::vector<QImage> pages;
    pages.push_back(Shoot(&dlg, dir, "1-file-list"));

    Ctl<QPushButton>(&dlg, 1003)->click();
    pages.push_back(Shoot(&dlg, dir, "2-output"));

    Ctl<QPushButton>(&dlg, 1003)->click();
    ASSERT_TRUE(PumpUntil([&] {
        return Ctl<QLabel>(dlg.ConvertingPage(), 1066)->text() == QStringLiteral("1/3") &&
               Ctl<QProgressBar>(dlg.ConvertingPage(), 1062)->value() > 10;
    }, 60000));
    pages.push_back(Shoot(&dlg, dir, "3-converting"));
    Ctl<QPushButton>(dlg.ConvertingPage(), 1020)->click();
    ASSERT_TRUE(PumpUntil([&] { return dlg.CurrentPage() == 3; }, 60000));
    pages.push_back(Shoot(&dlg, dir, "4-result"));
    // Each page draws the window anew.
    for (size_t i = 1; i < pages.size(); ++i) EXPECT_NE(pages[i], pages[i - 1]) << i;

    // The empty-list message over the window.
    Ctl<QPushButton>(&dlg, 1004)->click();
    bool shot = false;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        if (shot || !qobject_cast<QMessageBox*>(modal)) return false;
        shot = true;
        EXPECT_TRUE(HasContent(Shoot(modal, dir, "5-empty-list-message")));
        return false;
    });
    Ctl<QPushButton>(&dlg, 1003)->click();
    EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Please add the MIDI files!"});
    dlg.reject();
}

}  // namespace
}  // namespace tonalbox::testing

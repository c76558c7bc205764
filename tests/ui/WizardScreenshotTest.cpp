// Pictures of the main window on each page and of the start-up notice, for
// a visual check, and the walk through every page they need. Without
// TONALBOX_SCREENSHOT_DIR they go to a temporary folder; to keep them:
//   TONALBOX_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a
//     build/bin/tonalbox_ui_tests --gtest_filter='WizardScreenshot*'
// On a real display each picture is the whole screen as
// `import -window root` sees it; otherwise the window as drawn.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QProgressBar>
#include <QTest>

#include "tests/ui/WizardTestSupport.h"
#include "ui/CConvertingPage.h"
#include "ui/CWaitDialog.h"

namespace tonalbox::testing {
namespace {

void Shoot(QWidget* window, const QString& dir, const QString& name, int settleMs = 300) {
    if (settleMs > 0) QTest::qWait(settleMs);
    const QString file = dir + "/" + name + ".png";
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QCoreApplication::processEvents();
        EXPECT_EQ(QProcess::execute(QStringLiteral("import"), {"-window", "root", file}), 0) << name.toStdString();
    } else {
        EXPECT_TRUE(window->grab().save(file)) << name.toStdString();
    }
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
    // The notice, before its 100 ms have passed.
    QCoreApplication::processEvents();
    QTest::qWait(30);
    ASSERT_NE(dlg.OutputPage()->WaitDialog(), nullptr);
    Shoot(&dlg, dir, "0-notice", 0);
    ASSERT_TRUE(PumpUntil([&] { return dlg.OutputPage()->IsEngineStarted(); }, 20000));

    dlg.FileListPage()->AppendFiles({QString::fromStdString(tmp.File("Music/Moonlight Sonata (first movement).mid")),
                                     QString::fromStdString(tmp.File("Music/Minuet in G.mid")),
                                     QString::fromStdString(tmp.File("Music/Prelude.mid"))});
    dlg.FileListPage()->NameList()->setCurrentRow(1);
    Shoot(&dlg, dir, "1-file-list");

    Ctl<QPushButton>(&dlg, 1003)->click();
    Shoot(&dlg, dir, "2-output");

    Ctl<QPushButton>(&dlg, 1003)->click();
    ASSERT_TRUE(PumpUntil([&] {
        return Ctl<QLabel>(dlg.ConvertingPage(), 1066)->text() == QStringLiteral("1/3") &&
               Ctl<QProgressBar>(dlg.ConvertingPage(), 1062)->value() > 10;
    }, 60000));
    Shoot(&dlg, dir, "3-converting", 100);
    Ctl<QPushButton>(dlg.ConvertingPage(), 1020)->click();
    ASSERT_TRUE(PumpUntil([&] { return dlg.CurrentPage() == 3; }, 60000));
    Shoot(&dlg, dir, "4-result");

    // The empty-list message over the window.
    Ctl<QPushButton>(&dlg, 1004)->click();
    bool shot = false;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        if (shot || !qobject_cast<QMessageBox*>(modal)) return false;
        shot = true;
        Shoot(&dlg, dir, "5-empty-list-message");
        return false;
    });
    Ctl<QPushButton>(&dlg, 1003)->click();
    EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Please add the MIDI files!"});
    dlg.reject();
}

}  // namespace
}  // namespace tonalbox::testing

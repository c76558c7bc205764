// The window's command line: the files it names start on the file list.
#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>

#include <filesystem>

#include "shell/CTonalboxApp.h"
#include "tests/ui/WizardTestSupport.h"

namespace tonalbox::testing {
namespace {

TEST(StartupFiles, WindowStartsWithTheNamedFilesInOrderSkippingWhatAddWouldNotTake) {
    WizardTestSetUp();
    testsupport::TempDir dir;
    for (const char* name : {"a.mid", "b.mid", "-dash.mid"}) ASSERT_TRUE(WriteMidi(dir.File(name), 1));
    std::filesystem::create_directory(dir.File("folder.mid"));
    auto q = [&](const char* name) { return QString::fromStdString(dir.File(name)); };

    // A relative name is taken from the current folder, as a file manager
    // starting the program in the files' folder passes it.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.Path())));
    const shell::StartupArguments start = shell::ParseStartupArguments(
        {q("a.mid"), QStringLiteral("--bogus"), q("missing.mid"), q("folder.mid"),
         QStringLiteral("b.mid"), QStringLiteral("--"), QStringLiteral("-dash.mid"), q("a.mid")});

    QStringList paths;
    QStringList names;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* dlg = qobject_cast<ui::CTonalboxDlg*>(modal);
        if (!dlg || !dlg->OutputPage()->IsEngineStarted()) return false;
        for (int i = 0; i < dlg->FileListPage()->PathListBox()->count(); ++i) {
            paths << dlg->FileListPage()->PathListBox()->item(i)->text();
            names << dlg->FileListPage()->NameList()->item(i)->text();
        }
        dlg->reject();
        return true;
    });
    ConversionSettings settings = ConversionSettings::Defaults();
    ::testing::internal::CaptureStderr();
    const int code = CTonalboxApp::RunMainWindow(settings, start, dir.File("Option.dat"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    QDir::setCurrent(cwd);

    EXPECT_EQ(code, 0);
    auto lines = [](const QStringList& list) { return list.join('\n').toStdString(); };
    EXPECT_EQ(lines(paths), lines({q("a.mid"), q("b.mid"), q("-dash.mid"), q("a.mid")}));
    EXPECT_EQ(lines(names), "a.mid\nb.mid\n-dash.mid\na.mid");
    EXPECT_NE(err.find("unknown option --bogus ignored\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("missing.mid"), std::string::npos) << "skipped without a word, as Add";
}

}  // namespace
}  // namespace tonalbox::testing

#include "ui/controls/OpenHelp.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QUrl>

#include <filesystem>
#include <fstream>

#include "tests/controls/QtTestSupport.h"
#include "tests/support/TempDir.h"

namespace tonalbox::controls {
namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(OpenHelp, HelpPathFollowsTheProgramFolder) {
    EXPECT_EQ(HelpFilePath("/opt/tonalbox/"), "/opt/tonalbox/help.chm");
    EXPECT_EQ(HelpFilePath("/"), "/help.chm");
}

TEST(OpenHelp, OpensTheGuideOrItsPlainCopyAndOtherwiseNothing) {
    tonalbox::testing::TestApp();
    testsupport::TempDir dir;
    const std::string folder = dir.Path() + "/";
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");

    OpenHelp(folder);  // neither file: nothing asked, nothing shown
    EXPECT_TRUE(recorder.urls.empty());

    std::filesystem::create_directories(dir.File("help"));
    Touch(dir.File("help/index.html"));
    OpenHelp(folder);
    Touch(dir.File("help.chm"));
    OpenHelp(folder);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    ASSERT_EQ(recorder.urls.size(), 2u);
    EXPECT_EQ(recorder.urls[0].toLocalFile().toStdString(), dir.File("help/index.html"));
    EXPECT_EQ(recorder.urls[1].toLocalFile().toStdString(), dir.File("help.chm"));
}

}  // namespace
}  // namespace tonalbox::controls

#include "OpenHelpTest.moc"

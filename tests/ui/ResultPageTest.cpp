// The result page's folder link with a folder too long for its place.
#include <gtest/gtest.h>

#include <QLabel>

#include "tests/ui/WizardTestSupport.h"
#include "ui/CResultPage.h"
#include "ui/controls/CHyperlinkLabel.h"

namespace tonalbox::testing {
namespace {

TEST(ResultPage, ALongFolderIsShortenedInTheMiddleWithTheWholePathInItsTip) {
    TestApp();
    ConversionSettings settings = ConversionSettings::Defaults();
    const std::string folder =
        "/home/someone/Music/converted/for checking the long names of the output folder/"
        "of this test, which no link of the page can show in full/";
    settings.m_strOutputFolder = folder;
    settings.m_bSameAsSource = 0;
    QWidget parent;
    ui::CResultPage page(settings);
    page.Create(&parent);
    CHyperlinkLabel* link = page.FolderLink();
    // The place the template gives the link.
    const int room = link->MaxWidth();
    ASSERT_GT(room, 100);
    page.m_nSuccessCount = 1;
    page.OnPageEnter();

    EXPECT_EQ(link->text().toStdString(), folder);
    EXPECT_LE(link->width(), room);
    const QString shown = link->ShownText();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("in full/")));
    EXPECT_EQ(link->ToolText().toStdString(), folder);
    EXPECT_EQ(link->ToolRect(), link->rect());

    // A short folder is shown whole, and the link fits it.
    settings.m_strOutputFolder = "/tmp/";
    page.OnPageEnter();
    EXPECT_EQ(link->ShownText(), QStringLiteral("/tmp/"));
    EXPECT_LT(link->width(), room);
}

}  // namespace
}  // namespace tonalbox::testing

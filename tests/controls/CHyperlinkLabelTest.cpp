#include "ui/controls/CHyperlinkLabel.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QDir>
#include <QMouseEvent>
#include <QTest>
#include <QTemporaryDir>
#include <QUrl>

#include "tests/controls/FakeOpener.h"
#include "tests/controls/QtTestSupport.h"

namespace tonalbox {
namespace {

using tonalbox::testing::FakeOpener;
using tonalbox::testing::ModalAnswerer;
using tonalbox::testing::PumpUntil;
using tonalbox::testing::TestApp;

// A label whose opener answers with a chosen code and records targets.
class ScriptedLabel : public CHyperlinkLabel {
public:
    using CHyperlinkLabel::CHyperlinkLabel;
    int result = 33;
    std::vector<std::string> opened;

protected:
    void OpenTarget(const std::string& target, int) override {
        opened.push_back(target);
        OpenFinished(result);
    }
};

struct Form {
    QWidget parent;
    explicit Form() { parent.resize(600, 400); }
};

void MoveMouse(QWidget* w, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

// Counts the timer events a widget gets.
class TimerTicks : public QObject {
public:
    explicit TimerTicks(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Timer) ++count;
        return false;
    }
};

void Click(QWidget* w, QPoint pos) {
    const QPointF g(w->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), g, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), g, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

TEST(CHyperlinkLabel, AttachFillsTargetAndTextFromEachOther) {
    TestApp();
    Form f;
    CHyperlinkLabel withText(&f.parent);
    withText.setText(QStringLiteral("https://example.org/"));
    withText.Attach();
    EXPECT_EQ(withText.LinkTarget(), "https://example.org/");
    EXPECT_EQ(withText.ToolText(), QStringLiteral("https://example.org/"));

    CHyperlinkLabel empty(&f.parent);
    empty.SetLinkTarget("mailto:someone@example.org");
    empty.Attach();
    EXPECT_EQ(empty.text(), QStringLiteral("mailto:someone@example.org"));

    CHyperlinkLabel both(&f.parent);
    both.setText(QStringLiteral("Support: someone@example.org"));
    both.SetLinkTarget("mailto:someone@example.org");
    both.Attach();
    EXPECT_EQ(both.text(), QStringLiteral("Support: someone@example.org"));
    EXPECT_EQ(both.LinkTarget(), "mailto:someone@example.org");
}

TEST(CHyperlinkLabel, FitsToTextKeepingItsAlignedEdge) {
    TestApp();
    Form f;
    const QRect start(50, 40, 300, 60);
    auto make = [&](Qt::Alignment align) {
        auto* l = new CHyperlinkLabel(&f.parent);
        l->setAlignment(align);
        l->setText(QStringLiteral("##"));
        l->setGeometry(start);
        l->Attach();
        return l;
    };
    QFont under = f.parent.font();
    under.setUnderline(true);
    const QFontMetrics fm(under);
    const int cx = fm.horizontalAdvance(QStringLiteral("##"));

    CHyperlinkLabel* left = make(Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(left->geometry(), QRect(50, 40, cx, fm.height()));

    CHyperlinkLabel* right = make(Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(right->geometry().right(), start.right());
    EXPECT_EQ(right->width(), cx);

    CHyperlinkLabel* centred = make(Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_NEAR(centred->geometry().center().x(), start.center().x(), 1);
    EXPECT_NEAR(centred->geometry().center().y(), start.center().y(), 1);
    EXPECT_EQ(centred->height(), start.height() - 2 * ((start.height() - fm.height()) / 2));

    // A new target refits to the new text; the tooltip covers the link.
    left->setText(QStringLiteral("/a/much/longer/output/folder/than/before/"));
    left->SetLinkTarget("/a/much/longer/output/folder/than/before/");
    EXPECT_EQ(left->width(), fm.horizontalAdvance(left->text()));
    EXPECT_EQ(left->x(), 50);
    EXPECT_EQ(left->ToolRect(), left->rect());
    EXPECT_EQ(left->ToolText(), left->text());

    // Without fitting the place stays as the template gave it.
    auto* fixed = new CHyperlinkLabel(&f.parent);
    fixed->SetFitToText(false);
    fixed->setText(QStringLiteral("##"));
    fixed->setGeometry(start);
    fixed->Attach();
    EXPECT_EQ(fixed->geometry(), start);
}

TEST(CHyperlinkLabel, NotAttachedItOnlyStoresTheTarget) {
    TestApp();
    Form f;
    CHyperlinkLabel l(&f.parent);
    l.setText(QStringLiteral("x"));
    l.setGeometry(10, 10, 200, 40);
    l.SetLinkTarget("/tmp/");
    EXPECT_EQ(l.geometry(), QRect(10, 10, 200, 40));
    EXPECT_TRUE(l.ToolText().isEmpty());
    EXPECT_EQ(l.LinkTarget(), "/tmp/");
}

TEST(CHyperlinkLabel, HoverUnderlinesAndPollsUntilThePointerLeaves) {
    TestApp();
    Form f;
    CHyperlinkLabel l(&f.parent);
    l.setText(QStringLiteral("https://example.org/"));
    l.move(20, 20);
    l.Attach();
    f.parent.show();
    EXPECT_EQ(l.TextColour(), QColor(0, 0, 238));
    EXPECT_FALSE(l.font().underline());

    QCursor::setPos(l.mapToGlobal(QPoint(2, 2)));
    MoveMouse(&l, QPoint(2, 2));
    EXPECT_TRUE(l.IsHover());
    EXPECT_TRUE(l.font().underline());
    EXPECT_EQ(l.TextColour(), QColor(255, 0, 0));
    EXPECT_TRUE(l.HoverTimerRunning());
    EXPECT_EQ(l.cursor().shape(), Qt::PointingHandCursor);

    // Still inside after several polls.
    TimerTicks polls(&l);
    ASSERT_TRUE(PumpUntil([&] { return polls.count >= 3; }));
    EXPECT_TRUE(l.IsHover());

    QCursor::setPos(f.parent.mapToGlobal(QPoint(590, 390)));
    EXPECT_TRUE(PumpUntil([&] { return !l.IsHover(); }));
    EXPECT_FALSE(l.HoverTimerRunning());
    EXPECT_FALSE(l.font().underline());
    EXPECT_EQ(l.TextColour(), QColor(0, 0, 238));
}

TEST(CHyperlinkLabel, UnderlineModesAlwaysAndNever) {
    TestApp();
    Form f;
    CHyperlinkLabel always(&f.parent);
    always.setText(QStringLiteral("a"));
    always.Attach();
    always.SetUnderlineMode(1);
    EXPECT_TRUE(always.font().underline());
    f.parent.show();
    QCursor::setPos(always.mapToGlobal(QPoint(1, 1)));
    MoveMouse(&always, QPoint(1, 1));
    QCursor::setPos(f.parent.mapToGlobal(QPoint(590, 390)));
    EXPECT_TRUE(PumpUntil([&] { return !always.IsHover(); }));
    EXPECT_TRUE(always.font().underline());

    CHyperlinkLabel never(&f.parent);
    never.setText(QStringLiteral("b"));
    never.move(0, 100);
    never.Attach();
    never.SetUnderlineMode(0);
    QCursor::setPos(never.mapToGlobal(QPoint(1, 1)));
    MoveMouse(&never, QPoint(1, 1));
    EXPECT_TRUE(never.IsHover());
    EXPECT_FALSE(never.font().underline());
}

TEST(CHyperlinkLabel, SuccessfulClickMarksVisitedEvenWhileHovered) {
    TestApp();
    Form f;
    ModalAnswerer answerer;
    ScriptedLabel l(&f.parent);
    l.setText(QStringLiteral("/some/folder/"));
    l.Attach();
    f.parent.show();
    QCursor::setPos(l.mapToGlobal(QPoint(1, 1)));
    MoveMouse(&l, QPoint(1, 1));
    Click(&l, QPoint(1, 1));
    ASSERT_EQ(l.opened.size(), 1u);
    EXPECT_EQ(l.opened[0], "/some/folder/");
    EXPECT_TRUE(l.IsVisited());
    EXPECT_FALSE(l.IsHover());
    EXPECT_EQ(l.TextColour(), QColor(85, 26, 139));
    // The next move over it shows the hover colour again.
    MoveMouse(&l, QPoint(2, 1));
    EXPECT_EQ(l.TextColour(), QColor(255, 0, 0));
    // A release outside is no click.
    const QPointF g(l.mapToGlobal(QPoint(1, 1)));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), g, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-5, -5), g, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&l, &press);
    QCoreApplication::sendEvent(&l, &release);
    EXPECT_EQ(l.opened.size(), 1u);
}

TEST(CHyperlinkLabel, FailedClickShowsTheErrorBoxAndClearsVisited) {
    TestApp();
    Form f;
    ScriptedLabel l(&f.parent);
    l.setText(QStringLiteral("https://example.org/"));
    l.Attach();
    l.MarkVisited(true);
    ModalAnswerer answerer;
    l.result = 26;
    Click(&l, QPoint(1, 1));
    EXPECT_FALSE(l.IsVisited());
    EXPECT_EQ(l.TextColour(), QColor(0, 0, 238));
    l.result = 4;
    Click(&l, QPoint(1, 1));
    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[0].text, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(answerer.Seen()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(answerer.Seen()[0].title, QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(answerer.Seen()[1].text, "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
    // Still usable afterwards.
    l.result = 40;
    Click(&l, QPoint(1, 1));
    EXPECT_TRUE(l.IsVisited());
}

TEST(CHyperlinkLabel, BrowserCommandKeepsTheTargetOneArgument) {
    const std::string target = "/home/u/My Music; rm -rf ~/\"x\"";
    EXPECT_EQ(CHyperlinkLabel::BrowserCommand(QStringLiteral("firefox-esr %u"), target),
              (QStringList{QStringLiteral("firefox-esr"), QString::fromStdString(target)}));
    // No placeholder: the target goes at the end.
    EXPECT_EQ(CHyperlinkLabel::BrowserCommand(QStringLiteral("browser --new-window"), "t"),
              (QStringList{QStringLiteral("browser"), QStringLiteral("--new-window"), QStringLiteral("t")}));
    // Cut at the placeholder: what followed it is lost.
    EXPECT_EQ(CHyperlinkLabel::BrowserCommand(
                  QStringLiteral("\"/opt/my browser/run\" --a %i \"%U\" --after"), "t"),
              (QStringList{QStringLiteral("/opt/my browser/run"), QStringLiteral("--a"), QStringLiteral("t")}));
    EXPECT_EQ(CHyperlinkLabel::BrowserCommand(QStringLiteral("b \"say \\\"hi\\\"\" 100%% %f"), "t"),
              (QStringList{QStringLiteral("b"), QStringLiteral("say \"hi\""), QStringLiteral("100%"),
                           QStringLiteral("t")}));
    EXPECT_TRUE(CHyperlinkLabel::BrowserCommand(QStringLiteral("%u"), "t").isEmpty());
    EXPECT_TRUE(CHyperlinkLabel::BrowserCommand(QString(), "t").isEmpty());
}

// Points the desktop configuration (default applications, desktop
// entries) at `dir` while it lives.
class ScopedDesktopConfig {
public:
    explicit ScopedDesktopConfig(const QString& dir) {
        for (auto& e : m_env) {
            e.had = qEnvironmentVariableIsSet(e.name);
            e.old = qgetenv(e.name);
            qputenv(e.name, dir.toUtf8());
        }
    }
    ~ScopedDesktopConfig() {
        for (auto& e : m_env) {
            if (e.had) qputenv(e.name, e.old); else qunsetenv(e.name);
        }
    }

private:
    struct Env {
        const char* name;
        QByteArray old;
        bool had;
    } m_env[4] = {{"XDG_CONFIG_HOME", {}, false}, {"XDG_CONFIG_DIRS", {}, false},
                  {"XDG_DATA_HOME", {}, false}, {"XDG_DATA_DIRS", {}, false}};
};

void WriteFile(const QString& path, const QByteArray& text, bool executable = false) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    if (executable) f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(CHyperlinkLabel, ClickHandsTheTargetToTheDesktopOpener) {
    TestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FakeOpener opener(0);
    ModalAnswerer answerer;
    Form f;
    CHyperlinkLabel web(&f.parent);
    web.setText(QStringLiteral("https://example.org/a b"));
    web.Attach();
    Click(&web, QPoint(1, 1));
    ASSERT_TRUE(PumpUntil([&] { return web.IsVisited(); }));  // one opener at a time
    CHyperlinkLabel mail(&f.parent);
    mail.setText(QStringLiteral("Support: someone@example.org"));
    mail.SetLinkTarget("mailto:someone@example.org");
    mail.Attach();
    Click(&mail, QPoint(1, 1));
    ASSERT_TRUE(PumpUntil([&] { return mail.IsVisited(); }));  // one opener at a time
    CHyperlinkLabel folder(&f.parent);
    const QString path = dir.path() + QStringLiteral("/out dir/");
    ASSERT_TRUE(QDir().mkpath(path));
    folder.setText(path);
    folder.Attach();
    Click(&folder, QPoint(1, 1));
    ASSERT_TRUE(PumpUntil([&] { return folder.IsVisited(); }));  // one opener at a time

    EXPECT_TRUE(answerer.Texts().empty());
    const QStringList opened = opener.Opened();
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[0], QStringLiteral("https://example.org/a%20b"));
    EXPECT_EQ(opened[1], QStringLiteral("mailto:someone@example.org"));
    EXPECT_EQ(QDir(opened[2]), QDir(path));
}

TEST(CHyperlinkLabel, FailingOpenerFallsBackOnTheBrowserElseReportsIt) {
    TestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedDesktopConfig config(dir.path());
    FakeOpener opener(4);  // xdg-open: "the action failed"
    Form f;
    CHyperlinkLabel link(&f.parent);
    link.setText(QStringLiteral("https://example.org/"));
    link.Attach();
    link.MarkVisited(true);

    // No browser configured: the failure is reported.
    {
        ModalAnswerer answerer;
        Click(&link, QPoint(1, 1));
        ASSERT_TRUE(PumpUntil([&] { return !answerer.Seen().empty(); }));
        ASSERT_EQ(answerer.Seen().size(), 1u);
        EXPECT_EQ(answerer.Seen()[0].text,
                  "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
                  "filename extension.");
        EXPECT_FALSE(link.IsVisited());
    }

    // The default browser for HTML pages is started with the target.
    const QString log = dir.filePath(QStringLiteral("browser.log"));
    const QString browser = dir.filePath(QStringLiteral("browser"));
    WriteFile(browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + log.toUtf8() + "'\n", true);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("applications")));
    WriteFile(dir.filePath(QStringLiteral("applications/test-browser.desktop")),
              "[Desktop Entry]\nType=Application\nName=B\nExec=" + browser.toUtf8() + " --new %u\n");
    WriteFile(dir.filePath(QStringLiteral("mimeapps.list")),
              "[Default Applications]\ntext/html=test-browser.desktop\n");
    ModalAnswerer answerer;
    Click(&link, QPoint(1, 1));
    EXPECT_TRUE(PumpUntil([&] { return link.IsVisited(); }));
    EXPECT_TRUE(answerer.Texts().empty());
    ASSERT_TRUE(PumpUntil([&] { return QFile::exists(log); }));
    ASSERT_TRUE(PumpUntil([&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) && f.readAll() == "--new\nhttps://example.org/\n";
    }));
    EXPECT_EQ(opener.Opened(), (QStringList{QStringLiteral("https://example.org/"),
                                            QStringLiteral("https://example.org/")}));
}

TEST(CHyperlinkLabel, ClickReturnsWhileTheOpenerRunsAndItsFailureIsReportedLater) {
    TestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedDesktopConfig config(dir.path());  // no browser to fall back on
    FakeOpener opener(4, {}, 4, true);
    Form f;
    CHyperlinkLabel link(&f.parent);
    link.setText(QStringLiteral("https://example.org/"));
    link.Attach();
    ModalAnswerer answerer;
    Click(&link, QPoint(1, 1));
    ASSERT_TRUE(PumpUntil([&] { return opener.Opened().size() == 1; }));
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_FALSE(link.IsVisited());
    opener.Release();
    ASSERT_TRUE(PumpUntil([&] { return !answerer.Seen().empty(); }));
    EXPECT_EQ(answerer.Seen()[0].text,
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
              "filename extension.");
    EXPECT_FALSE(link.IsVisited());
}

TEST(CHyperlinkLabel, MissingFolderIsReportedNotOpened) {
    TestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedDesktopConfig config(dir.path());  // no browser to fall back on
    FakeOpener opener(0);
    Form f;
    CHyperlinkLabel gone(&f.parent);
    gone.setText(dir.path() + QStringLiteral("/no/such/folder/"));
    gone.Attach();
    ModalAnswerer answerer;
    Click(&gone, QPoint(1, 1));
    EXPECT_TRUE(opener.Opened().isEmpty());
    EXPECT_FALSE(gone.IsVisited());
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].text, "Unable to open hyperlink:\n\nThe specified path was not found.");
}

TEST(CHyperlinkLabel, TabReachesTheLinkAndEnterOrSpaceOpensIt) {
    TestApp();
    Form f;
    QPushButton before(QStringLiteral("x"), &f.parent);
    ScriptedLabel link(&f.parent);
    link.setText(QStringLiteral("https://example.org/"));
    link.move(0, 40);
    link.Attach();
    f.parent.show();
    f.parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.parent));
    before.setFocus();
    QTest::keyClick(&before, Qt::Key_Tab);
    EXPECT_TRUE(link.hasFocus());
    QTest::keyClick(&link, Qt::Key_Return);
    QTest::keyClick(&link, Qt::Key_Space);
    EXPECT_EQ(link.opened.size(), 2u);
}

}  // namespace
}  // namespace tonalbox


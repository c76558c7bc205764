// The file list page: Add, Delete and its selection rule, Clear, Set Tag,
// dropped files, and the path list as the run reads it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileSystemModel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/ui/WizardTestSupport.h"
#include "ui/CPathList.h"

namespace tonalbox::testing {
namespace {

class FileListPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApp(); }
    void SetUp() override {
        for (const char* name : {"a.mid", "b.mid", "c.MID", "notes.txt"})
            ASSERT_TRUE(WriteMidi(m_dir.File(name), 1));
        m_page.Create(&m_parent);
        m_page.OnPageEnter();
    }

    QStringList Names() const {
        QStringList s;
        for (int i = 0; i < m_page.NameList()->count(); ++i) s << m_page.NameList()->item(i)->text();
        return s;
    }
    QStringList Paths() const {
        QStringList s;
        for (int i = 0; i < m_page.PathListBox()->count(); ++i) s << m_page.PathListBox()->item(i)->text();
        return s;
    }
    QString P(const char* name) const { return QString::fromStdString(m_dir.File(name)); }
    QPushButton* Button(int id) const { return Ctl<QPushButton>(&m_page, id); }

    // The user clicks entry `row` of the name list: the list gains the
    // focus, then its selection changes.
    void ClickName(int row) {
        QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(m_page.NameList(), &focus);
        m_page.NameList()->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
    void TabIntoNames() {
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(m_page.NameList(), &focus);
    }

    testsupport::TempDir m_dir;
    ConversionSettings m_settings = ConversionSettings::Defaults();
    QWidget m_parent;
    ui::CFileListPage m_page{m_settings};
};

TEST_F(FileListPage, TemplateControlsAreInPlace) {
    EXPECT_EQ(Button(1010)->text(), QStringLiteral("&Add MIDI Files"));
    EXPECT_EQ(Button(1012)->text(), QStringLiteral("&Delete"));
    EXPECT_EQ(Button(1013)->text(), QStringLiteral("&Clear"));
    EXPECT_EQ(Button(1015)->text(), QStringLiteral("&Set Tag"));
    EXPECT_TRUE(m_page.NameList()->isVisibleTo(&m_page));
    EXPECT_FALSE(m_page.PathListBox()->isVisibleTo(&m_page));
    EXPECT_FALSE(m_page.NameList()->isSortingEnabled());
    // The button texts fit their buttons.
    for (int id : {1010, 1012, 1013, 1015}) {
        QPushButton* b = Button(id);
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text().remove('&'))) << id;
    }
}

TEST_F(FileListPage, AddAppendsEverySelectedFileInOrderDuplicatesIncluded) {
    const QString folder = QString::fromStdString(m_dir.Path());
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        if (auto* fd = qobject_cast<QFileDialog*>(modal)) {
            EXPECT_EQ(fd->fileMode(), QFileDialog::ExistingFiles);
            EXPECT_EQ(fd->nameFilters(),
                      (QStringList{QStringLiteral("Midi Music(*.mid)"), QStringLiteral("All Files (*.*)")}));
        }
        return AnswerFileDialog(modal, folder, QStringLiteral("\"a.mid\" \"b.mid\""));
    });
    Press(Button(1010));
    Press(Button(1010));
    EXPECT_EQ(Names(), (QStringList{"a.mid", "b.mid", "a.mid", "b.mid"}));
    EXPECT_EQ(Paths(), (QStringList{P("a.mid"), P("b.mid"), P("a.mid"), P("b.mid")}));
    EXPECT_EQ(m_page.PathCount(), 4);
}

TEST_F(FileListPage, AddWithALongSelectionAddsEveryFile) {
    // Far more than 260 characters of names in one selection.
    QStringList names;
    QString selection;
    for (int i = 0; i < 30; ++i) {
        const std::string name = "a-rather-long-file-name-for-a-song-number-" + std::to_string(i) + ".mid";
        ASSERT_TRUE(WriteMidi(m_dir.File(name), 1));
        names << QString::fromStdString(name);
        selection += QStringLiteral("\"%1\" ").arg(names.back());
    }
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        return AnswerFileDialog(modal, QString::fromStdString(m_dir.Path()), selection.trimmed());
    });
    Press(Button(1010));
    EXPECT_EQ(m_page.PathCount(), 30);
    EXPECT_EQ(Names().size(), 30);
}

TEST_F(FileListPage, CancelledAddAddsNothing) {
    ModalAnswerer answerer(QMessageBox::Ok, [](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        if (fd) fd->reject();
        return fd != nullptr;
    });
    Press(Button(1010));
    EXPECT_EQ(m_page.PathCount(), 0);
}

TEST_F(FileListPage, AllFilesFilterShowsFilesWithoutADot) {
    ASSERT_TRUE(WriteMidi(m_dir.File("song"), 1));
    QStringList shownByMidi;
    QStringList shownByAll;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        if (!fd) return false;
        auto* model = fd->findChild<QFileSystemModel*>();
        EXPECT_NE(model, nullptr);
        if (!model) {
            fd->reject();
            return true;
        }
        const QStringList names{QStringLiteral("song"), QStringLiteral("a.mid"), QStringLiteral("notes.txt")};
        for (const QString& n : names)
            if (QDir::match(model->nameFilters(), n)) shownByMidi << n;
        // The user picks the second filter in the dialog's type list.
        auto* types = fd->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        EXPECT_NE(types, nullptr);
        if (types) {
            types->setFocus();
            QTest::keyClick(types, Qt::Key_Down);
        }
        EXPECT_EQ(fd->selectedNameFilter(), QStringLiteral("All Files (*.*)"));
        for (const QString& n : names)
            if (QDir::match(model->nameFilters(), n)) shownByAll << n;
        return AnswerFileDialog(modal, QString::fromStdString(m_dir.Path()), QStringLiteral("song"));
    });
    Press(Button(1010));
    EXPECT_EQ(shownByMidi, QStringList{QStringLiteral("a.mid")});
    EXPECT_EQ(shownByAll, (QStringList{"song", "a.mid", "notes.txt"}));
    EXPECT_EQ(Paths(), QStringList{P("song")});
    EXPECT_EQ(Names(), QStringList{QStringLiteral("song")});
}

TEST_F(FileListPage, DeleteRemovesTheClickedEntryFromBothListsOnce) {
    m_page.AppendFiles({P("a.mid"), P("b.mid"), P("c.MID")});
    ClickName(1);
    Press(Button(1012));
    EXPECT_EQ(Names(), (QStringList{"a.mid", "c.MID"}));
    EXPECT_EQ(Paths(), (QStringList{P("a.mid"), P("c.MID")}));
    EXPECT_TRUE(m_page.NameList()->selectedItems().isEmpty());
    EXPECT_TRUE(m_page.PathListBox()->selectedItems().isEmpty());
    Press(Button(1012));
    EXPECT_EQ(m_page.PathCount(), 2);
}

TEST_F(FileListPage, DeleteAfterOnlyFocusingTheListRemovesNothing) {
    m_page.AppendFiles({P("a.mid"), P("b.mid")});
    ClickName(0);
    // Focus moves away and comes back by keyboard; the highlight stays but
    // the path list's selection is gone.
    TabIntoNames();
    EXPECT_FALSE(m_page.NameList()->selectedItems().isEmpty());
    Press(Button(1012));
    EXPECT_EQ(m_page.PathCount(), 2);
    // Moving the selection makes Delete act again.
    m_page.NameList()->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    Press(Button(1012));
    EXPECT_EQ(Paths(), (QStringList{P("a.mid")}));
}

TEST_F(FileListPage, ClearEmptiesBothLists) {
    m_page.AppendFiles({P("a.mid"), P("b.mid")});
    Press(Button(1013));
    EXPECT_EQ(m_page.PathCount(), 0);
    EXPECT_EQ(m_page.NameList()->count(), 0);
}

TEST_F(FileListPage, SetTagEditsTheOneTagOnOkOnly) {
    const std::string title = m_settings.m_tag.m_strTitle;
    auto editTitle = [&](bool ok) {
        return [&, ok](QWidget* modal) {
            auto* dlg = qobject_cast<QDialog*>(modal);
            if (!dlg || qobject_cast<QMessageBox*>(modal)) return false;
            for (QLineEdit* e : dlg->findChildren<QLineEdit*>())
                if (e->text().toStdString() == title) e->setText(QStringLiteral("New Title"));
            if (ok) dlg->accept(); else dlg->reject();
            return true;
        };
    };
    {
        ModalAnswerer cancel(QMessageBox::Ok, editTitle(false));
        Press(Button(1015));  // works with an empty list
    }
    EXPECT_EQ(m_settings.m_tag.m_strTitle, title);
    {
        ModalAnswerer ok(QMessageBox::Ok, editTitle(true));
        Press(Button(1015));
    }
    EXPECT_EQ(m_settings.m_tag.m_strTitle, "New Title");
}

TEST_F(FileListPage, DroppedMidiFilesAndFoldersAreAddedInDropOrder) {
    for (const char* sub : {"in/b", "in/a"}) std::filesystem::create_directories(m_dir.File(sub));
    for (const char* name : {"in/b/y.RMI", "in/a/x.midi", "in/z.mid", "in/n.txt", "k.KAR"})
        ASSERT_TRUE(WriteMidi(m_dir.File(name), 1));
    m_page.AppendFiles({P("a.mid")});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(P("c.MID")), QUrl::fromLocalFile(P("notes.txt")),
                  QUrl::fromLocalFile(P("in")), QUrl(QStringLiteral("https://example.org/x.mid")),
                  QUrl::fromLocalFile(P("k.KAR")), QUrl::fromLocalFile(P("b.mid"))});
    QWidget* target = m_page.NameList()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(Paths(), (QStringList{P("a.mid"), P("c.MID"), P("in/a/x.midi"), P("in/b/y.RMI"),
                                    P("in/z.mid"), P("k.KAR"), P("b.mid")}));
    EXPECT_EQ(Names(), (QStringList{"a.mid", "c.MID", "x.midi", "y.RMI", "z.mid", "k.KAR", "b.mid"}));

    // Nothing usable: refused, nothing added.
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(P("notes.txt"))});
    QDragEnterEvent refuse(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &refuse);
    EXPECT_FALSE(refuse.isAccepted());
    QDropEvent none(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &none);
    EXPECT_EQ(m_page.PathCount(), 7);
}

TEST_F(FileListPage, MidiFilterShowsMidFilesInAnyCase) {
    QString label;
    QStringList shown;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        if (!fd) return false;
        label = fd->selectedNameFilter();
        // Never a desktop dialog, whose patterns may be case-sensitive.
        EXPECT_TRUE(fd->testOption(QFileDialog::DontUseNativeDialog));
        auto* model = fd->findChild<QFileSystemModel*>();
        EXPECT_NE(model, nullptr);
        if (model) {
            bool loaded = false;
            QObject::connect(model, &QFileSystemModel::directoryLoaded, fd, [&] { loaded = true; });
            fd->setDirectory(QString::fromStdString(m_dir.Path()));
            const QModelIndex root = model->index(QString::fromStdString(m_dir.Path()));
            EXPECT_TRUE(PumpUntil([&] { return loaded; }));
            for (int row = 0; row < model->rowCount(root); ++row)
                shown << model->index(row, 0, root).data().toString();
        }
        fd->reject();
        return true;
    });
    Press(Button(1010));
    EXPECT_EQ(label, QStringLiteral("Midi Music(*.mid)"));
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"a.mid", "b.mid", "c.MID"}));
}

TEST_F(FileListPage, DeleteKeyRemovesTheSelectedEntry) {
    m_page.AppendFiles({P("a.mid"), P("b.mid"), P("c.MID")});
    ClickName(1);
    QTest::keyClick(m_page.NameList(), Qt::Key_Delete);
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("a.mid"), QStringLiteral("c.MID")}));
    EXPECT_EQ(Paths(), (QStringList{P("a.mid"), P("c.MID")}));
}

TEST_F(FileListPage, AddOpensInTheFolderItUsedLast) {
    std::filesystem::create_directories(m_dir.File("sub"));
    std::filesystem::create_directories(m_dir.File("elsewhere"));
    ASSERT_TRUE(WriteMidi(m_dir.File("sub/d.mid"), 1));
    QStringList openedIn;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        if (fd && !fd->property("answerPending").toBool())
            openedIn << QDir(fd->directory()).absolutePath();
        return AnswerFileDialog(modal, QString::fromStdString(m_dir.File("sub")),
                                QStringLiteral("d.mid"));
    });
    Press(Button(1010));
    // Another file dialog of the program (Browse) visits another folder.
    QFileDialog other;
    other.setDirectory(QString::fromStdString(m_dir.File("elsewhere")));
    Press(Button(1010));
    ASSERT_EQ(openedIn.size(), 2);
    EXPECT_EQ(openedIn[1], QDir(QString::fromStdString(m_dir.File("sub"))).absolutePath());
    EXPECT_EQ(m_page.PathCount(), 2);
}

TEST_F(FileListPage, PathListReadsTheHiddenListAsItIsNow) {
    m_page.AppendFiles({P("a.mid"), P("b.mid")});
    m_page.OnPageLeave();
    EXPECT_FALSE(m_page.isVisibleTo(&m_parent));
    const IPathList& list = m_page.PathList();
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetPath(1), m_dir.File("b.mid"));
    EXPECT_EQ(list.GetPath(5), "");
    m_page.EmptyLists();
    EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
}  // namespace tonalbox::testing

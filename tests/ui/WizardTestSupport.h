#pragma once
// Shared by the wizard tests: a process-wide set of SoundFont ports, the
// pre-listen output that needs no sound device, MIDI files to convert, and
// a main window whose settings file lives in a temporary folder.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/ConversionSettings.h"
#include "midigen/MidiFileWriter.h"
#include "platform/audio/PreListenOutput.h"
#include "platform/audio/SoundFontCatalog.h"
#include "tests/controls/QtTestSupport.h"
#include "tests/support/TempDir.h"
#include "ui/CFileListPage.h"
#include "ui/COutputPage.h"
#include "ui/CTonalboxDlg.h"
#include "ui/DialogUnits.h"

namespace tonalbox::testing {

inline constexpr const char* kSmallSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// A folder with two copies of a small SoundFont: two output ports.
inline const std::string& TwoPortFolder() {
    static testsupport::TempDir dir("tonalbox-ports");
    static const bool made = [] {
        // Hard links where the file system allows (two names, two ports:
        // the catalog tells files apart by their resolved path), else copies.
        for (const char* name : {"Port A.sf2", "Port B.sf2"}) {
            std::error_code ec;
            std::filesystem::create_hard_link(kSmallSoundFont, dir.File(name), ec);
            if (ec) std::filesystem::copy_file(kSmallSoundFont, dir.File(name), ec);
        }
        return true;
    }();
    (void)made;
    return dir.Path();
}

inline const std::string& EmptyFolder() {
    static testsupport::TempDir dir("tonalbox-noports");
    return dir.Path();
}

// The ports the engine lists from now on: two, or none.
inline void UseTwoPorts() { audio::SoundFontCatalog::SetSearchFolders({TwoPortFolder()}); }
inline void UseNoPorts() { audio::SoundFontCatalog::SetSearchFolders({EmptyFolder()}); }

// The application, a pre-listen output without a device, two ports.
inline void WizardTestSetUp() {
    TestApp();
    audio::PreListenOutput::SetDriverOrder({"null"});
    UseTwoPorts();
}

// A MIDI file of `notes` quarter notes at 120 bpm (0.5 s each).
inline bool WriteMidi(const std::string& path, int notes, int key = 60) {
    midigen::MidiFileWriter w(1, 480);
    w.TempoBpm(0, 0, 120);
    w.ProgramChange(0, 0, 0, 0);
    for (int i = 0; i < notes; ++i) w.Note(0, static_cast<uint32_t>(i * 480), 400, 0, key + (i % 12), 100);
    return w.Write(path);
}

template <class T>
T* Ctl(const QWidget* form, int id) {
    return ui::Control<T>(form, id);
}

// Clicks a push button or check box as the user would.
inline void Press(QAbstractButton* b) {
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    b->click();
}

// Answers a directory or file dialog with `selection` (several files as
// "\"a\" \"b\"" relative to `folder`); true when `modal` was such a dialog.
inline bool AnswerFileDialog(QWidget* modal, const QString& folder, const QString& selection) {
    auto* fd = qobject_cast<QFileDialog*>(modal);
    if (!fd) return false;
    // OK is pressed from a queued call, not from inside the answerer's
    // timer: a "File not found" box that OK may raise is then answered by
    // the next poll (a timer is not re-entered while its slot runs), and the
    // dialog is answered again.
    if (fd->property("answerPending").toBool()) return true;
    fd->setProperty("answerPending", true);
    fd->setDirectory(folder);
    // selectFile leaves the name field alone once it has the focus, which
    // the shown dialog gives it sooner or later: type into it instead.
    if (auto* edit = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(selection);
    else
        fd->selectFile(selection);
    QTimer::singleShot(0, fd, [fd] {
        fd->setProperty("answerPending", false);
        static_cast<QDialog*>(fd)->accept();  // QFileDialog::accept, as OK
    });
    return true;
}

// A main window over `settings` whose settings file is `settingsPath`,
// initialised, with its output page's engine started.
struct Wizard {
    std::unique_ptr<ui::CTonalboxDlg> dlg;

    Wizard(ConversionSettings& settings, const std::string& settingsPath, bool show = false) {
        dlg = std::make_unique<ui::CTonalboxDlg>(settings, nullptr, settingsPath);
        if (show) dlg->show(); else dlg->InitDialog();
        EXPECT_TRUE(PumpUntil([&] { return dlg->OutputPage()->IsEngineStarted(); }, 20000));
    }
    ~Wizard() { Close(); }

    void Close() {
        if (!dlg) return;
        dlg->reject();
        dlg.reset();
    }

    QPushButton* Button(int id) const { return Ctl<QPushButton>(dlg.get(), id); }
    QPushButton* Close_() const { return Button(1005); }
    QPushButton* Prev() const { return Button(1002); }
    QPushButton* Next() const { return Button(1003); }
    QPushButton* Repeat() const { return Button(1004); }
    ui::CFileListPage* Files() const { return dlg->FileListPage(); }
    ui::COutputPage* Output() const { return dlg->OutputPage(); }

    // "C" Close, "P" Prev, "N" Next, "R" Repeat: the enabled ones.
    std::string EnabledNav() const {
        std::string s;
        if (Close_()->isEnabled()) s += 'C';
        if (Prev()->isEnabled()) s += 'P';
        if (Next()->isEnabled()) s += 'N';
        if (Repeat()->isEnabled()) s += 'R';
        return s;
    }
    // Which pages are visible, as "0".."3".
    std::string VisiblePages() const {
        std::string s;
        for (int i = 0; i < dlg->PageCount(); ++i)
            if (dlg->PageAt(i)->isVisibleTo(dlg.get())) s += char('0' + i);
        return s;
    }
};

}  // namespace tonalbox::testing

#pragma once
// Page 0: the MIDI files to convert. The visible name list (1014) shows
// each file's name; the hidden path list (1011) holds its full path; both
// always have the same entries in the same order.

#include <QStringList>

#include <memory>

#include "engine/ConversionSettings.h"
#include "ui/CPathList.h"
#include "ui/CWizardPage.h"

class QListWidget;

namespace Ui {
class Template138;
}

namespace tonalbox::ui {

class CFileListPage : public CWizardPage {
    Q_OBJECT

public:
    enum { IDD = 138 };

    explicit CFileListPage(ConversionSettings& settings);
    ~CFileListPage() override;

    void OnPageEnter() override;
    void OnPageLeave() override;

    // The path list's entry count.
    int PathCount() const;
    // Empties the path list, then the name list (Clear, Repeat).
    void EmptyLists();
    // The path list; the other pages read it (the run through a snapshot).
    const CPathList& PathList() const { return m_pathList; }

    // The buttons.
    // Opens in the folder files were last added from.
    void OnAdd();
    // Also the Delete key in the name list.
    void OnDelete();
    void OnClear();
    void OnSetTag();

    // Appends each path to the path list and its file name to the name
    // list, in the given order; no checks.
    void AppendFiles(const QStringList& paths);
    // Adds named files as Add would: in the given order, each by its full
    // path; names that are not existing files are skipped. Returns how many
    // were added.
    int AddPaths(const QStringList& names);
    // The MIDI files among dropped local paths, in order: files with a
    // MIDI name, and for a folder the MIDI files in it and its sub-folders,
    // walked in name order.
    static QStringList MidiFilesAmong(const QStringList& localPaths);
    // Whether a drag of these paths may give MIDI files: a file with a MIDI
    // name, or a folder (not searched while the drag moves).
    static bool MayHoldMidiFiles(const QStringList& localPaths);

    QListWidget* NameList() const;
    QListWidget* PathListBox() const;

protected:
    void SetupTemplate() override;
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnNameSelectionChanged();

    ConversionSettings& m_settings;
    std::unique_ptr<Ui::Template138> m_ui;
    CPathList m_pathList;
    QString m_strLastAddFolder;  // where Add opens: the folder used last
};

}  // namespace tonalbox::ui

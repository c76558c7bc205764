#pragma once
// The Set Tag dialog (template 144): edits the one ID3v1 tag every MP3 of
// a run carries. It works on a copy of the tag and copies it back only
// when it ends with OK.

#include <QDialog>

#include <memory>

#include "engine/TagRecord.h"

namespace Ui {
class Template144;
}

namespace tonalbox::ui {

class CSetTagDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetTagDlg(TagRecord& tag, QWidget* parent = nullptr);
    ~CSetTagDlg() override;

    // The hidden "Set for all files in the filelist." flag: starts at 0,
    // read by nothing; the tag always applies to every file.
    int SetForAllFlag() const { return m_bSetForAll; }

    // OK: moves the controls into the working copy and, when Track holds
    // an integer, copies it into the tag and ends the dialog.
    void accept() override;

private:
    // Working copy → controls.
    void DataToControls();
    // Controls → working copy; false (after the message) when Track is
    // not an integer.
    bool ControlsToData();

    std::unique_ptr<Ui::Template144> m_ui;
    TagRecord& m_tag;
    TagRecord m_tagWork;
    int m_bSetForAll = 0;
};

}  // namespace tonalbox::ui

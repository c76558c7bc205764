#pragma once
// Page 3: how many files were in the list, how many were converted, and a
// link that opens the folder the results went to.

#include <memory>
#include <string>

#include "engine/ConversionSettings.h"
#include "engine/IPathList.h"
#include "ui/CWizardPage.h"

namespace Ui {
class Template142;
}

namespace tonalbox {
class CHyperlinkLabel;
}

namespace tonalbox::ui {

class CResultPage : public CWizardPage {
    Q_OBJECT

public:
    enum { IDD = 142 };

    explicit CResultPage(ConversionSettings& settings);
    ~CResultPage() override;

    void OnPageEnter() override;
    void OnPageLeave() override;

    // The file list page's path list, for the count and the first folder.
    void SetPathList(const IPathList* list) { m_pPaths = list; }

    // The folder the link shows: the output folder, or with "Same as
    // source" the folder of the first file (without a trailing separator).
    std::string ResultFolder() const;
    CHyperlinkLabel* FolderLink() const;

    // Files the last run converted; set by the main window before entry.
    int m_nSuccessCount = 0;

protected:
    void SetupTemplate() override;
    void OnInitDialog() override;

private:
    ConversionSettings& m_settings;
    std::unique_ptr<Ui::Template142> m_ui;
    const IPathList* m_pPaths = nullptr;
};

}  // namespace tonalbox::ui

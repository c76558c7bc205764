#pragma once
// Base of the wizard's pages: a borderless child window built from its
// own template, shown in the main window's page area one at a time.

#include <QRect>
#include <QWidget>

namespace tonalbox::ui {

class CWizardPage : public QWidget {
    Q_OBJECT

public:
    explicit CWizardPage(int templateId);
    ~CWizardPage() override;

    int TemplateId() const { return m_nTemplateId; }

    // Creates the page's window from its template as a child of `parent`
    // (the controls are built and placed in dialog units, then the page's
    // own initialisation runs), hidden. Once only; false when it already
    // exists.
    bool Create(QWidget* parent);
    bool IsCreated() const { return m_bCreated; }

    // The main window moves every page onto its page rectangle.
    void PlaceOn(const QRect& pageRect);

    // Called on the page that is left, then on the one that is entered.
    // OnPageEnter at least shows the page; OnPageLeave at least hides it.
    virtual void OnPageLeave() = 0;
    virtual void OnPageEnter() = 0;

protected:
    // Builds the controls of the template (uic's setupUi) on this widget.
    virtual void SetupTemplate() = 0;
    // The page's own initialisation after its controls exist.
    virtual void OnInitDialog() {}

private:
    int m_nTemplateId;
    bool m_bCreated = false;
};

}  // namespace tonalbox::ui

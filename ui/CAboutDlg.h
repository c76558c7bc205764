#pragma once
// The About dialog (template 100): the program's icon, name and version,
// the support mail link, the web link and the copyright notice.

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class Template100;
}

namespace tonalbox {
class CHyperlinkLabel;
}

namespace tonalbox::ui {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    CHyperlinkLabel* MailLink() const { return m_linkMail; }
    CHyperlinkLabel* WebLink() const { return m_linkWeb; }
    const QString& VersionText() const { return m_strVersionText; }

private:
    std::unique_ptr<Ui::Template100> m_ui;
    CHyperlinkLabel* m_linkMail = nullptr;  // control 1017
    CHyperlinkLabel* m_linkWeb = nullptr;   // control 1020
    QString m_strVersionText;               // control 1059
};

}  // namespace tonalbox::ui

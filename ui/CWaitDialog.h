#pragma once
// The start-up notice "Initialize, please wait..." (template 152): a small
// popup that, 100 ms after it opened, posts WM_INIT_ENGINE to the window
// it notifies. Its owner destroys it when the engine has started.

#include <QDialog>
#include <QPointer>

#include <memory>

namespace Ui {
class Template152;
}

namespace tonalbox::ui {

class CWaitDialog : public QDialog {
    Q_OBJECT

public:
    enum { IDD = 152 };

    explicit CWaitDialog(QWidget* owner);
    ~CWaitDialog() override;

    void SetNotifyWindow(QObject* notify) { m_pNotify = notify; }
    QObject* NotifyWindow() const { return m_pNotify; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Tells the window manager again that the notice belongs to the main
    // window, and raises it.
    void StayAboveOwner();

    std::unique_ptr<Ui::Template152> m_ui;
    QPointer<QObject> m_pNotify;
    int m_nTimerId = 0;
};

}  // namespace tonalbox::ui

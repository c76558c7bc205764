#include "ui/CWaitDialog.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>

#include "ui/DialogUnits.h"
#include "ui/WizardMessages.h"
#include "ui_wait_152.h"

namespace tonalbox::ui {

namespace {
constexpr int kInitDelayMs = 100;
}  // namespace

CWaitDialog::CWaitDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_ui(std::make_unique<Ui::Template152>()) {
    m_ui->setupUi(this);
    ApplyDialogTemplate(this);
    setWindowTitle(QString());
    setModal(false);
}

CWaitDialog::~CWaitDialog() = default;

void CWaitDialog::showEvent(QShowEvent* event) {
    // A transient of the main window, which a window manager keeps above
    // it: the main window may only appear after the notice and must not
    // hide it. The owner's native window is made for that if need be.
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        owner->winId();
        if (windowHandle() && owner->windowHandle())
            windowHandle()->setTransientParent(owner->windowHandle());
        owner->installEventFilter(this);
    }
    QDialog::showEvent(event);
    // Centred on the screen: the main window is not shown yet.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    if (m_nTimerId == 0) m_nTimerId = startTimer(kInitDelayMs);
}

bool CWaitDialog::eventFilter(QObject* watched, QEvent* event) {
    // A window manager that saw the notice before its owner was mapped takes
    // it for a window of its own and stacks the owner above it: once the
    // owner shows, the link is made again and the notice raised.
    if (event->type() == QEvent::Show && parentWidget() && watched == parentWidget()->window())
        QTimer::singleShot(0, this, &CWaitDialog::StayAboveOwner);
    return QDialog::eventFilter(watched, event);
}

void CWaitDialog::StayAboveOwner() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || !windowHandle() || !owner->windowHandle() || !isVisible()) return;
    windowHandle()->setTransientParent(nullptr);
    windowHandle()->setTransientParent(owner->windowHandle());
    raise();
}

void CWaitDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_nTimerId) {
        QDialog::timerEvent(event);
        return;
    }
    killTimer(m_nTimerId);
    m_nTimerId = -1;  // once only
    if (m_pNotify) QCoreApplication::postEvent(m_pNotify, new QEvent(WM_INIT_ENGINE));
}

}  // namespace tonalbox::ui

#pragma once
// Shared by the window tests: one QApplication for the test program, and
// an answerer that closes the modal boxes the code under test raises.

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <errno.h>

#include <functional>
#include <string>
#include <vector>

namespace tonalbox::testing {

inline QApplication* TestApp() {
    // The program's own name, as a started program has it.
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    static QApplication* app = [] {
        auto* a = qobject_cast<QApplication*>(QCoreApplication::instance());
        return a ? a : new QApplication(argc, argv);
    }();
    return app;
}

// Handles events until `done` holds or `timeoutMs` passes; returns done().
// The limit only ends a wait that failed: it is far above what anything
// takes, ThreadSanitizer and a busy machine included.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// A box that was answered.
struct SeenBox {
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// While it lives, every modal widget that appears is handed to `handler`
// (when given); a QMessageBox that the handler leaves open is answered
// with `button` (OK by default) and recorded.
class ModalAnswerer {
public:
    explicit ModalAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok,
                           std::function<bool(QWidget*)> handler = {})
        : m_button(button), m_handler(std::move(handler)) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    const std::vector<SeenBox>& Seen() const { return m_seen; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& b : m_seen) t.push_back(b.text);
        return t;
    }
    void SetButton(QMessageBox::StandardButton b) { m_button = b; }
    void Clear() { m_seen.clear(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (m_handler && m_handler(modal)) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
            QAbstractButton* b = box->button(m_button);
            if (!b) b = box->buttons().isEmpty() ? nullptr : box->buttons().front();
            if (b) b->click(); else box->reject();
        }
    }

    QMessageBox::StandardButton m_button;
    std::function<bool(QWidget*)> m_handler;
    std::vector<SeenBox> m_seen;
    QTimer m_timer;
};

}  // namespace tonalbox::testing

#pragma once
// Helpers for the dialog tests: the application object and an answerer for
// the message boxes a dialog raises while the test drives it.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace tonalbox::dialog_tests {

inline void EnsureApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tonalbox";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives until the process ends
    }
}

// While it exists, every modal message box that opens is read and closed
// with its OK button.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            m_texts << box->text();
            m_captions << box->windowTitle();
            m_icons << box->icon();
            if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
            else box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }
    const QStringList& Texts() const { return m_texts; }
    const QStringList& Captions() const { return m_captions; }
    const QList<QMessageBox::Icon>& Icons() const { return m_icons; }

private:
    QTimer m_timer;
    QStringList m_texts;
    QStringList m_captions;
    QList<QMessageBox::Icon> m_icons;
};

// The control of a dialog template with the given id.
template <class T>
T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QStringLiteral("id%1").arg(id));
}

// The widget that gets the focus when Tab is pressed on w, as the window
// walks its focus chain.
inline QWidget* NextTabStop(QWidget* w) {
    QWidget* next = w->nextInFocusChain();
    while (next != w && !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(w->window()) &&
                          next->isEnabled())) {
        next = next->nextInFocusChain();
    }
    return next;
}

}  // namespace tonalbox::dialog_tests

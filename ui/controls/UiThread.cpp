#include "ui/controls/UiThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

namespace tonalbox::controls {

bool IsUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void RunOnUiThread(const std::function<void()>& work) {
    if (!work) return;
    if (IsUiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&work] { work(); },
                              Qt::BlockingQueuedConnection);
}

void WaitWhileHandlingEvents(const std::function<bool()>& done, int pollMs) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, pollMs);
        QThread::msleep(1);
    }
}

}  // namespace tonalbox::controls

#include "ui/controls/UiThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#if defined(__SANITIZE_THREAD__)
extern "C" {
void __tsan_acquire(void* addr);
void __tsan_release(void* addr);
void __tsan_ignore_thread_begin();
void __tsan_ignore_thread_end();
}
#endif

namespace tonalbox::controls {

#if defined(__SANITIZE_THREAD__)
void HandOver(const void* token) { __tsan_release(const_cast<void*>(token)); }
void TakeOver(const void* token) { __tsan_acquire(const_cast<void*>(token)); }
QtHandOverScope::QtHandOverScope() { __tsan_ignore_thread_begin(); }
QtHandOverScope::~QtHandOverScope() { __tsan_ignore_thread_end(); }
#else
void HandOver(const void*) {}
void TakeOver(const void*) {}
QtHandOverScope::QtHandOverScope() = default;
QtHandOverScope::~QtHandOverScope() = default;
#endif


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
    HandOver(&work);
    {
        QtHandOverScope scope;
        QMetaObject::invokeMethod(QCoreApplication::instance(),
                                  [&work] {
                                      TakeOver(&work);
                                      work();
                                      HandOver(&work);
                                  },
                                  Qt::BlockingQueuedConnection);
    }
    TakeOver(&work);
}

void WaitWhileHandlingEvents(const std::function<bool()>& done, int pollMs) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, pollMs);
        QThread::msleep(1);
    }
}

}  // namespace tonalbox::controls

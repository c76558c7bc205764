#include "ui/controls/UiThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

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

namespace {

// The end of one call carried over to the user interface thread. It is
// signalled when the call's record goes, after the work has run or when
// the record is dropped unrun (no event loop left to run it), so the
// caller never waits for nothing.
struct CallDone {
    std::mutex mutex;
    std::condition_variable signal;
    bool done = false;
};

class CallDoneNotice {
public:
    explicit CallDoneNotice(std::shared_ptr<CallDone> state) : m_state(std::move(state)) {}
    CallDoneNotice(CallDoneNotice&&) = default;
    CallDoneNotice(const CallDoneNotice&) = delete;
    CallDoneNotice& operator=(const CallDoneNotice&) = delete;
    ~CallDoneNotice() {
        if (!m_state) return;
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->done = true;
        m_state->signal.notify_one();
    }

private:
    std::shared_ptr<CallDone> m_state;
};

}  // namespace

void RunOnUiThread(const std::function<void()>& work) {
    if (!work) return;
    if (IsUiThread()) {
        work();
        return;
    }
    // Qt's own blocking call reads the caller's stack once the work is
    // done, before it lets the caller go; a lock of ours lets the caller
    // go only when the other thread is through with it.
    auto state = std::make_shared<CallDone>();
    HandOver(&work);
    {
        QtHandOverScope scope;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&work, notice = CallDoneNotice(state)] {
                TakeOver(&work);
                work();
            },
            Qt::QueuedConnection);
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    state->signal.wait(lock, [&] { return state->done; });
}

void WaitWhileHandlingEvents(const std::function<bool()>& done, int pollMs) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, pollMs);
        QThread::msleep(1);
    }
}

}  // namespace tonalbox::controls

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

// The end of one call carried over to the user interface thread: it is
// signalled once the work has run, or when the call's record is dropped
// unrun (no event loop left to run it), so the caller never waits for
// nothing.
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
    ~CallDoneNotice() { Signal(); }

    // Lets the caller go; once only.
    void Signal() {
        if (!m_state) return;
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            m_state->done = true;
            m_state->signal.notify_one();
        }
        m_state.reset();
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
            [&work, notice = CallDoneNotice(state)]() mutable {
                TakeOver(&work);
                work();
                // Here, not when Qt lets go of the call's record: that may
                // happen on the caller's thread, after this one is done.
                notice.Signal();
            },
            Qt::QueuedConnection);
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    state->signal.wait(lock, [&] { return state->done; });
}

}  // namespace tonalbox::controls

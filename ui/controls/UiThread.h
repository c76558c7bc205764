#pragma once
// Carrying work over to the user interface thread.

#include <functional>

namespace tonalbox::controls {

// True on the thread that runs the application's event loop (also when no
// application object exists yet).
bool IsUiThread();

// Runs `work` on the user interface thread and returns when it is done:
// directly when called there, otherwise through that thread's event queue,
// blocking the caller meanwhile (a "sent" message). The user interface
// thread must not be blocked waiting for the caller at the same time; a
// wait for a worker keeps handling events.
void RunOnUiThread(const std::function<void()>& work);

// For ThreadSanitizer builds; nothing otherwise. Qt hands a call over to
// another thread through its own locks, which the sanitizer cannot see
// (Qt is not built with it): HandOver before the call is posted and
// TakeOver where it is picked up mark that order on `token` for it.
void HandOver(const void* token);
void TakeOver(const void* token);
// While it lives, the sanitizer ignores this thread's memory accesses: the
// record of a posted call that Qt makes here and its other thread reads.
class QtHandOverScope {
public:
    QtHandOverScope();
    ~QtHandOverScope();
    QtHandOverScope(const QtHandOverScope&) = delete;
    QtHandOverScope& operator=(const QtHandOverScope&) = delete;
};

}  // namespace tonalbox::controls

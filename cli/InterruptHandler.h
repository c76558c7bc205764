#pragma once
// The signals that end a run, as the Cancel button: Ctrl-C (SIGINT),
// SIGTERM, a closed terminal (SIGHUP) and a reader of our output that went
// away (SIGPIPE) set the cancel flag the runs poll, so that they remove
// their temporary and partial files before the process ends. A second
// SIGINT, SIGTERM or SIGHUP ends the process the usual way; after SIGPIPE
// every write to the closed pipe just fails. SIGXFSZ is ignored while the
// handler exists: a write past the file size limit fails with EFBIG and
// only that file fails, as on a full disk.

#include <pthread.h>

#include <atomic>

namespace tonalbox::cli {

class InterruptHandler {
public:
    explicit InterruptHandler(std::atomic<int>& cancelFlag);
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

    // Interrupts a wait of thread in a system call (the answer to a
    // question, a file that blocks when opened), so that it gets to see
    // the cancel flag: the signal only reaches one thread of the process.
    // Does nothing while no InterruptHandler exists.
    static void Wake(pthread_t thread);
};

}  // namespace tonalbox::cli

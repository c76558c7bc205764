#pragma once
#include <atomic>
#include <string>

#include "engine/EntryResult.h"
#include "engine/IMessageSink.h"

namespace tonalbox {

// What a conversion run tells the window or the command line as it goes,
// what it asks them, and the cancel flag and success counter it shares
// with them. Every call may come from the worker thread and returns once
// the front end has carried it out ("sent", not posted).
class IConvertFrontEnd : public IMessageSink {
public:
    // Entry `index` (from 0) of the `count` entries the list now holds
    // begins; name is the file name of its path.
    virtual void EntryStarted(int index, int count, const std::string& name) = 0;
    // How far the entry in hand has come, 0..100.
    virtual void Progress(int percent) = 0;
    // The entry that began last is over, whatever became of it.
    virtual void EntryEnded(const EntryResult& /*result*/) {}

    // Set to 1 by the Cancel button; polled by the run and the encoder.
    virtual std::atomic<int>& CancelFlag() = 0;
    // Files converted in the current run; written by the run only.
    virtual std::atomic<int>& SuccessCounter() = 0;

    // The entry's output exists: may it be replaced? The one call that
    // waits for the user.
    virtual bool AskOverwrite(const std::string& output) = 0;

    // The run could not set up its engine and capture: no entry can be
    // rendered. Its message was shown just before.
    virtual void EngineFailed() {}
    // The run's last act before its engine shuts down.
    virtual void RunEnded() = 0;
};

}  // namespace tonalbox

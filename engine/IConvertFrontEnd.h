#pragma once
#include <atomic>
#include <string>

#include "engine/IMessageSink.h"

namespace tonalbox {

// What a conversion run needs from the window or the command line: the
// converting page's four controls, its cancel flag and success counter,
// message and question boxes, and the end-of-run notice. Every call may
// come from the worker thread and returns once the front end has carried
// it out ("sent", not posted).
class IConvertFrontEnd : public IMessageSink {
public:
    // Control ids of the converting page.
    enum Control : int {
        kFileProgress = 1062,   // progress bar, 0..100
        kFileCounter = 1066,    // "%d/%d"
        kFileName = 1067,       // "<name>..."
        kPercent = 1071,        // "%d%"
    };

    virtual void SetProgressPos(int pos) = 0;
    virtual void SetControlText(Control id, const std::string& text) = 0;

    // Set to 1 by the Cancel button; polled by the run and the encoder.
    virtual std::atomic<int>& CancelFlag() = 0;
    // Files converted in the current run; written by the run only.
    virtual std::atomic<int>& SuccessCounter() = 0;

    // Yes/No question with the question icon and no caption of ours.
    // Returns true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;

    // Entry index of the list is over, whatever became of it: output is
    // the path it was to be written to (empty when none was formed),
    // counted whether it was added to the success counter, musicSeconds
    // the length of the audio rendered for it (0 when nothing was).
    virtual void EntryEnded(int /*index*/, const std::string& /*output*/, bool /*counted*/,
                            double /*musicSeconds*/) {}

    // The run's last act before its engine shuts down.
    virtual void ConvertDone() = 0;
};

}  // namespace tonalbox

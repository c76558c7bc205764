#pragma once
// What became of one entry of a run, as the run tells its front end once
// the entry is over.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EntryAudio.h"

namespace tonalbox {

struct EntryResult {
    enum class Status {
        Converted,  // the output is written whole
        Failed,     // the run gave the entry up; message says why
        Skipped,    // the existing output was to be kept
        Cancelled,  // the run was stopped during the entry
    };
    Status status = Status::Failed;
    // The messages shown about the entry, one a line; for a kept output,
    // the question that was answered No.
    std::string message;
    // The path the output was to be written to; empty when none was formed.
    std::string output;
    // The length of the audio rendered for the entry; 0 when nothing was.
    double musicSeconds = 0.0;
    // The size of the written output; 0 unless converted.
    uint64_t bytes = 0;
    // The stems written beside the output, in channel order; empty unless
    // converted with stems.
    std::vector<std::string> stems;
    // What the output is, or was to be, and how it was rendered.
    EntryAudio audio;
};

}  // namespace tonalbox

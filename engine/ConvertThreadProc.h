#pragma once
// The conversion run: turns every entry of a job's path list into one MP3
// or WAV file, reporting through the job's front end.

#include "engine/ConvertJob.h"

namespace tonalbox {

// Runs one conversion on the calling thread, which owns `job` meanwhile;
// returns 0. What the run writes back (the MP3 block's input rate and
// channels) is in job.settings afterwards.
int RunConversion(ConvertJob& job);

}  // namespace tonalbox

#pragma once
// The conversion run: turns every entry of a path list into one MP3 or WAV
// file, reporting through its front end.

#include "engine/ConversionSettings.h"
#include "engine/IConvertFrontEnd.h"
#include "engine/IPathList.h"
#include "engine/LoudnessOptions.h"

namespace tonalbox {

struct ConvertJob {
    ConversionSettings* settings = nullptr;
    const IPathList* paths = nullptr;
    IConvertFrontEnd* frontEnd = nullptr;
    LoudnessOptions loudness;
};

// Runs one conversion on the calling thread; returns 0.
int RunConversion(const ConvertJob& job);

// The process-wide job the converting page publishes before it starts the
// worker, and the worker's entry point that runs it.
void SetConvertJob(const ConvertJob& job);
int ConvertThreadProc();

}  // namespace tonalbox

#include "engine/ConvertThreadProc.h"

#include <mutex>

#include "engine/CConversionRun.h"

namespace tonalbox {

namespace {
std::mutex g_jobMutex;
ConvertJob g_job;
}  // namespace

int RunConversion(const ConvertJob& job) {
    if (job.settings == nullptr || job.paths == nullptr || job.frontEnd == nullptr) {
        // Nothing to convert, but a front end still waits for the end.
        if (job.frontEnd != nullptr) job.frontEnd->ConvertDone();
        return 0;
    }
    CConversionRun run(job);
    return run.Run();
}

void SetConvertJob(const ConvertJob& job) {
    std::lock_guard<std::mutex> lock(g_jobMutex);
    g_job = job;
}

int ConvertThreadProc() {
    ConvertJob job;
    {
        std::lock_guard<std::mutex> lock(g_jobMutex);
        job = g_job;
    }
    return RunConversion(job);
}

}  // namespace tonalbox

#include "engine/ConvertThreadProc.h"

#include "engine/CConversionRun.h"

namespace tonalbox {

int RunConversion(ConvertJob& job) {
    if (job.paths == nullptr || job.frontEnd == nullptr) {
        // Nothing to convert, but a front end still waits for the end.
        if (job.frontEnd != nullptr) job.frontEnd->RunEnded();
        return 0;
    }
    CConversionRun run(job);
    return run.Run();
}

}  // namespace tonalbox

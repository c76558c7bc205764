#pragma once
// Encodes one rendered WAV file (samples from byte 56) into an MP3 file
// through the lame_enc module, loaded for the length of one call.

#include <atomic>
#include <string>

#include "engine/IConvertFrontEnd.h"
#include "engine/Mp3EncoderSettings.h"

namespace tonalbox {

class CMp3Encoder {
public:
    // frontEnd: progress and message boxes; may be null (no progress,
    // messages in the diagnostic log only).
    // Returns 1 on success and on cancellation, 0 or -1 on failure.
    // Loads "lame_enc.so" from the program's folder, else from the
    // installed module folder beside it, else by the system's search for
    // libraries.
    int EncodeFile(const std::string& wavPath, const std::string& mp3Path,
                   const Mp3EncoderSettings& settings, IConvertFrontEnd* frontEnd,
                   int progressFrom, int progressTo, const std::atomic<int>& cancelFlag);

    // The same, with the module loaded from modulePath only.
    int EncodeFileWithModule(const std::string& modulePath, const std::string& wavPath,
                             const std::string& mp3Path, const Mp3EncoderSettings& settings,
                             IConvertFrontEnd* frontEnd, int progressFrom, int progressTo,
                             const std::atomic<int>& cancelFlag);
};

}  // namespace tonalbox

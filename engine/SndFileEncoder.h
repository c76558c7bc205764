#pragma once
// Writes the run's temporary WAV (16-bit PCM from byte 56) as FLAC, Opus
// or Ogg Vorbis through libsndfile, with the run's tag as Vorbis comments.
// The output goes to a descriptor (the partial output file) through
// libsndfile's virtual I/O, so that every failed write is seen, the last
// pages written when the file is closed included.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/OptionRegistry.h"
#include "engine/SndFileOptions.h"
#include "engine/TagRecord.h"
#include "platform/Result.h"

namespace tonalbox {

class SndFileEncoder {
public:
    struct Request {
        OutputFormat format = OutputFormat::Flac;
        SndFileOptions options;
        TagRecord tag;  // written as it is: an empty text is left out
        // The Ogg stream's serial number. libsndfile draws one from the
        // clock; a fixed one keeps the bytes the same on every run.
        uint32_t oggSerial = 0;
    };

    // Whether the format is one this encoder writes.
    static bool Writes(OutputFormat format);

    // Encodes the WAV file at wavPath into fd, open for reading and writing
    // and empty. progress gets the part done in percent as blocks go; a
    // non-zero cancelFlag stops the encode (ECANCELED). Fails with the
    // error of a write that failed (EFBIG, ENOSPC, ...) or the library's.
    static platform::Result Encode(const std::string& wavPath, int fd, const Request& request,
                                   const std::function<void(int)>& progress,
                                   const std::atomic<int>& cancelFlag);

    // The Vorbis comment text of a tag field: UTF-8 as it is, a byte that
    // starts no well-formed sequence taken as ISO-8859-1 (as the ID3 tag
    // takes it).
    static std::string CommentText(const std::string& text);
};

}  // namespace tonalbox

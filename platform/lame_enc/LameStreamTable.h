#pragma once
// The encoding streams of the lame_enc module, addressed by the handles
// that beInitStream gives out.

#include <lame/lame.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/lame_enc/LameEncInterface.h"

namespace tonalbox::lameenc {

// One encoding stream: LAME's state and what beInitStream told the caller.
struct LameStream {
    lame_global_flags* gfp = nullptr;
    int inChannels = 2;        // channels in the caller's sample buffers
    DWORD chunkSamples = 0;    // samples per chunk, all channels counted
    DWORD bufferSize = 0;      // bytes one chunk's output may take
    bool flushed = false;      // beDeinitStream has run
    bool closed = false;       // beCloseStream has run; kept for the Info frame
};

class LameStreamTable {
public:
    LameStreamTable() = default;
    LameStreamTable(const LameStreamTable&) = delete;
    LameStreamTable& operator=(const LameStreamTable&) = delete;
    // Closes every stream still held (the module is being unloaded).
    ~LameStreamTable();

    // Takes ownership of the stream; returns its handle, 0 when none is free.
    HBE_STREAM Add(std::unique_ptr<LameStream> stream);
    // The stream of a handle, or null. The pointer stays valid until the
    // handle is removed.
    LameStream* Find(HBE_STREAM handle);
    // Frees the stream and LAME's state.
    void Remove(HBE_STREAM handle);
    // Marks the stream closed by the caller; it waits for its Info frame and
    // becomes the one beWriteVBRHeader addresses.
    void KeepForInfoTag(HBE_STREAM handle);
    // The stream last kept for its Info frame, 0 when there is none.
    HBE_STREAM LastKept();

private:
    std::mutex m_mutex;
    std::map<HBE_STREAM, std::unique_ptr<LameStream>> m_streams;
    HBE_STREAM m_nextHandle = 1;
    HBE_STREAM m_lastKept = 0;
};

}  // namespace tonalbox::lameenc

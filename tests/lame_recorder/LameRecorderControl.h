#pragma once
// The test side of the recording stand-ins for lame_enc.so: how a test
// tells the module what to answer, and what the module saw. The test loads
// the same module file itself and reaches these through "recorderSetup",
// "recorderReset" and "recorderLog".

#include "platform/lame_enc/LameEncInterface.h"

extern "C" {

struct RecorderSetup {
    DWORD chunkSamples = 2304;      // returned by beInitStream
    DWORD bufferSize = 16384;       // returned by beInitStream
    BE_ERR initResult = BE_ERR_SUCCESSFUL;
    int failEncodeAtChunk = 0;      // 1-based; 0: every chunk succeeds
    BE_ERR deinitResult = BE_ERR_SUCCESSFUL;
    DWORD bytesPerChunk = 100;      // output bytes of each encoded chunk
    DWORD deinitBytes = 200;        // output bytes of the flush
};

struct RecorderLog {
    int initCalls = 0;
    BYTE config[CURRENT_STRUCT_SIZE] = {};  // the record beInitStream received
    int versionCalls = 0;
    int chunks = 0;                 // beEncodeChunk calls
    long long samples = 0;          // samples handed over, all chunks
    long long sampleSum = 0;        // their sum, to compare contents
    SHORT firstSamples[4] = {};     // of the first chunk
    SHORT lastSample = 0;           // of the last chunk
    int deinitCalls = 0;
    int closeCalls = 0;
    HBE_STREAM infoTagStream = 0;
    char infoTagFile[512] = {};
    char vbrHeaderFile[512] = {};
    char calls[1024] = {};          // entry points in call order, blank-separated
};

typedef void (*RECORDERSETUP)(const RecorderSetup*);
typedef void (*RECORDERRESET)(void);
typedef const RecorderLog* (*RECORDERLOG)(void);

}  // extern "C"

// Stream handle the recorder hands out.
inline constexpr HBE_STREAM kRecorderStream = 0x5EC0;

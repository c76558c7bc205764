// A stand-in for lame_enc.so that records every call instead of encoding.
// Built three times: complete, without "beWriteInfoTag"
// (RECORDER_WITHOUT_INFO_TAG) and without "beEncodeChunk"
// (RECORDER_WITHOUT_ENCODE_CHUNK).

#include <cstdio>
#include <cstring>

#include "tests/lame_recorder/LameRecorderControl.h"

#define RECORDER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

RecorderSetup g_setup;
RecorderLog g_log;

void Note(const char* call) {
    const size_t used = std::strlen(g_log.calls);
    std::snprintf(g_log.calls + used, sizeof g_log.calls - used, "%s%s", used ? " " : "", call);
}

void CopyName(char* to, size_t size, LPCSTR name) {
    std::snprintf(to, size, "%s", name ? name : "(null)");
}

void Fill(PBYTE out, DWORD bytes, BYTE value) {
    if (out) std::memset(out, value, bytes);
}

}  // namespace

RECORDER_EXPORT void recorderSetup(const RecorderSetup* setup) { g_setup = *setup; }

RECORDER_EXPORT void recorderReset(void) {
    g_setup = RecorderSetup{};
    g_log = RecorderLog{};
}

RECORDER_EXPORT const RecorderLog* recorderLog(void) { return &g_log; }

RECORDER_EXPORT BE_ERR beInitStream(PBE_CONFIG config, PDWORD samples, PDWORD bufferSize, PHBE_STREAM stream) {
    Note("init");
    ++g_log.initCalls;
    std::memcpy(g_log.config, config, sizeof g_log.config);
    if (g_setup.initResult != BE_ERR_SUCCESSFUL) return g_setup.initResult;
    *samples = g_setup.chunkSamples;
    *bufferSize = g_setup.bufferSize;
    *stream = kRecorderStream;
    return BE_ERR_SUCCESSFUL;
}

#ifndef RECORDER_WITHOUT_ENCODE_CHUNK
RECORDER_EXPORT BE_ERR beEncodeChunk(HBE_STREAM, DWORD count, PSHORT samples, PBYTE out, PDWORD outBytes) {
    Note("encode");
    ++g_log.chunks;
    if (g_log.chunks == 1)
        for (DWORD i = 0; i < count && i < 4; ++i) g_log.firstSamples[i] = samples[i];
    for (DWORD i = 0; i < count; ++i) g_log.sampleSum += samples[i];
    if (count > 0) g_log.lastSample = samples[count - 1];
    g_log.samples += count;
    if (g_log.chunks == g_setup.failEncodeAtChunk) {
        *outBytes = 0;
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    Fill(out, g_setup.bytesPerChunk, static_cast<BYTE>(g_log.chunks));
    *outBytes = g_setup.bytesPerChunk;
    return BE_ERR_SUCCESSFUL;
}
#endif

RECORDER_EXPORT BE_ERR beDeinitStream(HBE_STREAM, PBYTE out, PDWORD outBytes) {
    Note("deinit");
    ++g_log.deinitCalls;
    *outBytes = 0;
    if (g_setup.deinitResult != BE_ERR_SUCCESSFUL) return g_setup.deinitResult;
    Fill(out, g_setup.deinitBytes, 0xEE);
    *outBytes = g_setup.deinitBytes;
    return BE_ERR_SUCCESSFUL;
}

RECORDER_EXPORT BE_ERR beCloseStream(HBE_STREAM) {
    Note("close");
    ++g_log.closeCalls;
    return BE_ERR_SUCCESSFUL;
}

RECORDER_EXPORT void beVersion(PBE_VERSION version) {
    Note("version");
    ++g_log.versionCalls;
    // The caller hands over a zeroed record; anything else is noted.
    for (size_t i = 0; i < sizeof *version; ++i)
        if (reinterpret_cast<const BYTE*>(version)[i] != 0) {
            Note("version-record-not-zeroed");
            break;
        }
    version->byDLLMajorVersion = 1;
}

RECORDER_EXPORT BE_ERR beWriteVBRHeader(LPCSTR fileName) {
    Note("vbrheader");
    CopyName(g_log.vbrHeaderFile, sizeof g_log.vbrHeaderFile, fileName);
    return BE_ERR_SUCCESSFUL;
}

#ifndef RECORDER_WITHOUT_INFO_TAG
RECORDER_EXPORT BE_ERR beWriteInfoTag(HBE_STREAM stream, LPCSTR fileName) {
    Note("infotag");
    g_log.infoTagStream = stream;
    CopyName(g_log.infoTagFile, sizeof g_log.infoTagFile, fileName);
    return BE_ERR_SUCCESSFUL;
}
#endif

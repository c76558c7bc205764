// The entry points of lame_enc.so: the BladeMP3EncDLL-style encoder
// interface over libmp3lame.

#include <lame/lame.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/lame_enc/LameConfig.h"
#include "platform/lame_enc/LameEncInterface.h"
#include "platform/lame_enc/LameStreamTable.h"

#define LAME_ENC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tonalbox::lameenc::LameStream;
using tonalbox::lameenc::LameStreamTable;
using tonalbox::platform::Result;

// Version of the interface this module implements.
constexpr BYTE kInterfaceMajor = 1;
constexpr BYTE kInterfaceMinor = 32;
// Release date of the module.
constexpr BYTE kReleaseDay = 1;
constexpr BYTE kReleaseMonth = 6;
constexpr WORD kReleaseYear = 2024;

LameStreamTable& Streams() {
    static LameStreamTable table;
    return table;
}

// Finds the start of the first MPEG frame: after an ID3v2 tag, if there is
// one. Returns -1 when the file does not start with a frame there.
long FirstFrameOffset(FILE* file) {
    unsigned char head[10] = {};
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return -1;
    long offset = 0;
    if (std::memcmp(head, "ID3", 3) == 0) {
        offset = 10 + (((head[6] & 0x7FL) << 21) | ((head[7] & 0x7FL) << 14) |
                       ((head[8] & 0x7FL) << 7) | (head[9] & 0x7FL));
        if (std::fseek(file, offset, SEEK_SET) != 0) return -1;
        if (std::fread(head, 1, 2, file) != 2) return -1;
    }
    if (head[0] != 0xFF || (head[1] & 0xE0) != 0xE0) return -1;
    return offset;
}

// Rewrites the stream's first frame, the Xing/Info frame LAME reserved,
// with its final contents.
Result WriteInfoFrame(lame_global_flags* gfp, const char* fileName) {
    const size_t size = lame_get_lametag_frame(gfp, nullptr, 0);
    if (size == 0) return Result::Ok();
    const std::string cannotWrite = std::string("lame_enc: can not write the Info frame into ") + fileName;
    FILE* file = std::fopen(fileName, "r+b");
    if (!file) return Result::Fail(static_cast<int>(BE_ERR_INVALID_FORMAT_PARAMETERS), cannotWrite);
    bool written = false;
    std::vector<unsigned char> frame(size);
    const long offset = FirstFrameOffset(file);
    if (offset >= 0 && lame_get_lametag_frame(gfp, frame.data(), frame.size()) == size &&
        std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(frame.data(), 1, size, file) == size) {
        written = true;
    }
    if (std::fclose(file) != 0) written = false;
    if (!written) return Result::Fail(static_cast<int>(BE_ERR_INVALID_FORMAT_PARAMETERS), cannotWrite);
    return Result::Ok();
}

// LAME's informational messages have no reader here.
void Quiet(const char*, va_list) {}

}  // namespace

LAME_ENC_EXPORT BE_ERR beInitStream(PBE_CONFIG pbeConfig, PDWORD dwSamples, PDWORD dwBufferSize,
                                    PHBE_STREAM phbeStream) {
    if (!pbeConfig || !dwSamples || !dwBufferSize || !phbeStream) return BE_ERR_INVALID_FORMAT_PARAMETERS;

    BE_CONFIG config;
    const Result read = tonalbox::lameenc::ReadConfig(*pbeConfig, config);
    if (!read.ok()) return static_cast<BE_ERR>(read.code);

    auto stream = std::make_unique<LameStream>();
    stream->gfp = lame_init();
    if (!stream->gfp) return BE_ERR_NO_MORE_HANDLES;
    lame_set_msgf(stream->gfp, Quiet);
    lame_set_debugf(stream->gfp, Quiet);

    Result applied = tonalbox::lameenc::ApplyConfig(stream->gfp, config, stream->inChannels);
    if (applied.ok() && lame_init_params(stream->gfp) < 0)
        applied = Result::Fail(static_cast<int>(BE_ERR_INVALID_FORMAT_PARAMETERS), "lame_enc: LAME refused the settings");
    if (!applied.ok()) {
        lame_close(stream->gfp);
        return static_cast<BE_ERR>(applied.code);
    }

    // One MPEG frame per chunk: 1152 samples per channel for MPEG-1, 576
    // for MPEG-2 and 2.5.
    stream->chunkSamples = static_cast<DWORD>(lame_get_framesize(stream->gfp) * stream->inChannels);
    stream->bufferSize = tonalbox::lameenc::OutputBufferSize(stream->chunkSamples, stream->inChannels,
                                                             lame_get_in_samplerate(stream->gfp),
                                                             lame_get_out_samplerate(stream->gfp));
    const DWORD chunk = stream->chunkSamples;
    const DWORD buffer = stream->bufferSize;
    lame_global_flags* gfp = stream->gfp;
    const HBE_STREAM handle = Streams().Add(std::move(stream));
    if (handle == 0) {
        lame_close(gfp);
        return BE_ERR_NO_MORE_HANDLES;
    }
    *dwSamples = chunk;
    *dwBufferSize = buffer;
    *phbeStream = handle;
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BE_ERR beEncodeChunk(HBE_STREAM hbeStream, DWORD nSamples, PSHORT pSamples, PBYTE pOutput,
                                     PDWORD pdwOutput) {
    if (!pdwOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *pdwOutput = 0;
    LameStream* stream = Streams().Find(hbeStream);
    if (!stream || stream->closed || stream->flushed) return BE_ERR_INVALID_HANDLE;
    if (!pOutput || (nSamples > 0 && !pSamples)) return BE_ERR_INVALID_FORMAT_PARAMETERS;

    // A trailing sample without its partner channel is dropped.
    const int frames = static_cast<int>(nSamples / static_cast<DWORD>(stream->inChannels));
    if (frames == 0) return BE_ERR_SUCCESSFUL;
    const int size = static_cast<int>(stream->bufferSize);
    const int written = stream->inChannels == 1
                            ? lame_encode_buffer(stream->gfp, pSamples, pSamples, frames, pOutput, size)
                            : lame_encode_buffer_interleaved(stream->gfp, pSamples, frames, pOutput, size);
    if (written == -1) return BE_ERR_BUFFER_TOO_SMALL;
    if (written < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *pdwOutput = static_cast<DWORD>(written);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BE_ERR beDeinitStream(HBE_STREAM hbeStream, PBYTE pOutput, PDWORD pdwOutput) {
    if (!pdwOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *pdwOutput = 0;
    LameStream* stream = Streams().Find(hbeStream);
    if (!stream || stream->closed) return BE_ERR_INVALID_HANDLE;
    if (!pOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (stream->flushed) return BE_ERR_SUCCESSFUL;
    const int written = lame_encode_flush(stream->gfp, pOutput, static_cast<int>(stream->bufferSize));
    if (written == -1) return BE_ERR_BUFFER_TOO_SMALL;
    if (written < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    stream->flushed = true;
    *pdwOutput = static_cast<DWORD>(written);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT BE_ERR beCloseStream(HBE_STREAM hbeStream) {
    LameStream* stream = Streams().Find(hbeStream);
    if (!stream || stream->closed) return BE_ERR_INVALID_HANDLE;
    // A stream whose Info frame is still to be written lives on until
    // beWriteInfoTag or beWriteVBRHeader.
    if (lame_get_bWriteVbrTag(stream->gfp))
        Streams().KeepForInfoTag(hbeStream);
    else
        Streams().Remove(hbeStream);
    return BE_ERR_SUCCESSFUL;
}

LAME_ENC_EXPORT void beVersion(PBE_VERSION pbeVersion) {
    if (!pbeVersion) return;
    std::memset(pbeVersion, 0, sizeof *pbeVersion);
    pbeVersion->byDLLMajorVersion = kInterfaceMajor;
    pbeVersion->byDLLMinorVersion = kInterfaceMinor;
    lame_version_t version{};
    get_lame_version_numerical(&version);
    pbeVersion->byMajorVersion = static_cast<BYTE>(version.major);
    pbeVersion->byMinorVersion = static_cast<BYTE>(version.minor);
    pbeVersion->byAlphaLevel = static_cast<BYTE>(version.alpha);
    pbeVersion->byBetaLevel = static_cast<BYTE>(version.beta);
    pbeVersion->byDay = kReleaseDay;
    pbeVersion->byMonth = kReleaseMonth;
    pbeVersion->wYear = kReleaseYear;
    std::snprintf(pbeVersion->zHomepage, sizeof pbeVersion->zHomepage, "%s", get_lame_url());
}

LAME_ENC_EXPORT BE_ERR beWriteInfoTag(HBE_STREAM hbeStream, LPCSTR lpszFileName) {
    LameStream* stream = Streams().Find(hbeStream);
    if (!stream) return BE_ERR_INVALID_HANDLE;
    BE_ERR result = BE_ERR_SUCCESSFUL;
    if (lame_get_bWriteVbrTag(stream->gfp))
        result = lpszFileName ? static_cast<BE_ERR>(WriteInfoFrame(stream->gfp, lpszFileName).code)
                              : BE_ERR_INVALID_FORMAT_PARAMETERS;
    // The stream ends here, whether the frame could be written or not.
    Streams().Remove(hbeStream);
    return result;
}

LAME_ENC_EXPORT BE_ERR beWriteVBRHeader(LPCSTR lpszFileName) {
    const HBE_STREAM last = Streams().LastKept();
    if (last == 0) return BE_ERR_INVALID_HANDLE;
    return beWriteInfoTag(last, lpszFileName);
}

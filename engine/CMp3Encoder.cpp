#include "engine/CMp3Encoder.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/OptionRegistry.h"
#include "platform/InstallLayout.h"
#include "platform/ProgramPaths.h"
#include "platform/lame_enc/LameEncEntryPoints.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

namespace tonalbox {

namespace {

constexpr const char* kModuleName = "lame_enc.so";

// A preset position outside the list (a hand-edited settings file) falls
// back to "Normal", which leaves the encoder's settings alone.
LONG PresetCode(int position) {
    const ChoiceTable& presets = options::Presets();
    return presets.HasPosition(position) ? presets.ValueAt(position) : LQP_NORMAL_QUALITY;
}

void FillConfig(const Mp3EncoderSettings& s, BE_CONFIG& config) {
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    auto& l = config.format.LHV1;
    l.dwStructVersion = 1;
    l.dwStructSize = sizeof(BE_CONFIG);
    l.dwSampleRate = static_cast<DWORD>(s.m_nInSampleRate);
    l.dwReSampleRate = s.m_nOutSampleRate != s.m_nInSampleRate ? static_cast<DWORD>(s.m_nOutSampleRate) : 0;
    l.nMode = s.m_nChannelMode;
    l.dwMaxBitrate = 0;
    l.dwMpegVersion = MPEG1;
    l.dwPsyModel = 0;
    l.dwEmphasis = 0;
    l.bPrivate = s.m_bPrivate;
    l.bCRC = 0;
    l.bCopyright = s.m_bCopyright;
    l.bOriginal = s.m_bOriginal;
    l.bWriteVBRHeader = 1;
    switch (static_cast<EncodeMode>(s.m_nEncodeMode)) {
    case EncodeMode::Cbr:
        l.dwBitrate = static_cast<DWORD>(s.m_nBitrate);
        l.nPreset = LQP_NOPRESET;
        l.nVbrMethod = VBR_METHOD_NONE;
        break;
    case EncodeMode::Abr:
        l.nPreset = LQP_NOPRESET;
        l.dwVbrAbr_bps = static_cast<DWORD>(s.m_nBitrate) * 1000u;
        l.nVbrMethod = VBR_METHOD_ABR;
        break;
    case EncodeMode::Vbr:
        l.nPreset = LQP_NOPRESET;
        l.bEnableVBR = 1;
        l.nVBRQuality = s.m_nVbrQuality;
        l.dwVbrAbr_bps = static_cast<DWORD>(s.m_nBitrate) * 1000u;
        l.nVbrMethod = VBR_METHOD_DEFAULT;
        break;
    case EncodeMode::Preset:
        l.nPreset = PresetCode(s.m_nPreset);
        l.nVbrMethod = VBR_METHOD_DEFAULT;
        break;
    default:  // no mode-dependent field is set
        break;
    }
}

void Report(IConvertFrontEnd* frontEnd, const char* text) {
    if (frontEnd)
        frontEnd->ShowMessage(text);
    else
        std::fprintf(stderr, "%s\n", text);
}

// Everything one encode holds. Whatever is still held when the encode ends
// is given back in reverse order: buffers, stream, files, module.
class EncodeSession : public LameEncEntryPoints {
public:
    EncodeSession() = default;
    EncodeSession(const EncodeSession&) = delete;
    EncodeSession& operator=(const EncodeSession&) = delete;
    ~EncodeSession() {
        ReleaseBuffers();
        CloseStream();
        CloseFiles();
        Unload();
    }

    void* module = nullptr;

    FILE* wav = nullptr;
    FILE* mp3 = nullptr;
    HBE_STREAM stream = 0;
    bool streamOpen = false;
    std::unique_ptr<BYTE[]> output;
    std::unique_ptr<SHORT[]> samples;

    bool Load(const std::vector<std::string>& paths) {
        for (const auto& path : paths) {
            module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module) return true;
        }
        return false;
    }

    void ReleaseBuffers() {
        output.reset();
        samples.reset();
    }
    void CloseStream() {
        if (streamOpen) beCloseStream(stream);
        streamOpen = false;
    }
    void CloseFiles() {
        if (wav) std::fclose(wav);
        if (mp3) std::fclose(mp3);
        wav = mp3 = nullptr;
    }
    void Unload() {
        if (module) ::dlclose(module);
        module = nullptr;
    }
};

bool IsDirectory(FILE* file) {
    struct stat st {};
    return ::fstat(::fileno(file), &st) == 0 && S_ISDIR(st.st_mode);
}

int ProgressPosition(int from, int to, unsigned long long bytesRead, long long fileLength) {
    const double share = static_cast<double>(to - from) * static_cast<double>(bytesRead) /
                         static_cast<double>(fileLength);
    return from + static_cast<int>(std::trunc(share));
}

int Encode(const std::vector<std::string>& modulePaths, const std::string& wavPath,
           const std::string& mp3Path, const Mp3EncoderSettings& settings,
           IConvertFrontEnd* frontEnd, int progressFrom, int progressTo,
           const std::atomic<int>& cancelFlag) {
    EncodeSession s;

    // 1-3: the module, its entry points, its version.
    if (!s.Load(modulePaths)) {
        Report(frontEnd, "error loading lame_enc.DLL");
        return 0;
    }
    if (!s.Resolve(s.module)) {
        Report(frontEnd, "Unable to get LAME interfaces!");
        return 0;
    }
    BE_VERSION version;
    std::memset(&version, 0, sizeof version);
    s.beVersion(&version);

    // 4-5: the files.
    s.wav = std::fopen(wavPath.c_str(), "rb");
    if (s.wav && IsDirectory(s.wav)) {
        std::fclose(s.wav);
        s.wav = nullptr;
    }
    if (!s.wav) return -1;
    s.mp3 = std::fopen(mp3Path.c_str(), "w+b");
    if (!s.mp3) {
        Report(frontEnd, "Error creating output file ");
        return 0;
    }

    // 6: the stream.
    BE_CONFIG config;
    FillConfig(settings, config);
    DWORD chunkSamples = 0;
    DWORD outputSize = 0;
    if (s.beInitStream(&config, &chunkSamples, &outputSize, &s.stream) != BE_ERR_SUCCESSFUL) {
        Report(frontEnd, "Error opening encoding stream ");
        return -1;
    }
    s.streamOpen = true;

    // 7: the buffers, zero-filled.
    s.output.reset(new (std::nothrow) BYTE[outputSize]());
    s.samples.reset(new (std::nothrow) SHORT[chunkSamples]());
    if (!s.output || !s.samples) {
        Report(frontEnd, "Out of memory");
        return 0;
    }

    // 8: the input's length, then the first chunk of whole samples.
    std::fseek(s.wav, 0, SEEK_END);
    const long long fileLength = ::ftello(s.wav);
    std::fseek(s.wav, wavecapture::kWaveHeaderSize, SEEK_SET);
    size_t samplesRead = std::fread(s.samples.get(), sizeof(SHORT), chunkSamples, s.wav);
    unsigned long long bytesRead = 0;

    // 9: encode chunk by chunk.
    while (samplesRead > 0 && cancelFlag.load() == 0) {
        DWORD outputBytes = 0;
        const BE_ERR err = s.beEncodeChunk(s.stream, static_cast<DWORD>(samplesRead), s.samples.get(),
                                           s.output.get(), &outputBytes);
        // A count beyond the buffer is the module's fault as much as a
        // failed call; nothing of it is written.
        if (err != BE_ERR_SUCCESSFUL || outputBytes > outputSize) {
            s.CloseStream();
            Report(frontEnd, "beEncodeChunk() failed.");
            return -1;
        }
        if (std::fwrite(s.output.get(), 1, outputBytes, s.mp3) != outputBytes) {
            Report(frontEnd, "Output file write error.");
            return 0;
        }
        bytesRead += samplesRead * sizeof(SHORT);
        if (frontEnd) {
            const int position = ProgressPosition(progressFrom, progressTo, bytesRead, fileLength);
            frontEnd->SetProgressPos(position);
            char text[32];
            std::snprintf(text, sizeof text, "%d%s", position, "%");
            frontEnd->SetControlText(IConvertFrontEnd::kPercent, text);
        }
        samplesRead = std::fread(s.samples.get(), sizeof(SHORT), chunkSamples, s.wav);
    }

    // 10-11: flush the last frames.
    DWORD outputBytes = 0;
    const BE_ERR err = s.beDeinitStream(s.stream, s.output.get(), &outputBytes);
    if (err != BE_ERR_SUCCESSFUL) {
        s.CloseStream();
        std::fprintf(stderr, "beExitStream failed (%lu)\n", static_cast<unsigned long>(err));
        return -1;
    }
    if (outputBytes > outputSize ||
        (outputBytes > 0 && std::fwrite(s.output.get(), 1, outputBytes, s.mp3) != outputBytes) ||
        std::fflush(s.mp3) != 0) {
        std::fputs("Output file write error\n", stderr);
        return -1;
    }

    // 12: close the stream, free the buffers, close the files.
    s.CloseStream();
    s.ReleaseBuffers();
    s.CloseFiles();

    // 13: the Xing/Info frame, written by the module into the closed file.
    if (s.beWriteInfoTag)
        s.beWriteInfoTag(s.stream, mp3Path.c_str());
    else
        s.beWriteVBRHeader(mp3Path.c_str());

    // 14: unload.
    s.Unload();
    return 1;
}

}  // namespace

int CMp3Encoder::EncodeFile(const std::string& wavPath, const std::string& mp3Path,
                            const Mp3EncoderSettings& settings, IConvertFrontEnd* frontEnd,
                            int progressFrom, int progressTo, const std::atomic<int>& cancelFlag) {
    std::vector<std::string> paths;
    for (const std::string& folder : platform::ModuleFolders(platform::ProgramFolder()))
        paths.push_back(folder + kModuleName);
    paths.emplace_back(kModuleName);
    return Encode(paths, wavPath, mp3Path, settings, frontEnd, progressFrom, progressTo, cancelFlag);
}

int CMp3Encoder::EncodeFileWithModule(const std::string& modulePath, const std::string& wavPath,
                                      const std::string& mp3Path, const Mp3EncoderSettings& settings,
                                      IConvertFrontEnd* frontEnd, int progressFrom, int progressTo,
                                      const std::atomic<int>& cancelFlag) {
    return Encode({modulePath}, wavPath, mp3Path, settings, frontEnd, progressFrom, progressTo,
                  cancelFlag);
}

}  // namespace tonalbox

#include "engine/CMp3Encoder.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/OptionRegistry.h"
#include "platform/InstallLayout.h"
#include "platform/ProgramPaths.h"
#include "platform/Result.h"
#include "platform/lame_enc/LameEncEntryPoints.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

namespace tonalbox {

namespace {

using platform::Result;

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

// How a failed step ends the encode: the driver's result for it (0 or -1)
// and whether its message is one the user is shown or only a diagnostic
// one (the run tells the user that the file could not be written).
enum StepFailure : int {
    kShownFailure = -10,        // 0, message shown
    kShownStreamFailure = -11,  // -1, message shown
    kStreamFailure = -12,       // -1, message logged only
};

Result Fail(StepFailure failure, std::string message) { return Result::Fail(failure, std::move(message)); }

// The driver's result: 1 when done, else that of the failed step.
int DriverResult(const Result& result) {
    if (result.ok()) return 1;
    return result.code == kShownFailure ? 0 : -1;
}

bool IsShown(const Result& result) {
    return result.code == kShownFailure || result.code == kShownStreamFailure;
}

bool IsDirectory(FILE* file) {
    struct stat st {};
    return ::fstat(::fileno(file), &st) == 0 && S_ISDIR(st.st_mode);
}

int ProgressPosition(int from, int to, unsigned long long bytesRead, long long fileLength) {
    const double share = static_cast<double>(to - from) * static_cast<double>(bytesRead) /
                         static_cast<double>(fileLength);
    return from + static_cast<int>(std::trunc(share));
}

// Where the encode's progress goes: the share of the bar from `from` to
// `to`.
struct ProgressRange {
    IConvertFrontEnd* frontEnd;
    int from;
    int to;

    void Show(unsigned long long bytesRead, long long fileLength) const {
        if (!frontEnd) return;
        frontEnd->Progress(ProgressPosition(from, to, bytesRead, fileLength));
    }
};

// Everything one encode holds, and its steps in order. Whatever is still
// held when the encode ends is given back in reverse order: buffers,
// stream, files, module.
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

    // 1-3: the module, its entry points, its version.
    Result LoadModule(const std::vector<std::string>& paths) {
        for (const auto& path : paths) {
            m_module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (m_module) break;
        }
        if (!m_module) return Fail(kShownFailure, "error loading lame_enc.DLL");
        if (!Resolve(m_module)) return Fail(kShownFailure, "Unable to get LAME interfaces!");
        BE_VERSION version;
        std::memset(&version, 0, sizeof version);
        beVersion(&version);
        return Result::Ok();
    }

    // 4-5: the files.
    Result OpenFiles(const std::string& wavPath, const std::string& mp3Path) {
        m_wav = std::fopen(wavPath.c_str(), "rb");
        if (m_wav && IsDirectory(m_wav)) {
            std::fclose(m_wav);
            m_wav = nullptr;
        }
        if (!m_wav) return Fail(kStreamFailure, "encoder: can not read " + wavPath);
        m_mp3 = std::fopen(mp3Path.c_str(), "w+b");
        if (!m_mp3) return Fail(kShownFailure, "Error creating output file ");
        return Result::Ok();
    }

    // 6-7: the stream, and its buffers zero-filled.
    Result OpenStream(const Mp3EncoderSettings& settings) {
        BE_CONFIG config;
        FillConfig(settings, config);
        if (beInitStream(&config, &m_chunkSamples, &m_outputSize, &m_stream) != BE_ERR_SUCCESSFUL)
            return Fail(kShownStreamFailure, "Error opening encoding stream ");
        m_streamOpen = true;
        m_output.reset(new (std::nothrow) BYTE[m_outputSize]());
        m_samples.reset(new (std::nothrow) SHORT[m_chunkSamples]());
        if (!m_output || !m_samples) return Fail(kShownFailure, "Out of memory");
        return Result::Ok();
    }

    // 8-9: the samples chunk by chunk, until the input ends or the encode
    // is cancelled.
    Result EncodeChunks(const ProgressRange& progress, const std::atomic<int>& cancelFlag) {
        std::fseek(m_wav, 0, SEEK_END);
        const long long fileLength = ::ftello(m_wav);
        std::fseek(m_wav, wavecapture::kWaveHeaderSize, SEEK_SET);
        unsigned long long bytesRead = 0;
        for (size_t samplesRead = ReadChunk(); samplesRead > 0 && cancelFlag.load() == 0;
             samplesRead = ReadChunk()) {
            DWORD outputBytes = 0;
            const BE_ERR err = beEncodeChunk(m_stream, static_cast<DWORD>(samplesRead), m_samples.get(),
                                             m_output.get(), &outputBytes);
            // A count beyond the buffer is the module's fault as much as a
            // failed call; nothing of it is written.
            if (err != BE_ERR_SUCCESSFUL || outputBytes > m_outputSize) {
                CloseStream();
                return Fail(kShownStreamFailure, "beEncodeChunk() failed.");
            }
            if (std::fwrite(m_output.get(), 1, outputBytes, m_mp3) != outputBytes)
                return Fail(kShownFailure, "Output file write error.");
            bytesRead += samplesRead * sizeof(SHORT);
            progress.Show(bytesRead, fileLength);
        }
        return Result::Ok();
    }

    // 10-11: the last frames.
    Result Flush() {
        DWORD outputBytes = 0;
        const BE_ERR err = beDeinitStream(m_stream, m_output.get(), &outputBytes);
        if (err != BE_ERR_SUCCESSFUL) {
            CloseStream();
            return Fail(kStreamFailure, "beExitStream failed (" + std::to_string(err) + ")");
        }
        if (outputBytes > m_outputSize ||
            (outputBytes > 0 && std::fwrite(m_output.get(), 1, outputBytes, m_mp3) != outputBytes) ||
            std::fflush(m_mp3) != 0)
            return Fail(kStreamFailure, "Output file write error");
        return Result::Ok();
    }

    // 12-14: everything closed, then the Xing/Info frame, written by the
    // module into the closed file, and the module unloaded.
    void Finish(const std::string& mp3Path) {
        CloseStream();
        ReleaseBuffers();
        CloseFiles();
        if (beWriteInfoTag)
            beWriteInfoTag(m_stream, mp3Path.c_str());
        else
            beWriteVBRHeader(mp3Path.c_str());
        Unload();
    }

private:
    size_t ReadChunk() { return std::fread(m_samples.get(), sizeof(SHORT), m_chunkSamples, m_wav); }

    void ReleaseBuffers() {
        m_output.reset();
        m_samples.reset();
    }
    void CloseStream() {
        if (m_streamOpen) beCloseStream(m_stream);
        m_streamOpen = false;
    }
    void CloseFiles() {
        if (m_wav) std::fclose(m_wav);
        if (m_mp3) std::fclose(m_mp3);
        m_wav = m_mp3 = nullptr;
    }
    void Unload() {
        if (m_module) ::dlclose(m_module);
        m_module = nullptr;
    }

    void* m_module = nullptr;
    FILE* m_wav = nullptr;
    FILE* m_mp3 = nullptr;
    HBE_STREAM m_stream = 0;
    bool m_streamOpen = false;
    DWORD m_chunkSamples = 0;
    DWORD m_outputSize = 0;
    std::unique_ptr<BYTE[]> m_output;
    std::unique_ptr<SHORT[]> m_samples;
};

Result EncodeSteps(EncodeSession& s, const std::vector<std::string>& modulePaths, const std::string& wavPath,
                   const std::string& mp3Path, const Mp3EncoderSettings& settings, const ProgressRange& progress,
                   const std::atomic<int>& cancelFlag) {
    Result result = s.LoadModule(modulePaths);
    if (result.ok()) result = s.OpenFiles(wavPath, mp3Path);
    if (result.ok()) result = s.OpenStream(settings);
    if (result.ok()) result = s.EncodeChunks(progress, cancelFlag);
    if (result.ok()) result = s.Flush();
    if (result.ok()) s.Finish(mp3Path);
    return result;
}

// The user's messages go to the front end; without one they stay in the
// diagnostic log, where every failure's message is.
int Encode(const std::vector<std::string>& modulePaths, const std::string& wavPath,
           const std::string& mp3Path, const Mp3EncoderSettings& settings,
           IConvertFrontEnd* frontEnd, int progressFrom, int progressTo,
           const std::atomic<int>& cancelFlag) {
    EncodeSession session;
    const Result result = EncodeSteps(session, modulePaths, wavPath, mp3Path, settings,
                                      ProgressRange{frontEnd, progressFrom, progressTo}, cancelFlag);
    if (frontEnd && IsShown(result)) frontEnd->ShowMessage(result.message);
    return DriverResult(result);
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

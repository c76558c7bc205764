#include "engine/CMidiMusic.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "platform/DiagnosticLog.h"
#include "platform/Result.h"
#include "platform/audio/AudioErrors.h"
#include "platform/audio/AudioPath.h"
#include "platform/audio/MidiFileReader.h"
#include "platform/audio/MidiSequence.h"
#include "platform/audio/Performance.h"
#include "platform/audio/RenderBuffer.h"
#include "platform/audio/SoundFontCatalog.h"

namespace tonalbox {

namespace {

using audio::AudioPath;
using audio::MidiFileReader;
using audio::MidiSequence;
using audio::Performance;
using audio::RenderBuffer;
using audio::SoundFontCatalog;
using audio::SoundFontPort;
using platform::Result;

// Without a sink nobody is there to see the message: it goes to the log.
void Show(IMessageSink* messages, const std::string& text) {
    if (messages != nullptr)
        messages->ShowMessage(text);
    else
        platform::DiagnosticLog::Write(text);
}

}  // namespace

struct CMidiMusic::Impl {
    IMessageSink* messages = nullptr;

    int renderCores = 1;
    bool renderChannelsApart = false;
    SynthOptions synthOptions;
    // The port list as the engine found it at Initialize.
    std::optional<std::vector<SoundFontPort>> directMusic8;
    // Loader and performance: the synthesizer and its scheduler.
    std::unique_ptr<Performance> performance;
    bool loader = false;
    std::shared_ptr<const MidiSequence> segment;
    bool segmentState8 = false;
    std::unique_ptr<AudioPath> preListen3dPath;
    std::unique_ptr<AudioPath> m_pAudioPath;
    RenderBuffer* m_lpDSB8 = nullptr;
    // Milliseconds asked of the render clock since the render path was made.
    uint64_t clockMs = 0;

    void ReleaseAll() {
        segment.reset();
        segmentState8 = false;
        directMusic8.reset();
        // Paths before the performance they pull audio from; their effects
        // finish any capture still running.
        preListen3dPath.reset();
        m_lpDSB8 = nullptr;
        m_pAudioPath.reset();
        if (performance) performance->CloseOutput();
        performance.reset();
        loader = false;
        clockMs = 0;
    }
};

CMidiMusic::CMidiMusic(IMessageSink* messages) : m_impl(std::make_unique<Impl>()) {
    m_impl->messages = messages;
}

CMidiMusic::~CMidiMusic() { m_impl->ReleaseAll(); }

int CMidiMusic::Initialize(int mode, int pathType, int sampleRate) {
    Impl& d = *m_impl;
    d.ReleaseAll();

    // Loader and performance.
    d.loader = true;
    const bool render = mode == EngineMode::Render;
    Result made = render ? Performance::Create(sampleRate, d.performance, d.renderCores, d.renderChannelsApart)
                         : Performance::Create(audio::kPreListenSampleRate, d.performance);
    if (!made.ok()) return made.code;

    // The ports, and the default one (the first) for the performance.
    std::vector<SoundFontPort> ports = SoundFontCatalog::List();
    if (!ports.empty()) d.performance->SelectSoundFont(ports.front().path);

    if (render) {
        if (ports.empty()) return audio::kNoSoundFont;
        made = AudioPath::CreateStandard(*d.performance, pathType, false, d.m_pAudioPath);
        if (!made.ok()) return made.code;
        d.clockMs = 0;
        d.m_lpDSB8 = &d.m_pAudioPath->Buffer();
    } else {
        made = d.performance->OpenOutput();
        if (!made.ok()) return made.code;
        made = AudioPath::CreateStandard(*d.performance, DMUS_APATH_DYNAMIC_3D, true, d.preListen3dPath);
        if (!made.ok()) return made.code;
    }

    d.directMusic8 = std::move(ports);
    return 0;
}

void CMidiMusic::SetRenderCores(int cores) { m_impl->renderCores = cores; }

void CMidiMusic::SetRenderChannelsApart(bool apart) { m_impl->renderChannelsApart = apart; }

void CMidiMusic::SetSynthOptions(const SynthOptions& options) { m_impl->synthOptions = options; }

void CMidiMusic::UseSoundFont(const std::string& path) {
    if (m_impl->performance) m_impl->performance->SelectSoundFont(path, true);
}

int CMidiMusic::EnumPort(int index, PortInfo* info) {
    Impl& d = *m_impl;
    if (!d.directMusic8) return audio::kNotInitialized;
    if (info == nullptr) return audio::kPointer;
    if (index < 0) return audio::kInvalidArg;
    const std::vector<SoundFontPort>& ports = *d.directMusic8;
    if (static_cast<size_t>(index) >= ports.size()) return audio::kFalse;
    const SoundFontPort& p = ports[static_cast<size_t>(index)];
    *info = PortInfo();
    const size_t n = std::min(p.description.size(), sizeof(info->szDescription) - 1);
    std::memcpy(info->szDescription, p.description.data(), n);
    info->szDescription[n] = '\0';
    info->dwFlags = p.flags;
    info->dwClass = p.portClass;
    info->dwType = p.type;
    info->dwMaxAudioChannels = p.maxAudioChannels;
    info->dwMaxVoices = p.maxVoices;
    info->dwMaxChannelGroups = p.maxChannelGroups;
    info->dwEffectFlags = p.effectFlags;
    info->guidPort = p.guid;
    return 0;
}

int CMidiMusic::CreatePort(const PortInfo& info) {
    Impl& d = *m_impl;
    if (!d.directMusic8 || !d.performance) return audio::kNotInitialized;

    const SoundFontPort* found = nullptr;
    for (const SoundFontPort& p : *d.directMusic8)
        if (p.guid == info.guidPort) found = &p;
    if (found == nullptr) return audio::kPortNotFound;

    // Activating the port gives the performance its SoundFont; it is loaded
    // when a file is downloaded to it.
    d.performance->SelectSoundFont(found->path);
    return 0;
}

int CMidiMusic::LoadMidiFile(const std::string& path, bool /*standardMidiFile*/) {
    Impl& d = *m_impl;
    d.segment.reset();
    if (!d.loader || !d.performance) return audio::kNotInitialized;

    auto sequence = std::make_shared<MidiSequence>();
    const Result read = MidiFileReader::ReadFile(path, *sequence);
    if (!read.ok()) return read.code;
    // The synthesizer each Play makes reads the effects and the mode.
    const SynthOptions& options = d.synthOptions;
    d.performance->SetEffects(options.reverb, options.chorus);
    d.performance->SetBankSelect(options.bankSelect == audio::BankSelect::Auto
                                     ? audio::BankSelectOfFirstSysEx(*sequence)
                                     : options.bankSelect);
    d.segment = std::move(sequence);

    // Download: the instruments come with the port's SoundFont, loaded once.
    d.performance->EnsureSoundFont();
    return 0;
}

int CMidiMusic::Play() {
    Impl& d = *m_impl;
    if (!d.performance) return audio::kNotInitialized;
    if (!d.segment) return audio::kPointer;
    d.performance->SetSequence(d.segment);
    const Result played = d.performance->Play();
    if (!played.ok()) {
        d.segmentState8 = false;
        return played.code;
    }
    d.segmentState8 = true;
    return 0;
}

int CMidiMusic::Stop() {
    Impl& d = *m_impl;
    if (d.performance) d.performance->Stop();
    return 1;
}

int CMidiMusic::GetLength(int64_t* length) {
    Impl& d = *m_impl;
    if (length == nullptr || !d.segment) return audio::kPointer;
    *length = static_cast<int64_t>(std::min<uint64_t>(d.segment->LengthTicks(), INT64_MAX));
    return 0;
}

int CMidiMusic::GetDuration(double* seconds) {
    Impl& d = *m_impl;
    if (seconds == nullptr || !d.segment) return audio::kPointer;
    *seconds = d.segment->LengthSeconds();
    return 0;
}

int CMidiMusic::GetChannelUse(audio::ChannelUses* uses) {
    Impl& d = *m_impl;
    if (uses == nullptr || !d.segment) return audio::kPointer;
    *uses = audio::ChannelUseOf(*d.segment);
    return 0;
}

int CMidiMusic::GetSeek(int64_t* position) {
    Impl& d = *m_impl;
    if (position == nullptr || !d.segmentState8 || !d.performance) return audio::kPointer;
    *position = d.performance->PositionTicks();
    return 0;
}

int CMidiMusic::ClearAudioFX() {
    Impl& d = *m_impl;
    if (d.m_lpDSB8 == nullptr) return 1;
    const Result cleared = d.m_lpDSB8->SetFX(0, nullptr, nullptr);
    if (!cleared.ok()) {
        const std::string text = "m_lpDSB8->SetFX(NULL..) error!";
        Show(d.messages, text);
        ReportError(d.messages, text, cleared.code, 0);
    }
    return cleared.code;
}

int CMidiMusic::SetAudioFX(const Guid& clsid, const Guid& iid, void** object) {
    Impl& d = *m_impl;
    if (d.m_lpDSB8 == nullptr) return 1;

    int result = 0;
    const Result set = d.m_lpDSB8->SetFX(1, &clsid, &result);
    if (!set.ok()) {
        const std::string text = "m_lpDSB8->SetFX error!";
        Show(d.messages, text);
        ReportError(d.messages, text, set.code, result);
        return set.code;
    }
    const Result found = object != nullptr
                             ? d.m_lpDSB8->GetObjectInPath(clsid, 0, iid, *object)
                             : Result::Fail(audio::kPointer, "effects: nowhere to put the interface");
    if (!found.ok()) {
        Show(d.messages, "m_lpDSB8->GetObjectInPath( m_rgFxDesc.guidDSFXClass..) error!");
        return found.code;
    }
    d.m_pAudioPath->Activate(true);
    return 0;
}

int CMidiMusic::GetBufferFormat(WaveFormatEx* format) {
    Impl& d = *m_impl;
    if (d.m_lpDSB8 == nullptr) return audio::kNotInitialized;
    if (format == nullptr) return audio::kPointer;
    *format = d.m_lpDSB8->Format();
    return 0;
}

int CMidiMusic::Shutdown() {
    m_impl->ReleaseAll();
    return 0;
}

int CMidiMusic::WaitRenderClock(int ms) {
    Impl& d = *m_impl;
    if (ms <= 0) return 1;
    if (d.m_lpDSB8 != nullptr && d.performance) {
        d.clockMs += static_cast<uint64_t>(ms);
        const uint64_t rate = d.m_lpDSB8->Format().nSamplesPerSec;
        const uint64_t target = d.clockMs * rate / 1000;
        const uint64_t done = d.m_lpDSB8->FramesRendered();
        if (target > done) d.m_lpDSB8->Render(static_cast<size_t>(target - done));
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return 0;
}

void ReportError(IMessageSink* messages, const std::string& text, int code, int resultCode) {
    char buf[64];
    std::snprintf(buf, sizeof buf, ", return valud:%d, result code:%d", code, resultCode);
    Show(messages, text + buf);
}

}  // namespace tonalbox

#pragma once
// The MIDI rendering engine: loads a Standard MIDI File, plays it on a
// synthesizer port, lists the ports, and in render mode runs the music
// through an effect chain (the wave capture effect) without a device.
//
// Every operation returns 0 on success, the first failing call's negative
// code on failure, or 1 when there is nothing to act on.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/IMessageSink.h"
#include "engine/SynthOptions.h"
#include "platform/audio/AudioTypes.h"
#include "platform/audio/ChannelUse.h"

namespace tonalbox {

using audio::Guid;
using audio::WaveFormatEx;

enum EngineMode : int { Render = 0, PreListen = 1 };

// Standard audio path types, by the names the engine's callers use.
inline constexpr int DMUS_APATH_DYNAMIC_3D = audio::kPathDynamic3d;
inline constexpr int DMUS_APATH_DYNAMIC_MONO = audio::kPathDynamicMono;
inline constexpr int DMUS_APATH_DYNAMIC_STEREO = audio::kPathDynamicStereo;

inline constexpr uint32_t DMUS_PC_OUTPUTCLASS = 1;
inline constexpr uint32_t DMUS_PC_AUDIOPATH = 0x400;

// One synthesizer port (one installed SoundFont).
struct PortInfo {
    char szDescription[256] = {};
    uint32_t dwFlags = 0;
    uint32_t dwClass = 0;
    uint32_t dwType = 0;
    uint32_t dwMaxAudioChannels = 0;
    uint32_t dwMaxVoices = 0;
    uint32_t dwMaxChannelGroups = 0;
    uint32_t dwEffectFlags = 0;
    Guid guidPort;
};

class CMidiMusic {
public:
    // messages: where the engine's message boxes go (null: the diagnostic
    // log).
    explicit CMidiMusic(IMessageSink* messages = nullptr);
    ~CMidiMusic();
    CMidiMusic(const CMidiMusic&) = delete;
    CMidiMusic& operator=(const CMidiMusic&) = delete;

    int Initialize(int mode, int pathType, int sampleRate);
    // The cores the synthesizer of the next Initialize in render mode mixes
    // its voices on. 1, the default, is the only choice that renders the
    // same bytes every time; more is for measuring that.
    void SetRenderCores(int cores);
    // Whether the synthesizer of the next Initialize in render mode keeps
    // the MIDI channels apart, so that the capture effect can write each
    // on its own. Off by default: apart, each channel has its own reverb
    // and chorus, and the mix is no longer the same bytes.
    void SetRenderChannelsApart(bool apart);
    // Effects and bank select for the files loaded from now on; with
    // BankSelect::Auto each file's own first SysEx chooses.
    void SetSynthOptions(const SynthOptions& options);
    // Plays the files loaded from now on with this SoundFont instead of
    // the port's. Those used before stay loaded, to be taken again
    // without loading them anew.
    void UseSoundFont(const std::string& path);
    int EnumPort(int index, PortInfo* info);
    int CreatePort(const PortInfo& info);
    // Every file is read as a Standard MIDI File, whatever standardMidiFile says.
    int LoadMidiFile(const std::string& path, bool standardMidiFile);
    int Play();
    int Stop();
    // Length and play position in the file's ticks (64 bits: a fast tempo
    // at a fine division passes 2^31 ticks within seconds).
    int GetLength(int64_t* length);
    int GetSeek(int64_t* position);
    // The loaded piece's playing time in seconds (to the end of GetLength),
    // worked out from its tempo map without rendering anything.
    int GetDuration(double* seconds);
    // What each MIDI channel of the loaded piece plays.
    int GetChannelUse(audio::ChannelUses* uses);
    int ClearAudioFX();
    int SetAudioFX(const Guid& clsid, const Guid& iid, void** object);
    // The render buffer's format; fails when there is no render buffer.
    int GetBufferFormat(WaveFormatEx* format);
    int Shutdown();

    // The render clock. In render mode the music advances only as audio is
    // rendered: this renders `ms` milliseconds through the buffer's effect
    // chain and returns at once. In pre-listen mode it sleeps `ms`.
    int WaitRenderClock(int ms);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Shows "%s, return valud:%d, result code:%d" through `messages`.
void ReportError(IMessageSink* messages, const std::string& text, int code, int resultCode);

}  // namespace tonalbox

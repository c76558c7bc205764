#pragma once
// The sound buffer of a render audio path: pulls blocks of audio from the
// performance in the buffer's format (one or two channels at the
// performance's rate) and passes them through its effect chain: as they
// are to effects that take floating point, and as 16-bit PCM at the fixed
// output level (through a look-ahead limiter so that loud passages do not
// clip) to the others. Nothing goes to a device.

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Result.h"
#include "platform/audio/AudioTypes.h"
#include "platform/audio/IAudioEffect.h"
#include "platform/audio/LookAheadLimiter.h"
#include "platform/audio/Performance.h"

namespace tonalbox::audio {

class RenderBuffer {
public:
    RenderBuffer(Performance& performance, int channels);

    const WaveFormatEx& Format() const { return m_format; }

    // Replaces the effect chain with instances of the `count` classes (none
    // when 0). All or nothing: on failure the buffer keeps no effect, and
    // `results` (when given) holds one result per class (kFxr... values).
    platform::Result SetFX(size_t count, const Guid* classes, int* results);
    size_t EffectCount() const { return m_effects.size(); }
    // Interface `iid` of the `index`-th effect of class `clsid` (null on
    // failure).
    platform::Result GetObjectInPath(const Guid& clsid, size_t index, const Guid& iid, void*& object) const;

    // Whether rendered audio passes through the effects.
    void SetActive(bool active) { m_active = active; }
    bool Active() const { return m_active; }

    // Renders `frames` frames now.
    void Render(size_t frames);
    uint64_t FramesRendered() const { return m_framesRendered; }

    // Float samples to 16-bit: scaled, rounded to nearest (even) and
    // clipped.
    static int16_t ToPcm16(float value) {
        const float scaled = value * 32768.0f;
        if (!(scaled > -32768.0f)) return -32768;  // also NaN
        if (scaled >= 32767.0f) return 32767;
#if defined(__SSE__)
        return static_cast<int16_t>(_mm_cvtss_si32(_mm_set_ss(scaled)));  // lrint without the call
#else
        return static_cast<int16_t>(std::lrint(scaled));
#endif
    }

private:
    // The block at the fixed output level, limited, into m_pcm; the
    // limiter's gain of each frame into m_gains.
    void ToOutputLevel(size_t frames);
    // Renders the MIDI channels apart into m_channelBlock and their mix
    // (summed in channel order) into m_left and m_right.
    void RenderChannelsApart(size_t frames);
    // Gives the effects that take channels their channels' blocks.
    void PassChannels(size_t frames, bool atOutputLevel);
    // Channel c's block in the buffer's format: as rendered, or delayed by
    // the limiter's look-ahead and given the mix's output gain.
    const float* ChannelBlock(int channel, size_t frames, bool atOutputLevel);

    struct Slot {
        Guid clsid;
        std::unique_ptr<IAudioEffect> effect;
    };

    Performance& m_performance;
    WaveFormatEx m_format;
    std::vector<Slot> m_effects;
    bool m_active = false;
    uint64_t m_framesRendered = 0;
    LookAheadLimiter m_limiter;
    uint64_t m_playCount = 0;  // the performance's, when the limiter was last reset
    std::vector<float> m_left, m_right, m_interleaved;
    std::vector<int16_t> m_pcm;
    // With the channels apart: their pairs of the block, the limiter's gains
    // of the block, and each channel's audio waiting out the look-ahead
    // (interleaved, as the limiter's delay line holds the mix).
    std::vector<float> m_channelBlock, m_gains, m_channelOut;
    std::vector<std::vector<float>> m_channelDelay;
    size_t m_delayPos = 0;
};

}  // namespace tonalbox::audio

#include "platform/audio/RenderBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/EffectRegistry.h"

namespace tonalbox::audio {

namespace {
constexpr size_t kBlockFrames = 1024;
}

RenderBuffer::RenderBuffer(Performance& performance, int channels)
    : m_performance(performance), m_limiter(performance.SampleRate()) {
    m_format.wFormatTag = kWaveFormatPcm;
    m_format.nChannels = static_cast<uint16_t>(channels == 1 ? 1 : 2);
    m_format.nSamplesPerSec = static_cast<uint32_t>(performance.SampleRate());
    m_format.wBitsPerSample = 16;
    m_format.nBlockAlign = static_cast<uint16_t>(m_format.nChannels * 2);
    m_format.nAvgBytesPerSec = m_format.nSamplesPerSec * m_format.nBlockAlign;
    m_format.cbSize = 0;
    m_left.resize(kBlockFrames);
    m_right.resize(kBlockFrames);
    m_interleaved.resize(kBlockFrames * 2);
    m_pcm.resize(kBlockFrames * 2);
    m_gains.resize(kBlockFrames);
    if (performance.ChannelsApart()) {
        m_channelBlock.resize(kBlockFrames * 2 * kMidiChannels);
        m_channelOut.resize(kBlockFrames * 2 * 2);
        m_channelDelay.assign(kMidiChannels, std::vector<float>(m_limiter.DelayFrames() * m_format.nChannels, 0.0f));
    }
}

platform::Result RenderBuffer::SetFX(size_t count, const Guid* classes, int* results) {
    if (count > 0 && classes == nullptr) return platform::Result::Fail(kInvalidArg, "effects: no classes given");
    std::vector<Slot> chain;
    platform::Result failure;
    for (size_t i = 0; i < count; ++i) {
        std::unique_ptr<IAudioEffect> effect;
        platform::Result made = EffectRegistry::Instance().Create(classes[i], effect);
        if (made.ok()) made = effect->SetFormat(m_format);
        if (results != nullptr)
            results[i] = made.ok() ? kFxrLocSoftware : (made.code == kNoClass ? kFxrUnknown : kFxrFailed);
        if (!made.ok()) {
            if (failure.ok()) failure = std::move(made);
            continue;
        }
        chain.push_back(Slot{classes[i], std::move(effect)});
    }
    m_effects.clear();
    if (!failure.ok()) {
        // Nothing is inserted when one of the effects cannot be.
        if (results != nullptr)
            for (size_t i = 0; i < count; ++i)
                if (results[i] == kFxrLocSoftware) results[i] = kFxrUnallocated;
        return failure;
    }
    m_effects = std::move(chain);
    return platform::Result::Ok();
}

platform::Result RenderBuffer::GetObjectInPath(const Guid& clsid, size_t index, const Guid& iid,
                                               void*& object) const {
    object = nullptr;
    size_t seen = 0;
    for (const Slot& slot : m_effects) {
        if (!(slot.clsid == clsid)) continue;
        if (seen++ != index) continue;
        object = slot.effect->GetInterface(iid);
        if (object == nullptr) return platform::Result::Fail(kNoInterface, "effects: the effect lacks the interface");
        return platform::Result::Ok();
    }
    return platform::Result::Fail(kNotFound, "effects: no such effect in the chain");
}

void RenderBuffer::Render(size_t frames) {
    const size_t channels = m_format.nChannels;
    while (frames > 0) {
        const size_t n = std::min(frames, kBlockFrames);
        std::fill_n(m_left.begin(), n, 0.0f);
        std::fill_n(m_right.begin(), n, 0.0f);
        const bool apart = m_performance.ChannelsApart();
        if (apart)
            RenderChannelsApart(n);
        else
            m_performance.Render(m_left.data(), m_right.data(), n);
        if (m_active && !m_effects.empty()) {
            // Each piece starts with the limiter at rest.
            if (m_performance.PlayCount() != m_playCount) {
                m_playCount = m_performance.PlayCount();
                m_limiter.Reset();
                for (std::vector<float>& delay : m_channelDelay) std::fill(delay.begin(), delay.end(), 0.0f);
                m_delayPos = 0;
            }
            if (channels == 1)
                for (size_t i = 0; i < n; ++i) m_left[i] = 0.5f * (m_left[i] + m_right[i]);
            // Effects that take floating point only read; they go first.
            bool pcmWanted = false;
            for (Slot& slot : m_effects) {
                if (!slot.effect->TakesFloat()) {
                    pcmWanted = true;
                } else if (channels == 1) {
                    slot.effect->ProcessFloat(m_left.data(), n);
                } else {
                    for (size_t i = 0; i < n; ++i) {
                        m_interleaved[2 * i] = m_left[i];
                        m_interleaved[2 * i + 1] = m_right[i];
                    }
                    slot.effect->ProcessFloat(m_interleaved.data(), n);
                }
            }
            if (pcmWanted) {
                ToOutputLevel(n);
                for (Slot& slot : m_effects)
                    if (!slot.effect->TakesFloat()) slot.effect->Process(m_pcm.data(), n);
            }
            if (apart) PassChannels(n, pcmWanted);
        }
        m_framesRendered += n;
        frames -= n;
    }
}

void RenderBuffer::ToOutputLevel(size_t n) {
    const bool mono = m_format.nChannels == 1;
    for (size_t i = 0; i < n; ++i) {
        m_left[i] *= kOutputGain;
        m_right[i] *= kOutputGain;
    }
    m_limiter.Process(m_left.data(), mono ? m_left.data() : m_right.data(), n, m_gains.data());
    if (mono) {
        for (size_t i = 0; i < n; ++i) m_pcm[i] = ToPcm16(m_left[i]);
    } else {
        for (size_t i = 0; i < n; ++i) {
            m_pcm[2 * i] = ToPcm16(m_left[i]);
            m_pcm[2 * i + 1] = ToPcm16(m_right[i]);
        }
    }
}

void RenderBuffer::RenderChannelsApart(size_t n) {
    float* lefts[kMidiChannels];
    float* rights[kMidiChannels];
    for (int c = 0; c < kMidiChannels; ++c) {
        lefts[c] = m_channelBlock.data() + static_cast<size_t>(2 * c) * kBlockFrames;
        rights[c] = lefts[c] + kBlockFrames;
        std::fill_n(lefts[c], n, 0.0f);
        std::fill_n(rights[c], n, 0.0f);
    }
    m_performance.RenderChannels(lefts, rights, n);
    for (int c = 0; c < kMidiChannels; ++c) {
        for (size_t i = 0; i < n; ++i) {
            m_left[i] += lefts[c][i];
            m_right[i] += rights[c][i];
        }
    }
}

void RenderBuffer::PassChannels(size_t n, bool atOutputLevel) {
    uint32_t taken = 0;
    for (const Slot& slot : m_effects) taken |= slot.effect->ChannelsTaken();
    const size_t start = m_delayPos;
    for (int c = 0; c < kMidiChannels; ++c) {
        // Every channel goes through its delay line, taken or not, so that
        // one taken later finds it where the mix's is.
        m_delayPos = start;
        if ((taken & (1u << c)) == 0 && !atOutputLevel) continue;
        const float* raw = ChannelBlock(c, n, false);
        const float* leveled = atOutputLevel ? ChannelBlock(c, n, true) : raw;
        if ((taken & (1u << c)) == 0) continue;
        for (Slot& slot : m_effects)
            if ((slot.effect->ChannelsTaken() & (1u << c)) != 0)
                slot.effect->ProcessChannel(c, slot.effect->TakesFloat() ? raw : leveled, n);
    }
    if (atOutputLevel) m_delayPos = (start + n) % m_limiter.DelayFrames();
}

const float* RenderBuffer::ChannelBlock(int channel, size_t n, bool atOutputLevel) {
    const size_t channels = m_format.nChannels;
    const float* left = m_channelBlock.data() + static_cast<size_t>(2 * channel) * kBlockFrames;
    const float* right = left + kBlockFrames;
    float* out = m_channelOut.data() + (atOutputLevel ? kBlockFrames * 2 : 0);
    if (!atOutputLevel) {
        for (size_t i = 0; i < n; ++i) {
            if (channels == 1) {
                out[i] = 0.5f * (left[i] + right[i]);
            } else {
                out[2 * i] = left[i];
                out[2 * i + 1] = right[i];
            }
        }
        return out;
    }
    // The block as rendered (the other half of m_channelOut) through the
    // channel's delay line, at the gain the mix's frame got.
    const float* in = m_channelOut.data();
    std::vector<float>& delay = m_channelDelay[static_cast<size_t>(channel)];
    const size_t length = m_limiter.DelayFrames();
    size_t pos = m_delayPos;
    for (size_t i = 0; i < n; ++i) {
        const float gain = kOutputGain * m_gains[i];
        for (size_t k = 0; k < channels; ++k) {
            out[i * channels + k] = delay[pos * channels + k] * gain;
            delay[pos * channels + k] = in[i * channels + k];
        }
        pos = pos + 1 == length ? 0 : pos + 1;
    }
    return out;
}

}  // namespace tonalbox::audio

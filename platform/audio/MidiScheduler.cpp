#include "platform/audio/MidiScheduler.h"

#include <algorithm>
#include <climits>

namespace tonalbox::audio {

namespace {
constexpr uint8_t kRoland = 0x41;
constexpr uint8_t kYamaha = 0x43;
// The synthesizer answers SysEx addressed to this device number (the usual
// one of GS and XG modules) or to all devices.
constexpr uint8_t kDeviceId = 0x10;
}  // namespace

void MidiScheduler::Load(std::shared_ptr<const MidiSequence> sequence, int sampleRate) {
    m_sequence = std::move(sequence);
    m_sampleRate = sampleRate;
    m_eventSamples.clear();
    m_playing = false;
    m_started = false;
    m_sample = 0;
    m_next = 0;
    if (!m_sequence) return;
    const std::vector<MidiEvent>& events = m_sequence->Events();
    m_eventSamples.reserve(events.size());
    uint64_t last = 0;
    for (const MidiEvent& e : events) {
        // Never earlier than the event before it, whatever the rounding.
        last = std::max(last, m_sequence->SampleAt(e.tick, sampleRate));
        m_eventSamples.push_back(last);
    }
    m_lengthSample = m_sequence->SampleAt(m_sequence->LengthTicks(), sampleRate);
}

void MidiScheduler::Unload() { Load(nullptr, m_sampleRate); }

void MidiScheduler::Start() {
    if (!m_sequence) return;
    m_sample = 0;
    m_next = 0;
    m_playing = true;
    m_started = true;
}

size_t MidiScheduler::FramesBeforeNextEvent(size_t limit) const {
    if (!m_playing || m_next >= m_eventSamples.size()) return limit;
    const uint64_t due = m_eventSamples[m_next];
    if (due <= m_sample) return 0;
    return static_cast<size_t>(std::min<uint64_t>(due - m_sample, limit));
}

void MidiScheduler::DispatchDue(fluid_synth_t* synth) {
    if (!m_playing) return;
    const std::vector<MidiEvent>& events = m_sequence->Events();
    while (m_next < events.size() && m_eventSamples[m_next] <= m_sample) {
        Dispatch(synth, events[m_next]);
        ++m_next;
    }
}

void MidiScheduler::Advance(size_t frames) {
    if (m_playing) m_sample += frames;
}

int64_t MidiScheduler::LengthTicks() const {
    return m_sequence ? static_cast<int64_t>(std::min<uint64_t>(m_sequence->LengthTicks(), INT64_MAX)) : 0;
}

int64_t MidiScheduler::PositionTicks() const {
    if (!m_sequence || !m_started) return 0;
    const int64_t length = LengthTicks();
    if (m_sample >= m_lengthSample) return length;
    const uint64_t tick = m_sequence->TickAtSample(m_sample, m_sampleRate);
    // Not at the end yet: stay short of the length.
    return static_cast<int64_t>(std::min<uint64_t>(tick, static_cast<uint64_t>(std::max<int64_t>(length - 1, 0))));
}

void MidiScheduler::Dispatch(fluid_synth_t* synth, const MidiEvent& e) {
    const int channel = e.status & 0x0F;
    switch (e.status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth, channel, e.data1);
            return;
        case 0x90:
            if (e.data2 == 0)
                fluid_synth_noteoff(synth, channel, e.data1);
            else
                fluid_synth_noteon(synth, channel, e.data1, e.data2);
            return;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, e.data1, e.data2);
            return;
        case 0xB0:
            fluid_synth_cc(synth, channel, e.data1, e.data2);
            return;
        case 0xC0:
            fluid_synth_program_change(synth, channel, e.data1);
            return;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, e.data1);
            return;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, (e.data2 << 7) | e.data1);
            return;
        default:
            break;
    }
    if (e.status != MidiSequence::kSysEx || e.size == 0) return;
    const std::vector<uint8_t>& data = m_sequence->SysExData();
    m_sysexScratch.assign(data.begin() + e.offset, data.begin() + e.offset + e.size);
    // GS and XG modules listen on device numbers 0x10..0x1F; address them
    // all to the one the synthesizer answers to.
    if (m_sysexScratch.size() >= 2 && (m_sysexScratch[0] == kRoland || m_sysexScratch[0] == kYamaha) &&
        (m_sysexScratch[1] & 0xF0) == 0x10)
        m_sysexScratch[1] = kDeviceId;
    fluid_synth_sysex(synth, reinterpret_cast<const char*>(m_sysexScratch.data()),
                      static_cast<int>(m_sysexScratch.size()), nullptr, nullptr, nullptr, 0);
}

}  // namespace tonalbox::audio

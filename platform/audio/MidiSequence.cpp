#include "platform/audio/MidiSequence.h"

#include <algorithm>
#include <cmath>

namespace tonalbox::audio {

namespace {
constexpr uint32_t kDefaultTempo = 500000;  // 120 beats per minute

long double FramesPerSecond(int8_t code) {
    switch (code) {
        case -29: return 30000.0L / 1001.0L;  // 29.97 drop frame
        case -24: return 24.0L;
        case -25: return 25.0L;
        case -30: return 30.0L;
        default: return static_cast<long double>(-code);
    }
}
}  // namespace

bool MidiSequence::SetDivision(uint16_t division) {
    if (division & 0x8000u) {
        const int8_t fps = static_cast<int8_t>(division >> 8);
        if (fps >= 0 || (division & 0xFFu) == 0) return false;
    } else if (division == 0) {
        return false;
    }
    m_division = division;
    return true;
}

void MidiSequence::AddChannelEvent(uint64_t tick, uint8_t status, uint8_t data1, uint8_t data2) {
    if (m_timingOnly) {
        ExtendTo(tick);
        return;
    }
    m_events.push_back(MidiEvent{tick, status, data1, data2, 0, 0});
}

void MidiSequence::AddSysEx(uint64_t tick, const uint8_t* body, uint32_t size) {
    if (m_timingOnly) {
        ExtendTo(tick);
        return;
    }
    MidiEvent e{tick, kSysEx, 0, 0, static_cast<uint32_t>(m_sysex.size()), size};
    m_sysex.insert(m_sysex.end(), body, body + size);
    m_events.push_back(e);
}

void MidiSequence::AddTempo(uint64_t tick, uint32_t microsecondsPerQuarter) {
    if (microsecondsPerQuarter == 0) return;
    m_events.push_back(MidiEvent{tick, kTempo, 0, 0, microsecondsPerQuarter, 0});
}

void MidiSequence::ExtendTo(uint64_t tick) { m_endTick = std::max(m_endTick, tick); }

void MidiSequence::Finish() {
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });

    m_tempoMap.clear();
    if (IsSmpte()) {
        const int8_t fps = static_cast<int8_t>(m_division >> 8);
        const long double ticksPerSecond = FramesPerSecond(fps) * (m_division & 0xFFu);
        m_tempoMap.push_back(TempoSegment{0, 0.0L, 1.0L / ticksPerSecond});
    } else {
        const long double ppq = m_division;
        m_tempoMap.push_back(TempoSegment{0, 0.0L, kDefaultTempo / (ppq * 1e6L)});
        for (const MidiEvent& e : m_events) {
            if (e.status != kTempo) continue;
            const long double spt = e.offset / (ppq * 1e6L);
            TempoSegment& last = m_tempoMap.back();
            if (e.tick == last.tick) {
                last.secondsPerTick = spt;
            } else {
                const long double at = last.seconds + (e.tick - last.tick) * last.secondsPerTick;
                m_tempoMap.push_back(TempoSegment{e.tick, at, spt});
            }
        }
    }

    m_hasNotes = false;
    uint64_t lastTick = m_endTick;
    for (const MidiEvent& e : m_events) {
        lastTick = std::max(lastTick, e.tick);
        if ((e.status & 0xF0) == 0x90 && e.data2 != 0) m_hasNotes = true;
    }
    // A piece without a sounding note still lasts to its end: its
    // controllers and rests are part of it.
    m_lengthTicks = lastTick;
}

long double MidiSequence::SecondsAtExact(uint64_t tick) const {
    if (m_tempoMap.empty()) return 0.0L;
    auto it = std::upper_bound(m_tempoMap.begin(), m_tempoMap.end(), tick,
                               [](uint64_t t, const TempoSegment& s) { return t < s.tick; });
    const TempoSegment& seg = *(it == m_tempoMap.begin() ? it : it - 1);
    return seg.seconds + (tick - seg.tick) * seg.secondsPerTick;
}

double MidiSequence::SecondsAt(uint64_t tick) const { return static_cast<double>(SecondsAtExact(tick)); }

uint64_t MidiSequence::SampleAt(uint64_t tick, int sampleRate) const {
    const long double s = SecondsAtExact(tick) * sampleRate;
    if (!(s < 1.8e19L)) return UINT64_MAX;
    return static_cast<uint64_t>(std::ceil(s - 1e-9L));
}

uint64_t MidiSequence::TickAtSample(uint64_t sample, int sampleRate) const {
    if (m_tempoMap.empty() || sampleRate <= 0) return 0;
    const long double t = static_cast<long double>(sample) / sampleRate;
    auto it = std::upper_bound(m_tempoMap.begin(), m_tempoMap.end(), t,
                               [](long double v, const TempoSegment& s) { return v < s.seconds; });
    const TempoSegment& seg = *(it == m_tempoMap.begin() ? it : it - 1);
    const long double ticks = (t - seg.seconds) / seg.secondsPerTick + 1e-9L;
    if (!(ticks < 1.8e19L)) return UINT64_MAX;
    return seg.tick + static_cast<uint64_t>(std::floor(std::max(ticks, 0.0L)));
}

}  // namespace tonalbox::audio

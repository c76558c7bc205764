#include "midigen/MidiFileWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tonalbox::midigen {

namespace {

void AppendBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void AppendBe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 24));
}

uint8_t D7(int v) { return static_cast<uint8_t>(v & 0x7F); }
uint8_t Status(int high, int channel) { return static_cast<uint8_t>(high | (channel & 0x0F)); }

}  // namespace

MidiFileWriter::MidiFileWriter(int format, int ticksPerQuarter)
    : m_format(format), m_division(static_cast<uint16_t>(ticksPerQuarter & 0x7FFF)) {}

void MidiFileWriter::SetTicksPerQuarter(int ticks) { m_division = static_cast<uint16_t>(ticks & 0x7FFF); }

void MidiFileWriter::SetSmpteDivision(int framesPerSecond, int ticksPerFrame) {
    const int8_t negFps = static_cast<int8_t>(-framesPerSecond);
    m_division = static_cast<uint16_t>((static_cast<uint8_t>(negFps) << 8) | (ticksPerFrame & 0xFF));
}

int MidiFileWriter::AddTrack() {
    m_tracks.emplace_back();
    return static_cast<int>(m_tracks.size()) - 1;
}

MidiFileWriter::Track& MidiFileWriter::TrackAt(int index) {
    if (index < 0) index = 0;
    while (static_cast<int>(m_tracks.size()) <= index) m_tracks.emplace_back();
    return m_tracks[static_cast<size_t>(index)];
}

void MidiFileWriter::Add(int track, uint64_t tick, Kind kind, std::vector<uint8_t> bytes) {
    TrackAt(track).events.push_back(Event{tick, kind, std::move(bytes)});
}

void MidiFileWriter::NoteOn(int track, uint32_t tick, int channel, int key, int velocity) {
    Add(track, tick, Kind::Channel, {Status(0x90, channel), D7(key), D7(velocity)});
}

void MidiFileWriter::NoteOff(int track, uint32_t tick, int channel, int key, int velocity) {
    if (m_noteOffAsNoteOn)
        Add(track, tick, Kind::Channel, {Status(0x90, channel), D7(key), 0});
    else
        Add(track, tick, Kind::Channel, {Status(0x80, channel), D7(key), D7(velocity)});
}

void MidiFileWriter::Note(int track, uint32_t tick, uint32_t duration, int channel, int key, int velocity) {
    NoteOn(track, tick, channel, key, velocity);
    NoteOff(track, tick + duration, channel, key);
}

void MidiFileWriter::ProgramChange(int track, uint32_t tick, int channel, int program) {
    Add(track, tick, Kind::Channel, {Status(0xC0, channel), D7(program)});
}

void MidiFileWriter::ControlChange(int track, uint32_t tick, int channel, int controller, int value) {
    Add(track, tick, Kind::Channel, {Status(0xB0, channel), D7(controller), D7(value)});
}

void MidiFileWriter::PitchBend(int track, uint32_t tick, int channel, int value14) {
    Add(track, tick, Kind::Channel, {Status(0xE0, channel), D7(value14), D7(value14 >> 7)});
}

void MidiFileWriter::ChannelPressure(int track, uint32_t tick, int channel, int value) {
    Add(track, tick, Kind::Channel, {Status(0xD0, channel), D7(value)});
}

void MidiFileWriter::Tempo(int track, uint32_t tick, uint32_t us) {
    Meta(track, tick, 0x51,
         {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

void MidiFileWriter::TempoBpm(int track, uint32_t tick, double bpm) {
    Tempo(track, tick, static_cast<uint32_t>(std::lround(60000000.0 / bpm)));
}

void MidiFileWriter::TimeSignature(int track, uint32_t tick, int numerator, int denominatorPower2) {
    Meta(track, tick, 0x58, {D7(numerator), D7(denominatorPower2), 24, 8});
}

void MidiFileWriter::TrackName(int track, uint32_t tick, const std::string& name) {
    Meta(track, tick, 0x03, std::vector<uint8_t>(name.begin(), name.end()));
}

void MidiFileWriter::Meta(int track, uint32_t tick, int type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes{0xFF, static_cast<uint8_t>(type)};
    AppendVarLen(bytes, static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    if (type == 0x2F) TrackAt(track).hasEndOfTrack = true;
    Add(track, tick, Kind::Meta, std::move(bytes));
}

void MidiFileWriter::EndOfTrack(int track, uint64_t tick) {
    Add(track, tick, Kind::Meta, {0xFF, 0x2F, 0x00});
    TrackAt(track).hasEndOfTrack = true;
}

void MidiFileWriter::SysEx(int track, uint32_t tick, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> body = data;
    if (body.empty() || body.back() != 0xF7) body.push_back(0xF7);
    std::vector<uint8_t> bytes{0xF0};
    AppendVarLen(bytes, static_cast<uint32_t>(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    Add(track, tick, Kind::SysEx, std::move(bytes));
}

void MidiFileWriter::Raw(int track, uint32_t tick, const std::vector<uint8_t>& bytes) {
    Add(track, tick, Kind::Raw, bytes);
}

void MidiFileWriter::GmReset(int track, uint32_t tick) { SysEx(track, tick, {0x7E, 0x7F, 0x09, 0x01}); }

void MidiFileWriter::GsReset(int track, uint32_t tick) {
    SysEx(track, tick, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41});
}

void MidiFileWriter::XgReset(int track, uint32_t tick) {
    SysEx(track, tick, {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00});
}

void MidiFileWriter::AppendVarLen(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t buf[5];
    int n = 0;
    buf[n++] = static_cast<uint8_t>(value & 0x7F);
    while ((value >>= 7) != 0 && n < 5) buf[n++] = static_cast<uint8_t>(0x80 | (value & 0x7F));
    while (n > 0) out.push_back(buf[--n]);
}

std::vector<uint8_t> MidiFileWriter::BuildTrack(const Track& track) const {
    std::vector<Event> events = track.events;
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    if (!track.hasEndOfTrack && m_autoEndOfTrack) {
        const uint64_t last = events.empty() ? 0 : events.back().tick;
        events.push_back(Event{last, Kind::Meta, {0xFF, 0x2F, 0x00}});
    }
    std::vector<uint8_t> data;
    constexpr uint64_t kMaxDelta = 0x0FFFFFFF;
    uint64_t now = 0;
    int running = -1;
    for (const Event& e : events) {
        for (; e.tick - now > kMaxDelta; now += kMaxDelta) {
            AppendVarLen(data, kMaxDelta);
            data.insert(data.end(), {0xFF, 0x01, 0x00});
            if (m_runningStatus == RunningStatus::On) running = -1;
        }
        AppendVarLen(data, static_cast<uint32_t>(e.tick - now));
        now = e.tick;
        size_t from = 0;
        switch (e.kind) {
            case Kind::Channel:
                if (m_runningStatus != RunningStatus::Off && running == e.bytes[0]) from = 1;
                running = e.bytes[0];
                break;
            case Kind::Meta:
            case Kind::SysEx:
                if (m_runningStatus == RunningStatus::On) running = -1;
                break;
            case Kind::Raw:
                break;
        }
        data.insert(data.end(), e.bytes.begin() + static_cast<std::ptrdiff_t>(from), e.bytes.end());
    }
    std::vector<uint8_t> out{'M', 'T', 'r', 'k'};
    AppendBe32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> MidiFileWriter::Build() const {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    AppendBe32(out, 6);
    AppendBe16(out, static_cast<uint16_t>(m_format));
    AppendBe16(out, static_cast<uint16_t>(m_tracks.size()));
    AppendBe16(out, m_division);
    for (const Track& t : m_tracks) {
        std::vector<uint8_t> chunk = BuildTrack(t);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

std::vector<uint8_t> MidiFileWriter::WrapRmi(const std::vector<uint8_t>& smf) {
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    const uint32_t dataSize = static_cast<uint32_t>(smf.size());
    const uint32_t padded = dataSize + (dataSize & 1u);
    AppendLe32(out, 4 + 8 + padded);
    out.insert(out.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
    AppendLe32(out, dataSize);
    out.insert(out.end(), smf.begin(), smf.end());
    if (dataSize & 1u) out.push_back(0);
    return out;
}

std::vector<uint8_t> MidiFileWriter::BuildRmi() const { return WrapRmi(Build()); }

bool MidiFileWriter::WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

bool MidiFileWriter::Write(const std::string& path) const { return WriteBytes(path, Build()); }

bool MidiFileWriter::WriteRmi(const std::string& path) const { return WriteBytes(path, BuildRmi()); }

}  // namespace tonalbox::midigen

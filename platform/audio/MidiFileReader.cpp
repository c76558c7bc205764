#include "platform/audio/MidiFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio/AudioErrors.h"

namespace tonalbox::audio {

namespace {

// A leading block some tools put before the header (MacBinary and the like).
constexpr size_t kHeaderSearchSpan = 1024;

uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsChunkId(const uint8_t* p) {
    for (int i = 0; i < 4; ++i)
        if (p[i] < 0x20 || p[i] > 0x7E) return false;
    return true;
}

// Reads a variable-length quantity of at most four bytes.
bool ReadVarLen(const uint8_t* data, size_t size, size_t& pos, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= size) return false;
        const uint8_t b = data[pos++];
        value = (value << 7) | (b & 0x7Fu);
        if ((b & 0x80u) == 0) return true;
    }
    return false;
}

platform::Result NotFound(const std::string& path) {
    return platform::Result::Fail(kNotFound, "MIDI file: " + path + " can not be read as a regular file");
}

platform::Result NotMidi(const char* why) {
    return platform::Result::Fail(kUnsupportedStream, std::string("MIDI file: ") + why);
}

platform::Result BadHeader(const char* why) {
    return platform::Result::Fail(kInvalidFile, std::string("MIDI file: ") + why);
}

int DataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

platform::Result MidiFileReader::ReadFile(const std::string& path, MidiSequence& out) {
    // Only a regular file is read. Opening without waiting keeps a FIFO
    // with no writer from blocking the open; it is then refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NotFound(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotFound(path);
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        ::close(fd);
        return NotFound(path);
    }
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    size_t n = 0;
    bool tooBig = false;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (bytes.size() + n > kMaxFileSize) {
            tooBig = true;
            break;
        }
        bytes.insert(bytes.end(), buf, buf + n);
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError && bytes.empty()) return NotFound(path);
    if (tooBig) return NotMidi("larger than any MIDI file");
    return Read(bytes.data(), bytes.size(), out);
}

platform::Result MidiFileReader::Read(const uint8_t* data, size_t size, MidiSequence& out) {
    out = MidiSequence(out.TimingOnly());
    if (data == nullptr || size == 0) return NotMidi("empty");

    // RIFF "RMID": the Standard MIDI File is the "data" chunk.
    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0) {
        if (std::memcmp(data + 8, "RMID", 4) != 0) return NotMidi("a RIFF file but no RMID");
        size_t pos = 12;
        while (pos + 8 <= size) {
            const uint32_t chunk = Le32(data + pos + 4);
            if (std::memcmp(data + pos, "data", 4) == 0) {
                const size_t avail = size - (pos + 8);
                return ReadSmf(data + pos + 8, std::min<size_t>(chunk, avail), out);
            }
            const uint64_t next = static_cast<uint64_t>(pos) + 8 + chunk + (chunk & 1u);
            if (next > size) break;
            pos = static_cast<size_t>(next);
        }
        return NotMidi("an RMID file without a data chunk");
    }
    return ReadSmf(data, size, out);
}

platform::Result MidiFileReader::ReadSmf(const uint8_t* data, size_t size, MidiSequence& out) {
    size_t start = SIZE_MAX;
    const size_t span = std::min(size, kHeaderSearchSpan + 4);
    for (size_t i = 0; i + 4 <= span; ++i) {
        if (std::memcmp(data + i, "MThd", 4) == 0) {
            start = i;
            break;
        }
    }
    if (start == SIZE_MAX) return NotMidi("no MThd header");
    data += start;
    size -= start;
    if (size < 14) return BadHeader("header cut short");
    const uint32_t headerSize = Be32(data + 4);
    if (headerSize < 6 || headerSize > size - 8) return BadHeader("header size out of range");
    const uint16_t format = Be16(data + 8);
    const uint16_t tracks = Be16(data + 10);
    const uint16_t division = Be16(data + 12);
    if (format > 2) return BadHeader("unknown format");
    if (!out.SetDivision(division)) return BadHeader("unusable division");

    size_t pos = 8 + static_cast<size_t>(headerSize);
    int tracksRead = 0;
    uint64_t sequenceStart = 0;
    while (tracksRead < tracks && pos + 8 <= size) {
        const uint8_t* chunk = data + pos;
        if (!IsChunkId(chunk)) break;  // garbage after the last track
        const uint32_t length = Be32(chunk + 4);
        const size_t avail = size - (pos + 8);
        const size_t bodySize = std::min<size_t>(length, avail);
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            const uint64_t end = ReadTrack(chunk + 8, bodySize, format == 2 ? sequenceStart : 0, out);
            if (format == 2) sequenceStart = end;
            ++tracksRead;
        }
        if (length > avail) break;  // truncated: nothing follows
        pos += 8 + static_cast<size_t>(length);
    }
    out.Finish();
    return platform::Result::Ok();
}

uint64_t MidiFileReader::ReadTrack(const uint8_t* data, size_t size, uint64_t start, MidiSequence& out) {
    size_t pos = 0;
    uint64_t tick = start;
    // The tick of the last event read whole, the end of the track included.
    uint64_t end = start;
    uint8_t running = 0;
    while (pos < size) {
        uint32_t delta = 0;
        if (!ReadVarLen(data, size, pos, delta)) break;
        tick += delta;
        if (pos >= size) break;
        uint8_t status = data[pos];
        if (status >= 0x80) {
            ++pos;
        } else if (running != 0) {
            status = running;
        } else {
            ++pos;  // a data byte with no status to apply it to
            continue;
        }

        if (status < 0xF0) {
            running = status;
            // A channel message takes its data bytes whatever their top bit
            // (some programs write 0x80 and up), keeping the low seven bits.
            const size_t need = static_cast<size_t>(DataBytesOf(status));
            if (size - pos < need) break;  // cut short by the end of the track
            const uint8_t d1 = data[pos] & 0x7Fu;
            const uint8_t d2 = need == 2 ? (data[pos + 1] & 0x7Fu) : 0;
            pos += need;
            out.AddChannelEvent(tick, status, d1, d2);
            end = tick;
            continue;
        }

        if (status == 0xFF) {
            if (pos >= size) break;
            const uint8_t type = data[pos++];
            uint32_t length = 0;
            if (!ReadVarLen(data, size, pos, length)) break;
            const size_t avail = size - pos;
            if (type == 0x2F) {  // end of track
                end = tick;
                break;
            }
            if (length > avail) break;
            if (type == 0x51 && length >= 3) {
                const uint32_t us = (static_cast<uint32_t>(data[pos]) << 16) |
                                    (static_cast<uint32_t>(data[pos + 1]) << 8) | data[pos + 2];
                out.AddTempo(tick, us);
            }
            pos += length;
            end = tick;
            continue;
        }

        if (status == 0xF0 || status == 0xF7) {
            uint32_t length = 0;
            if (!ReadVarLen(data, size, pos, length)) break;
            if (length > size - pos) break;
            if (status == 0xF0) {
                uint32_t body = length;
                if (body > 0 && data[pos + body - 1] == 0xF7) --body;
                if (body > 0) out.AddSysEx(tick, data + pos, body);
            }
            pos += length;
            end = tick;
            continue;
        }

        // System common and real-time bytes do not belong in a file; step
        // over them and their data bytes.
        const int skip = status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
        for (int i = 0; i < skip && pos < size && data[pos] < 0x80; ++i) ++pos;
    }
    out.ExtendTo(end);
    return end;
}

}  // namespace tonalbox::audio

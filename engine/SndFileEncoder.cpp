#include "engine/SndFileEncoder.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "engine/GenreNames.h"
#include "engine/OggStreamSerial.h"

namespace tonalbox {

namespace {

using platform::Result;

constexpr sf_count_t kBlockFrames = 4096;

// The output descriptor behind libsndfile's virtual I/O; keeps the first
// error a write met, which libsndfile itself would lose while it closes.
struct FdSink {
    int fd = -1;
    int error = 0;
};

sf_count_t SinkLength(void* user) {
    struct stat st {};
    return ::fstat(static_cast<FdSink*>(user)->fd, &st) == 0 ? st.st_size : -1;
}

sf_count_t SinkSeek(sf_count_t offset, int whence, void* user) {
    return ::lseek(static_cast<FdSink*>(user)->fd, offset, whence);
}

sf_count_t SinkRead(void* data, sf_count_t count, void* user) {
    ssize_t n;
    do {
        n = ::read(static_cast<FdSink*>(user)->fd, data, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

sf_count_t SinkWrite(const void* data, sf_count_t count, void* user) {
    auto* sink = static_cast<FdSink*>(user);
    const auto* bytes = static_cast<const char*>(data);
    sf_count_t done = 0;
    while (done < count && sink->error == 0) {
        const ssize_t n = ::write(sink->fd, bytes + done, static_cast<size_t>(count - done));
        if (n > 0) done += n;
        else if (n == 0) sink->error = EIO;
        else if (errno != EINTR) sink->error = errno;
    }
    return done;
}

sf_count_t SinkTell(void* user) { return ::lseek(static_cast<FdSink*>(user)->fd, 0, SEEK_CUR); }

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

int SubFormat(const SndFileEncoder::Request& request) {
    switch (request.format) {
        case OutputFormat::Opus:
            return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case OutputFormat::Ogg:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        default:
            return SF_FORMAT_FLAC | (request.options.bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16);
    }
}

// The quality on libsndfile's scale (0.0 to 1.0): --quality N is N/10,
// which is oggenc's -q N for Vorbis. Opus without one keeps the encoder's
// own bitrate. False when the library refuses it.
bool SetQuality(SNDFILE* file, const SndFileEncoder::Request& request) {
    int quality = request.options.quality;
    if (quality < 0 && request.format == OutputFormat::Ogg) quality = SndFileOptions::kDefaultOggQuality;
    if (quality < 0 || request.format == OutputFormat::Flac) return true;
    double scaled = static_cast<double>(quality) / SndFileOptions::kMaxQuality;
    return sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &scaled, sizeof scaled) == SF_TRUE;
}

// The tag as Vorbis comments; libsndfile writes them with the header, so
// they are set before the first sample.
bool SetTag(SNDFILE* file, const TagRecord& tag) {
    const std::string track = (tag.m_nTrack & 0xFF) != 0 ? std::to_string(tag.m_nTrack & 0xFF) : "";
    const int genre = tag.m_nGenre & 0xFF;
    const std::string genreName = genre < kGenreCount ? GenreNames[genre] : "";
    const std::pair<int, const std::string*> fields[] = {
        {SF_STR_TITLE, &tag.m_strTitle},     {SF_STR_ARTIST, &tag.m_strArtist},
        {SF_STR_ALBUM, &tag.m_strAlbum},     {SF_STR_DATE, &tag.m_strYear},
        {SF_STR_TRACKNUMBER, &track},        {SF_STR_GENRE, &genreName},
        {SF_STR_COMMENT, &tag.m_strComment}};
    for (const auto& [type, text] : fields) {
        if (text->empty()) continue;
        if (sf_set_string(file, type, SndFileEncoder::CommentText(*text).c_str()) != 0) return false;
    }
    return true;
}

// Copies every frame of in to out block by block.
Result CopyFrames(SNDFILE* in, const SF_INFO& inInfo, SNDFILE* out, const FdSink& sink,
                  const std::function<void(int)>& progress, const std::atomic<int>& cancelFlag) {
    // Ints carry 16 and 24 bits alike: libsndfile scales them to the
    // output's width, so 24-bit FLAC holds the 16-bit samples exactly.
    std::vector<int> block(static_cast<size_t>(kBlockFrames * inInfo.channels));
    sf_count_t done = 0;
    int shown = -1;
    for (;;) {
        if (cancelFlag.load() != 0) return Result::Fail(ECANCELED, "sndfile: the encode was cancelled");
        const sf_count_t got = sf_readf_int(in, block.data(), kBlockFrames);
        if (got <= 0) break;
        if (sf_writef_int(out, block.data(), got) != got || sink.error != 0) {
            errno = sink.error != 0 ? sink.error : EIO;
            return platform::SystemFailure("sndfile: can not write the output");
        }
        done += got;
        const int percent = inInfo.frames > 0 ? static_cast<int>(done * 100 / inInfo.frames) : 100;
        if (percent != shown && progress) progress(percent);
        shown = percent;
    }
    if (done != inInfo.frames) return Result::Fail(EIO, "sndfile: the temporary WAV file ends early");
    return Result::Ok();
}

Result Close(SndFilePtr& out, const FdSink& sink) {
    const int closed = sf_close(out.release());
    if (sink.error != 0) {
        errno = sink.error;
        return platform::SystemFailure("sndfile: can not write the output");
    }
    if (closed != 0) return Result::Fail(EIO, std::string("sndfile: ") + sf_error_number(closed));
    return Result::Ok();
}

}  // namespace

bool SndFileEncoder::Writes(OutputFormat format) {
    return format == OutputFormat::Flac || format == OutputFormat::Opus || format == OutputFormat::Ogg;
}

Result SndFileEncoder::Encode(const std::string& wavPath, int fd, const Request& request,
                              const std::function<void(int)>& progress,
                              const std::atomic<int>& cancelFlag) {
    SF_INFO inInfo{};
    SndFilePtr in(sf_open(wavPath.c_str(), SFM_READ, &inInfo));
    if (!in) return Result::Fail(EIO, "sndfile: can not read " + wavPath + ": " + sf_strerror(nullptr));

    FdSink sink{fd, 0};
    SF_VIRTUAL_IO io{SinkLength, SinkSeek, SinkRead, SinkWrite, SinkTell};
    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = inInfo.channels;
    outInfo.format = SubFormat(request);
    SndFilePtr out(sf_open_virtual(&io, SFM_WRITE, &outInfo, &sink));
    if (!out) {
        if (sink.error != 0) {
            errno = sink.error;
            return platform::SystemFailure("sndfile: can not write the output");
        }
        return Result::Fail(EINVAL, std::string("sndfile: can not start the output: ") + sf_strerror(nullptr));
    }
    if (!SetQuality(out.get(), request) || !SetTag(out.get(), request.tag))
        return Result::Fail(EINVAL, std::string("sndfile: ") + sf_strerror(out.get()));

    Result result = CopyFrames(in.get(), inInfo, out.get(), sink, progress, cancelFlag);
    if (!result.ok()) return result;
    result = Close(out, sink);
    if (!result.ok() || request.format == OutputFormat::Flac) return result;
    return SetOggStreamSerial(fd, request.oggSerial);
}

std::string SndFileEncoder::CommentText(const std::string& text) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char lead = p[i];
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 && lead >= 0xC2 ? 2 : (lead >> 4) == 0xE ? 3
                                              : (lead >> 3) == 0x1E && lead <= 0xF4 ? 4 : 0;
        bool wellFormed = length > 0 && i + length <= n;
        for (size_t k = 1; wellFormed && k < length; ++k) wellFormed = (p[i + k] & 0xC0) == 0x80;
        if (wellFormed) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        out += static_cast<char>(0xC0 | (lead >> 6));
        out += static_cast<char>(0x80 | (lead & 0x3F));
        ++i;
    }
    return out;
}

}  // namespace tonalbox

#include "engine/CConversionRun.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "engine/CId3Writer.h"
#include "engine/CMp3Encoder.h"
#include "engine/FileCopy.h"
#include "engine/Mp3RenderRate.h"
#include "engine/OutputNaming.h"
#include "engine/PartialOutputFile.h"
#include "engine/RenderSize.h"
#include "engine/OggStreamSerial.h"
#include "engine/SndFileEncoder.h"
#include "engine/StemSidecar.h"
#include "engine/TempFolderRoom.h"
#include "platform/ProgramPaths.h"
#include "platform/audio/AudioErrors.h"
#include "platform/audio/SoundFontCatalog.h"
#include "platform/wavecapture/WaveCaptureFx.h"

namespace tonalbox {

namespace {

constexpr int kEncodeRenderEnd = 75;  // rendering fills the bar up to here for an encoded format
constexpr int kFullBar = 100;

}  // namespace

CConversionRun::CConversionRun(ConvertJob& job)
    : m_settings(job.settings), m_paths(*job.paths), m_frontEnd(*job.frontEnd),
      m_music(&m_frontEnd), m_loudness(job.loudness), m_sndFile(job.sndFile), m_stems(job.stems) {
    m_music.SetSynthOptions(job.synth);
}

std::string CConversionRun::Format(const char* fmt, const std::string& arg) {
    std::string text(fmt);
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, arg);
    return text;
}

bool CConversionRun::Cancelled() { return m_frontEnd.CancelFlag().load() != 0; }

bool CConversionRun::Encoded() const {
    return m_settings.m_nOutputFormat == OutputFormat::Mp3 || SndFileEncoder::Writes(m_settings.m_nOutputFormat);
}

int CConversionRun::RenderEnd() const { return Encoded() ? kEncodeRenderEnd : kFullBar; }

void CConversionRun::ShowProgress(int percent) { m_frontEnd.Progress(percent); }

int CConversionRun::Run() {
    if (Start()) {
        for (int i = 0;; ++i) {
            m_paths.ClaimNextEntries();
            const int count = m_paths.GetCount();
            if (i >= count) break;
            if (ConvertAndReport(i, count) == Outcome::Cancelled) break;
        }
    }
    Finish();
    return 0;
}

CConversionRun::Outcome CConversionRun::ConvertAndReport(int index, int count) {
    const int counted = m_frontEnd.SuccessCounter().load();
    m_entry = Entry{};
    m_frontEnd.TakeMessages();  // what was said before the entry is not about it
    const Outcome outcome = ConvertEntry(index, count);
    ReleaseTempRoom();
    m_frontEnd.EntryEnded(ResultOfEntry(m_frontEnd.SuccessCounter().load() > counted));
    return outcome;
}

EntryResult CConversionRun::ResultOfEntry(bool converted) {
    EntryResult result;
    result.output = m_entry.output;
    result.musicSeconds = m_entry.seconds;
    result.audio = m_entry.audio;
    result.audio.format = m_settings.m_nOutputFormat;
    result.message = m_entry.declined.empty() ? m_frontEnd.TakeMessages() : m_entry.declined;
    if (converted) {
        result.status = EntryResult::Status::Converted;
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(m_entry.output, ec);
        result.bytes = ec ? 0 : bytes;
        result.stems = m_entry.stemOutputs;
    } else if (Cancelled()) {
        result.status = EntryResult::Status::Cancelled;
    } else {
        result.status = m_entry.declined.empty() ? EntryResult::Status::Failed
                                                : EntryResult::Status::Skipped;
    }
    return result;
}

bool CConversionRun::Start() {
    // The temporary WAV file: a fresh name of our own in the temporary folder.
    const std::string tempFolder = platform::TempFolder();
    if (!m_tempWav.Create(tempFolder).ok()) {
        m_frontEnd.ShowMessage(Format(kCanNotCreateTempFile, tempFolder));
        return false;
    }

    // Mono rendering for mono output; MP3 is rendered at the rate its
    // sample rate and bitrate need, and resampled by the encoder if asked.
    // FLAC, Opus and Ogg Vorbis take the WAV setting's channels and are
    // written at the rate they are rendered at.
    const OutputFormat format = m_settings.m_nOutputFormat;
    int pathType = DMUS_APATH_DYNAMIC_STEREO;
    int sampleRate = Mp3RenderSampleRate(m_settings.m_mp3);
    // Any other code is produced as WAV (as the output step and the
    // output name do), so it is rendered by the WAV settings.
    if (format != OutputFormat::Mp3) {
        if (m_settings.m_nWavChannels == 1) pathType = DMUS_APATH_DYNAMIC_MONO;
        sampleRate = SndFileEncoder::Writes(format) ? m_sndFile.RenderRate(format) : m_settings.m_nWavSampleRate;
    } else if (m_settings.m_mp3.m_nChannelMode == static_cast<int>(Mp3ChannelMode::Mono)) {
        pathType = DMUS_APATH_DYNAMIC_MONO;
    }
    // A failed initialisation shows up below: no capture interface.
    m_music.SetRenderChannelsApart(m_stems);
    m_music.Initialize(EngineMode::Render, pathType, sampleRate);

    // The port the user pre-listened to, when it is still there; otherwise
    // the engine keeps its default port.
    PortInfo port;
    const bool chosen = m_settings.m_nPortIndex >= 0 &&
                        m_music.EnumPort(m_settings.m_nPortIndex, &port) == 0 && m_music.CreatePort(port) == 0;
    // The SoundFont the run renders with when an entry names none.
    if (chosen || m_music.EnumPort(0, &port) == 0) {
        if (const auto found = audio::SoundFontCatalog::Find(port.guidPort)) m_soundFont = found->path;
    }

    m_music.ClearAudioFX();
    void* capture = nullptr;
    m_music.SetAudioFX(wavecapture::CLSID_WaveCaptureFx, wavecapture::IID_IWaveCaptureFx,
                       &capture);
    m_pCapture = static_cast<wavecapture::IWaveCaptureFx*>(capture);
    if (m_pCapture == nullptr) {
        m_frontEnd.ShowMessage(kSetAudioFxError);
        m_frontEnd.EngineFailed();
        return false;
    }
    m_pCapture->SetLoudness(m_loudness.normalize, m_loudness.targetLufs);
    return true;
}

CConversionRun::Outcome CConversionRun::ConvertEntry(int index, int count) {
    const std::string source = m_paths.GetPath(index);
    m_frontEnd.EntryStarted(index, count, platform::FileNameOf(source));
    // Decided once for the entry, whatever becomes of it: its result and
    // the stems' description both name it.
    const std::string soundFont = m_paths.GetSoundFont(index);
    m_entry.audio.soundFont = soundFont.empty() ? m_soundFont : soundFont;

    // Only regular files are read: a FIFO, a device or a socket could
    // block the run or never end.
    if (!platform::IsRegularFile(source)) {
        m_frontEnd.ShowMessage(Format(kCanNotFindFile, source));
        return Outcome::Next;
    }

    const std::string output = OutputPathFor(source, m_settings, m_paths.GetOutputFolder(index), soundFont);
    m_entry.output = output;
    // One source rendered with two SoundFonts is two entries.
    m_entry.source = platform::ResolvedPath(source);
    if (!soundFont.empty()) m_entry.source += "\n" + platform::ResolvedPath(soundFont);
    if (!OutputMayBeWritten(source, output)) return Outcome::Next;

    WaveFormatEx format;
    if (!LoadEntry(source, soundFont, format)) return Outcome::Next;
    if (m_stems && !PrepareStems(output)) return Outcome::Next;

    // The output's partial file comes first: an output folder that cannot
    // be written fails the file before anything is rendered.
    PartialOutputFile partial;
    if (!partial.Create(output).ok()) {
        m_frontEnd.ShowMessage(Format(kCanNotWriteFile, output));
        return Outcome::Next;
    }
    const Outcome rendered = RenderEntry(source, format);
    if (rendered != Outcome::Next) return rendered;
    return FinishEntry(partial, output);
}

bool CConversionRun::OutputMayBeWritten(const std::string& source, const std::string& output) {
    // Two files of one name (a/y.mid and b/y.mid into one folder) would
    // leave one output for both: the later one is not converted over it.
    if (WrittenFromAnotherSource(output)) {
        m_frontEnd.ShowMessage(Format(kOutputWrittenInRun, output));
        return false;
    }
    // A MIDI file named like its output ("x.wav" to WAV) would be
    // overwritten by its own audio: skip it rather than lose it.
    if (platform::IsSameFile(source, output)) {
        m_frontEnd.ShowMessage(Format(kOutputIsSource, output));
        return false;
    }
    // A name held by a folder, FIFO, device or socket is not ours to replace.
    if (platform::FileExists(output) && !platform::IsRegularFile(output)) {
        m_frontEnd.ShowMessage(Format(kCanNotWriteFile, output));
        return false;
    }
    if (platform::FileExists(output) && !m_settings.m_bOverwrite) {
        if (!m_frontEnd.AskOverwrite(output)) {
            m_entry.declined = Format(kOverwriteQuestion, output);
            return false;
        }
    }
    return true;
}

bool CConversionRun::LoadEntry(const std::string& source, const std::string& soundFont, WaveFormatEx& format) {
    if (!soundFont.empty()) m_music.UseSoundFont(soundFont);
    // Without the buffer's format nothing could be rendered from the file.
    if (m_music.LoadMidiFile(source, true) != 0 || m_music.GetBufferFormat(&format) != 0) {
        m_frontEnd.ShowMessage(kErrorLoadingFile);
        return false;
    }
    m_settings.m_mp3.m_nInSampleRate = static_cast<int>(format.nSamplesPerSec);
    m_settings.m_mp3.m_nInChannels = format.nChannels;
    NoteOutputFormat(format);
    return true;
}

CConversionRun::Outcome CConversionRun::RenderEntry(const std::string& source, const WaveFormatEx& format) {
    m_tempWav.Truncate();
    if (!TempWavFits(source, format)) return Cancelled() ? Outcome::Cancelled : Outcome::Skipped;
    if (audio::Failed(m_pCapture->StartCapture(m_tempWav.Path().c_str(), &format))) {
        m_frontEnd.ShowMessage(Format(kCanNotWriteFile, m_tempWav.Path()));
        return Outcome::Skipped;
    }
    if (!CaptureStems()) return Outcome::Skipped;

    const Outcome rendered = RenderFile();
    if (rendered != Outcome::Next) return rendered;
    NoteLoudness();
    std::error_code ec;
    const auto wavBytes = std::filesystem::file_size(m_tempWav.Path(), ec);
    if (!ec && wavBytes > wavecapture::kWaveHeaderSize && format.nAvgBytesPerSec > 0) {
        m_entry.seconds = static_cast<double>(wavBytes - wavecapture::kWaveHeaderSize) /
                         format.nAvgBytesPerSec;
    }
    return Outcome::Next;
}

// The output has the render's rate and channels, but for an MP3 the
// encoder resamples.
void CConversionRun::NoteOutputFormat(const WaveFormatEx& rendered) {
    m_entry.audio.sampleRate = static_cast<int>(rendered.nSamplesPerSec);
    m_entry.audio.channels = rendered.nChannels;
    if (m_settings.m_nOutputFormat == OutputFormat::Mp3 && m_settings.m_mp3.m_nOutSampleRate > 0)
        m_entry.audio.sampleRate = m_settings.m_mp3.m_nOutSampleRate;
}

// What the capture measured before its gain, when it normalised.
void CConversionRun::NoteLoudness() {
    wavecapture::CaptureLoudness measured;
    if (m_pCapture->GetLoudness(&measured) != audio::kOk || !measured.measured) return;
    const auto finite = [](double v) { return std::isfinite(v) ? std::optional<double>(v) : std::nullopt; };
    m_entry.audio.loudnessLufs = finite(measured.loudnessLufs);
    m_entry.audio.truePeakDbtp = finite(measured.peakDbtp);
    m_entry.audio.gainDb = measured.gainDb;
}

bool CConversionRun::WrittenFromAnotherSource(const std::string& output) const {
    const auto it = m_written.find(std::hash<std::string>{}(OutputIdentity(output)));
    return it != m_written.end() && it->second != std::hash<std::string>{}(m_entry.source);
}

// Refuses, before anything is rendered, a piece whose temporary WAV could
// not be written whole: one too long for the sizes of a WAV file, or one
// the temporary folder has no room for even when no other run uses it.
// While other runs of the process hold the room it needs, it waits.
bool CConversionRun::TempWavFits(const std::string& source, const WaveFormatEx& format) {
    double seconds = 0.0;
    m_music.GetDuration(&seconds);
    const uint64_t bytes = RenderSize::TempWavBytes(seconds, format);
    if (!RenderSize::FitsInWav(bytes)) {
        m_frontEnd.ShowMessage(Format(kPieceTooLong, source));
        return false;
    }
    const uint64_t room =
        RenderSize::TempFolderBytes(bytes, m_loudness.normalize, static_cast<int>(m_entry.stems.size()));
    switch (TempFolderRoom::Shared().Reserve(platform::FolderOf(m_tempWav.Path()), room,
                                             m_frontEnd.CancelFlag())) {
        case TempFolderRoom::Grant::Granted:
            m_tempRoomHeld = room;
            return true;
        case TempFolderRoom::Grant::TooBig:
            m_frontEnd.ShowMessage(Format(kCanNotWriteFile, m_tempWav.Path()));
            return false;
        case TempFolderRoom::Grant::Cancelled:
            break;
    }
    return false;
}

// Once its entry is done the temporary WAV is emptied and its room given
// back to the other runs.
void CConversionRun::ReleaseTempRoom() {
    if (m_tempRoomHeld == 0) return;
    m_tempWav.Truncate();
    for (TempWavFile& stem : m_stemWavs)
        if (stem.IsCreated()) stem.Truncate();
    TempFolderRoom::Shared().Release(m_tempRoomHeld);
    m_tempRoomHeld = 0;
}

// Plays the loaded file through the capture effect until its end. A Play
// that fails is reported like a file that cannot be loaded and skips it.
CConversionRun::Outcome CConversionRun::RenderFile() {
    if (m_music.Play() < 0) {
        m_music.Stop();
        m_pCapture->StopCapture();
        m_frontEnd.ShowMessage(kErrorLoadingFile);
        return Outcome::Skipped;
    }
    int64_t length = 0;
    m_music.GetLength(&length);

    int64_t position = 0;
    int64_t lastPosition = 0;
    int stalledPolls = 0;
    for (;;) {
        if (Cancelled()) {
            CancelRender();
            return Outcome::Cancelled;
        }
        const int clock = m_music.WaitRenderClock(kPollMs);
        const int seek = m_music.GetSeek(&position);
        stalledPolls = (position == lastPosition) ? stalledPolls + 1 : 0;
        lastPosition = position;
        // The performance is over when the clock or the play position can
        // no longer be had, or the position stopped moving.
        const bool ended = clock < 0 || seek != 0 || stalledPolls >= kStallPolls;
        const bool done = ended || length <= 0 || position >= length;

        int percent = RenderEnd();
        if (!done) {
            // 64-bit product: long files must not overflow it.
            const int64_t scaled = static_cast<int64_t>(position) * RenderEnd() / length;
            percent = scaled < 0 ? 0 : static_cast<int>(scaled);
        }
        ShowProgress(percent);

        if (done) {
            m_music.Stop();
            // The tail of the sound (releases, reverb) still reaches the
            // capture effect.
            m_music.WaitRenderClock(kTailMs);
            if (audio::Failed(m_pCapture->StopCapture())) {
                m_frontEnd.ShowMessage(Format(kCanNotWriteFile, m_tempWav.Path()));
                return Outcome::Skipped;
            }
            return Outcome::Next;
        }
    }
}

// Writes the output from the WAV at wavPath into its partial file next
// to it; the caller renames it into place once whole, so a failed or
// cancelled file leaves the name as it was. Written when the partial file
// holds the whole output; Next when not (the message shown).
CConversionRun::Outcome CConversionRun::ProduceOutput(const std::string& wavPath,
                                                      PartialOutputFile& partial,
                                                      const std::string& outputPath) {
    Outcome step = Outcome::Written;
    if (m_settings.m_nOutputFormat == OutputFormat::Mp3) {
        step = WriteMp3(wavPath, partial, outputPath);
    } else if (SndFileEncoder::Writes(m_settings.m_nOutputFormat)) {
        step = WriteSndFile(wavPath, partial, outputPath);
    } else if (!CopyFileContents(wavPath, partial.Path()).ok()) {
        step = Outcome::Next;
    }
    if (step == Outcome::Cancelled || step == Outcome::Written) return step;
    m_frontEnd.ShowMessage(Format(kCanNotWriteFile, outputPath));
    return Outcome::Next;
}

// The run's tag for one output: without an artist, the output's file name
// (not the partial file's it is written to).
TagRecord CConversionRun::OutputTag(const std::string& outputPath) const {
    TagRecord tag = m_settings.m_tag;
    if (tag.m_strArtist.empty()) tag.m_strArtist = platform::FileNameOf(outputPath);
    return tag;
}

CConversionRun::Outcome CConversionRun::WriteMp3(const std::string& wavPath, PartialOutputFile& partial,
                                                 const std::string& outputPath) {
    CMp3Encoder encoder;
    const int from = m_encodingStem ? kFullBar : kEncodeRenderEnd;
    const int encoded = encoder.EncodeFile(wavPath, partial.Path(), m_settings.m_mp3, &m_frontEnd, from,
                                           kFullBar, m_frontEnd.CancelFlag());
    // A cut-off MP3 is no output: it goes with the partial file.
    if (Cancelled()) return Outcome::Cancelled;
    if (encoded != 1) return Outcome::Next;
    ShowProgress(kFullBar);
    CId3Writer writer;
    TagRecord tag = OutputTag(outputPath);
    if (writer.WriteTag(partial.Descriptor(), partial.Path(), tag) != 1) return Outcome::Next;
    return Outcome::Written;
}

CConversionRun::Outcome CConversionRun::WriteSndFile(const std::string& wavPath, PartialOutputFile& partial,
                                                     const std::string& outputPath) {
    SndFileEncoder::Request request;
    request.format = m_settings.m_nOutputFormat;
    request.options = m_sndFile;
    request.tag = OutputTag(outputPath);
    request.oggSerial = OggSerialFor(platform::FileNameOf(outputPath));
    // Encoding moves the bar only for the mix.
    const auto progress = [this](int percent) {
        if (!m_encodingStem) ShowProgress(kEncodeRenderEnd + percent * (kFullBar - kEncodeRenderEnd) / kFullBar);
    };
    const platform::Result encoded =
        SndFileEncoder::Encode(wavPath, partial.Descriptor(), request, progress, m_frontEnd.CancelFlag());
    if (Cancelled()) return Outcome::Cancelled;
    return encoded.ok() ? Outcome::Written : Outcome::Next;
}

// The mix, then its stems and their description; all are renamed into
// place only when every one of them is whole.
CConversionRun::Outcome CConversionRun::FinishEntry(PartialOutputFile& partial, const std::string& output) {
    std::vector<std::unique_ptr<PartialOutputFile>> stems;
    const bool produced = ProduceOutput(m_tempWav.Path(), partial, output) == Outcome::Written &&
                          (!m_stems || ProduceStems(output, stems));
    if (!produced) return Cancelled() ? Outcome::Cancelled : Outcome::Next;
    if (!CommitOutputs(partial, stems)) {
        m_frontEnd.ShowMessage(Format(kCanNotWriteFile, output));
        return Outcome::Next;
    }
    m_written[std::hash<std::string>{}(OutputIdentity(output))] = std::hash<std::string>{}(m_entry.source);
    m_frontEnd.SuccessCounter().fetch_add(1);
    return Outcome::Next;
}

// The channels that play a note get a stem; names held by anything but a
// file are not ours to replace, as for the mix.
bool CConversionRun::PrepareStems(const std::string& output) {
    m_music.GetChannelUse(&m_entry.use);
    std::vector<std::string> outputs{StemSidecarPathFor(output)};
    for (int c = 0; c < audio::kMidiChannels; ++c) {
        if (m_entry.use[static_cast<size_t>(c)].notes == 0) continue;
        m_entry.stems.push_back(c);
        outputs.push_back(StemPathFor(output, c + 1));
    }
    for (const std::string& path : outputs) {
        if (platform::FileExists(path) && !platform::IsRegularFile(path)) {
            m_frontEnd.ShowMessage(Format(kCanNotWriteFile, path));
            return false;
        }
    }
    const std::string tempFolder = platform::FolderOf(m_tempWav.Path());
    for (int c : m_entry.stems) {
        TempWavFile& wav = m_stemWavs[static_cast<size_t>(c)];
        if (!wav.IsCreated() && !wav.Create(tempFolder).ok()) {
            m_frontEnd.ShowMessage(Format(kCanNotCreateTempFile, tempFolder));
            return false;
        }
    }
    return true;
}

bool CConversionRun::CaptureStems() {
    for (int c : m_entry.stems) {
        const std::string& path = m_stemWavs[static_cast<size_t>(c)].Path();
        if (audio::Failed(m_pCapture->CaptureChannel(c, path.c_str()))) {
            m_pCapture->StopCapture();
            m_frontEnd.ShowMessage(Format(kCanNotWriteFile, path));
            return false;
        }
    }
    return true;
}

// Each stem goes through the output step of the mix, in the mix's format.
bool CConversionRun::ProduceStems(const std::string& output,
                                  std::vector<std::unique_ptr<PartialOutputFile>>& partials) {
    m_encodingStem = true;
    bool ok = true;
    for (int c : m_entry.stems) {
        const std::string path = StemPathFor(output, c + 1);
        auto partial = std::make_unique<PartialOutputFile>();
        if (!partial->Create(path).ok()) {
            m_frontEnd.ShowMessage(Format(kCanNotWriteFile, path));
            ok = false;
            break;
        }
        ok = ProduceOutput(m_stemWavs[static_cast<size_t>(c)].Path(), *partial, path) == Outcome::Written;
        partials.push_back(std::move(partial));
        if (!ok) break;
    }
    m_encodingStem = false;
    if (!ok) return false;
    auto sidecar = std::make_unique<PartialOutputFile>();
    const std::string sidecarPath = StemSidecarPathFor(output);
    if (!sidecar->Create(sidecarPath).ok() || !WriteSidecar(output, *sidecar)) {
        m_frontEnd.ShowMessage(Format(kCanNotWriteFile, sidecarPath));
        return false;
    }
    partials.push_back(std::move(sidecar));
    return true;
}

bool CConversionRun::WriteSidecar(const std::string& output, PartialOutputFile& partial) {
    StemSidecar sidecar;
    sidecar.mix = platform::FileNameOf(output);
    sidecar.soundFont = m_entry.audio.soundFont;
    sidecar.sampleRate = m_entry.audio.sampleRate;
    sidecar.channels = m_entry.audio.channels;
    sidecar.seconds = m_entry.seconds;
    for (int c : m_entry.stems) {
        StemSidecar::Stem stem;
        stem.channel = c + 1;
        stem.file = platform::FileNameOf(StemPathFor(output, c + 1));
        stem.programs = m_entry.use[static_cast<size_t>(c)].programs;
        stem.notes = m_entry.use[static_cast<size_t>(c)].notes;
        if (m_pCapture->ChannelLoudness(c, &stem.loudnessLufs) != audio::kOk) return false;
        sidecar.stems.push_back(std::move(stem));
    }
    std::ofstream out(partial.Path(), std::ios::binary | std::ios::trunc);
    out << sidecar.Text();
    out.close();
    return !out.fail();
}

// The stems and their description first, the mix last: a rename that fails
// takes back those done before it, so an entry that fails leaves none of
// its files under their names (a stem it replaced is then gone too).
bool CConversionRun::CommitOutputs(PartialOutputFile& mix, std::vector<std::unique_ptr<PartialOutputFile>>& stems) {
    std::vector<std::string> committed;
    for (const auto& stem : stems) {
        if (!stem->Commit().ok()) break;
        committed.push_back(stem->Output());
    }
    if (committed.size() == stems.size() && mix.Commit().ok()) {
        committed.resize(m_entry.stems.size());
        m_entry.stemOutputs = std::move(committed);
        return true;
    }
    std::error_code ec;
    for (const std::string& path : committed) std::filesystem::remove(path, ec);
    return false;
}

void CConversionRun::CancelRender() {
    m_music.Stop();
    m_pCapture->StopCapture();
    m_pCapture = nullptr;
}

void CConversionRun::Finish() {
    m_tempWav.Remove();
    for (TempWavFile& stem : m_stemWavs) stem.Remove();
    m_pCapture = nullptr;
    m_frontEnd.RunEnded();
    m_music.Shutdown();
}

}  // namespace tonalbox

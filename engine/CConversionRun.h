#pragma once
// One conversion run: every entry of the path list becomes one MP3, WAV,
// FLAC, Opus or Ogg Vorbis file, rendered by the run's own engine through
// the wave capture effect into the run's temporary WAV file.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/CMidiMusic.h"
#include "engine/ConvertJob.h"
#include "engine/EntryMessageLog.h"
#include "engine/TempWavFile.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

namespace tonalbox {

class PartialOutputFile;

class CConversionRun {
public:
    // Messages of the run (the front end shows them as message boxes).
    static constexpr const char* kSetAudioFxError = "midiMusic.SetAudioFX(..) error!";
    static constexpr const char* kCanNotFindFile = "Can not find file: %s.";
    static constexpr const char* kOverwriteQuestion = "the file: %s have exist. writeover it? ";
    static constexpr const char* kErrorLoadingFile = "Error loading file";
    static constexpr const char* kCanNotWriteFile = "Can not write file: %s.";
    static constexpr const char* kOutputIsSource =
        "The output file would replace its own MIDI file: %s.";
    static constexpr const char* kCanNotCreateTempFile =
        "Can not create a temporary file in: %s.";
    static constexpr const char* kPieceTooLong = "The piece is too long to convert: %s.";
    static constexpr const char* kOutputWrittenInRun = "Output already written in this run: %s.";

    // Poll period and the tail rendered after the end of the music, in ms.
    static constexpr int kPollMs = 100;
    static constexpr int kTailMs = 1000;
    // Polls without any movement of the play position after which the
    // performance is taken as ended (18 s of rendered audio). The slowest
    // a file can go is one tick per quarter at 0xFFFFFF us per quarter, a
    // tick every 16.8 s; anything shorter would cut such a piece off.
    static constexpr int kStallPolls = 180;

    // job must hold a path list and a front end. The run works on the
    // job's settings and writes the MP3 input rate and channels there; the
    // job outlives the run.
    explicit CConversionRun(ConvertJob& job);
    CConversionRun(const CConversionRun&) = delete;
    CConversionRun& operator=(const CConversionRun&) = delete;

    // Runs start to end on the calling thread; returns 0.
    int Run();

    // The message text with the one %s of fmt replaced by arg.
    static std::string Format(const char* fmt, const std::string& arg);

private:
    // Written: an output is whole in its partial file (from the output
    // step only).
    enum class Outcome { Next, Skipped, Cancelled, Written };

    bool Start();
    Outcome ConvertAndReport(int index, int count);
    Outcome ConvertEntry(int index, int count);
    // The steps of one entry; each shows its message when it fails. First
    // whether the output may be written (a question answered No is kept
    // for the entry's result).
    bool OutputMayBeWritten(const std::string& source, const std::string& output);
    // Loads the source, with the SoundFont the entry names (empty: the
    // port's), and notes the format it is rendered in.
    bool LoadEntry(const std::string& source, const std::string& soundFont, WaveFormatEx& format);
    // Renders the loaded piece into the temporary WAV (and the stems'):
    // Next when whole, its loudness and length noted; Skipped when it
    // failed; Cancelled.
    Outcome RenderEntry(const std::string& source, const WaveFormatEx& format);
    EntryResult ResultOfEntry(bool converted);
    bool TempWavFits(const std::string& source, const WaveFormatEx& format);
    void ReleaseTempRoom();
    Outcome RenderFile();
    void NoteOutputFormat(const WaveFormatEx& rendered);
    void NoteLoudness();
    bool WrittenFromAnotherSource(const std::string& output) const;
    // Writes the output made from the WAV at wavPath into its partial
    // file: Written when whole, else Next (the message shown) or Cancelled.
    Outcome ProduceOutput(const std::string& wavPath, PartialOutputFile& partial,
                          const std::string& outputPath);
    TagRecord OutputTag(const std::string& outputPath) const;
    Outcome WriteMp3(const std::string& wavPath, PartialOutputFile& partial, const std::string& outputPath);
    Outcome WriteSndFile(const std::string& wavPath, PartialOutputFile& partial,
                         const std::string& outputPath);
    Outcome FinishEntry(PartialOutputFile& partial, const std::string& output);
    // Stems: the channels of the entry that play a note, their temporary
    // WAVs and captures, their outputs and description in partial files,
    // and the renames that put them all in place (or none).
    bool PrepareStems(const std::string& output);
    bool CaptureStems();
    bool ProduceStems(const std::string& output, std::vector<std::unique_ptr<PartialOutputFile>>& partials);
    bool WriteSidecar(const std::string& output, PartialOutputFile& partial);
    bool CommitOutputs(PartialOutputFile& mix, std::vector<std::unique_ptr<PartialOutputFile>>& stems);
    void CancelRender();
    void Finish();

    void ShowProgress(int percent);
    bool Cancelled();
    bool Encoded() const;   // an encoder writes the output (not a copy of the WAV)
    int RenderEnd() const;  // the bar's value when rendering is complete

    ConversionSettings& m_settings;
    IPathList& m_paths;
    EntryMessageLog m_frontEnd;
    CMidiMusic m_music;
    TempWavFile m_tempWav;
    wavecapture::IWaveCaptureFx* m_pCapture = nullptr;
    LoudnessOptions m_loudness;
    SndFileOptions m_sndFile;
    // The entry in hand, made anew for each.
    struct Entry {
        // Its output path, its source as resolved (with the SoundFont's
        // when the entry names one), the seconds of audio rendered, and
        // the overwrite question answered No.
        std::string output;
        std::string source;
        double seconds = 0.0;
        std::string declined;
        // What its output is, how it is rendered (with the SoundFont it
        // names, else the port's) and what the capture measured.
        EntryAudio audio;
        // With stems: the channels that play a note (from 0), what they
        // play, and the stems written.
        std::vector<int> stems;
        audio::ChannelUses use;
        std::vector<std::string> stemOutputs;
    };
    Entry m_entry;
    // The SoundFont of the run's port.
    std::string m_soundFont;
    // The outputs this run has written, each with the source it was made
    // from, as hashes of OutputIdentity and the resolved source path: a
    // run over a whole library keeps a few bytes a file.
    std::unordered_map<size_t, size_t> m_written;
    // The temporary folder's room this run holds for its WAV file.
    uint64_t m_tempRoomHeld = 0;
    // With stems: a temporary WAV per MIDI channel, made when first needed.
    bool m_stems = false;
    std::array<TempWavFile, audio::kMidiChannels> m_stemWavs;
    // MP3 encoding moves the bar only for the mix.
    bool m_encodingStem = false;
};

}  // namespace tonalbox

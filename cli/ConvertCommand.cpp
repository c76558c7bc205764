#include "cli/ConvertCommand.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleFrontEnd.h"
#include "cli/InputFiles.h"
#include "cli/InterruptHandler.h"
#include "cli/JobQueue.h"
#include "cli/RunReport.h"
#include "engine/CConversionRun.h"
#include "engine/CMidiMusic.h"
#include "engine/ConvertThreadProc.h"
#include "engine/OutputNaming.h"
#include "engine/PieceLength.h"
#include "engine/ProductInfo.h"
#include "engine/SettingsFile.h"
#include "engine/TempWavFile.h"
#include "platform/ProgramPaths.h"
#include "platform/ScopedDiagnosticSink.h"
#include "platform/audio/Performance.h"
#include "platform/audio/SoundFontCatalog.h"
#include "platform/audio/SynthLog.h"

namespace tonalbox::cli {

namespace {

class LineSink : public IMessageSink {
public:
    explicit LineSink(std::FILE* out) : m_out(out) {}
    void ShowMessage(const std::string& text) override {
        std::fprintf(m_out, "%s\n", EscapeControls(text).c_str());
    }

private:
    std::FILE* m_out;
};

// The descriptions of the synthesizer ports, in port-list order. A render
// engine lists them without opening a sound device.
std::vector<std::string> ListPorts(IMessageSink* messages) {
    std::vector<std::string> ports;
    CMidiMusic music(messages);
    if (music.Initialize(EngineMode::Render, DMUS_APATH_DYNAMIC_STEREO, 22050) == 0) {
        PortInfo info;
        for (int i = 0; music.EnumPort(i, &info) == 0; ++i) {
            ports.emplace_back(info.szDescription);
            info = PortInfo{};
        }
    }
    music.Shutdown();
    return ports;
}

int Usage(const ConsoleIo& io, const std::string& programName, const std::string& error) {
    std::fprintf(io.err, "%s: %s\n", programName.c_str(), EscapeControls(error).c_str());
    std::fprintf(io.err, "Try '%s --help' for more information.\n", programName.c_str());
    return kExitUsage;
}

void EnsureFolder(const std::string& folder) {
    if (!folder.empty()) platform::MakeFolder(folder);
}

void ShowCanNotLoad(const std::string& font, const ConsoleIo& io) {
    const std::string message = CConversionRun::Format(kCanNotLoadSoundFont, font);
    std::fprintf(io.err, "%s\n", EscapeControls(message).c_str());
}

// The SoundFonts are looked at once, before any work: each one given, or
// else, to convert, any the run can find. False after naming those that
// do not load.
bool SoundFontsLoad(const CommandLine& cl, const ConsoleIo& io) {
    if (cl.soundFonts.empty()) {
        const bool converting = !cl.inputs.empty() || !cl.filesFrom.empty();
        if (!converting || !audio::SoundFontCatalog::List().empty()) return true;
        ShowCanNotLoad(audio::SoundFontCatalog::DefaultSoundFont(), io);
        std::fprintf(io.err, "%s\n", kSoundFontHint);
        return false;
    }
    bool all = true;
    for (const std::string& font : cl.soundFonts) {
        if (audio::Performance::LoadsSoundFont(font)) continue;
        ShowCanNotLoad(font, io);
        all = false;
    }
    return all;
}

// One run of the command: its job, and its view of the queue, which the
// console also reads.
struct Job {
    std::shared_ptr<JobPathList> list;
    std::unique_ptr<ConsoleFrontEnd> frontEnd;
    ConvertJob convert;
    bool finished = false;  // guarded by the command's mutex
};

// The paths of --files-from; fails with the message of a usage error.
platform::Result ReadFilesFrom(const CommandLine& cl, std::vector<std::string>& paths) {
    const bool standardInput = cl.filesFrom == "-";
    std::FILE* file = standardInput ? stdin : std::fopen(cl.filesFrom.c_str(), "r");
    if (file == nullptr) return platform::Result::Fail(errno != 0 ? errno : EIO, "can not read the list " + cl.filesFrom);
    const platform::Result read = ReadPathList(file, cl.nulSeparated, paths);
    if (!standardInput) std::fclose(file);
    if (!read.ok()) return platform::Result::Fail(read.code, "the list " + cl.filesFrom + " " + read.message);
    return read;
}

// True when path names one of the entries or one of their outputs, as it
// is or as it will be: a report there would overwrite a MIDI file or be
// overwritten by audio.
bool IsInputOrOutput(const std::string& path, const std::vector<InputEntry>& entries,
                     const ConversionSettings& settings) {
    struct stat report {};
    const bool exists = ::stat(path.c_str(), &report) == 0;
    const std::string name = platform::FileNameOf(path);
    const std::string resolved = platform::ResolvedPath(path);
    auto same = [&](const std::string& other) {
        // Another name for an existing file (a link) is found by identity;
        // a file still to come by its resolved path.
        struct stat st {};
        if (exists && ::stat(other.c_str(), &st) == 0 && st.st_dev == report.st_dev &&
            st.st_ino == report.st_ino)
            return true;
        return platform::FileNameOf(other) == name && platform::ResolvedPath(other) == resolved;
    };
    for (const auto& entry : entries) {
        if (entry.unreadableFolder) continue;
        if (same(entry.path) || same(JobQueue::OutputPathOf(entry, settings))) return true;
    }
    return false;
}

// Reports the folders the walk could not read and records them as failed:
// each stands for files that are not converted.
void RecordUnreadableFolders(const std::vector<InputEntry>& entries, RunReport& report,
                             std::FILE* err) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].unreadableFolder) continue;
        FileRecord record;
        record.input = entries[i].path;
        record.status = kStatusFailed;
        record.message = CConversionRun::Format(kCanNotReadFolder, entries[i].path);
        std::fprintf(err, "%s\n", EscapeControls(record.message).c_str());
        report.Add(static_cast<int>(i), record);
    }
}

// Records the files no run reached (cut off by a cancel, or left by runs
// that could not start) and the totals, and closes the report. False,
// with the message, when the report could not be written whole.
bool FinishReport(RunReport& report, const JobQueue& queue, bool cancelled, double wallSeconds,
                  const std::string& path, std::FILE* err) {
    for (int i = 0; i < queue.Total(); ++i) {
        if (report.Recorded(i)) continue;
        FileRecord record;
        record.input = queue.Path(i);
        record.audio.soundFont = queue.SoundFont(i);
        record.output = queue.OutputPath(i);
        record.status = cancelled ? kStatusCancelled : kStatusFailed;
        report.Add(i, record);
    }
    report.WriteTotals(wallSeconds);
    if (report.Close()) return true;
    const std::string message = CConversionRun::Format(CConversionRun::kCanNotWriteFile, path);
    std::fprintf(err, "%s\n", EscapeControls(message).c_str());
    return false;
}

// Runs every job on its own thread until all have ended. After a cancel
// the threads still running are woken from any wait in a system call
// until they end.
void RunJobs(std::vector<Job>& jobs, std::atomic<int>& cancelFlag) {
    std::mutex mutex;
    std::condition_variable ended;
    std::vector<std::thread> threads;
    for (auto& job : jobs) {
        threads.emplace_back([&job, &mutex, &ended] {
            RunConversion(job.convert);
            std::lock_guard<std::mutex> lock(mutex);
            job.finished = true;
            ended.notify_all();
        });
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            bool all = true;
            for (size_t i = 0; i < jobs.size(); ++i) {
                if (jobs[i].finished) continue;
                all = false;
                if (cancelFlag.load() != 0) InterruptHandler::Wake(threads[i].native_handle());
            }
            if (all) break;
            ended.wait_for(lock, std::chrono::milliseconds(100));
        }
    }
    for (auto& thread : threads) thread.join();
}

// The command line over the window's saved settings. An exit status when
// the command ends here: a usage error, --help, --version.
std::optional<int> ReadCommandLine(const std::vector<std::string>& args, const std::string& programName,
                                   const ConsoleIo& io, ConversionSettings& settings, CommandLine& cl) {
    settings = ConversionSettings::Defaults();
    LoadSettings(SettingsFilePath(), settings);
    settings.m_bBurnToCD = 0;

    std::string error;
    if (!ParseCommandLine(args, settings, cl, error)) return Usage(io, programName, error);
    if (cl.help) {
        std::fputs(UsageText(programName).c_str(), io.out);
        return kExitAllConverted;
    }
    if (cl.version) {
        std::fprintf(io.out, "%s (%s) %s\n", programName.c_str(), kProductName, kProductVersion);
        return kExitAllConverted;
    }
    audio::SynthLog::Show(cl.verbose);
    if (!SoundFontsLoad(cl, io)) return kExitUsage;
    if (cl.inputs.empty() && cl.filesFrom.empty() && !cl.saveSettings && !cl.listPorts) {
        return Usage(io, programName, "no MIDI files given");
    }
    return std::nullopt;
}

// The entries to convert, and the report opened. Everything that can make
// a usage error is looked at before any work, and before anything is
// opened for writing; an exit status when one does.
std::optional<int> GatherInputs(const CommandLine& cl, const ConversionSettings& settings,
                                const std::string& programName, const ConsoleIo& io,
                                std::vector<InputEntry>& entries, std::vector<std::string>& emptyFolders,
                                RunReport& report) {
    std::vector<std::string> inputs = cl.inputs;
    if (!cl.filesFrom.empty()) {
        const platform::Result read = ReadFilesFrom(cl, inputs);
        if (!read.ok()) return Usage(io, programName, read.message);
    }
    entries = CollectInputs(std::move(inputs), cl.recursive, &emptyFolders);
    RemoveRepeats(entries);
    if (cl.soundFonts.size() > 1) PairWithSoundFonts(entries, cl.soundFonts);
    if (!cl.reportPath.empty() && IsInputOrOutput(cl.reportPath, entries, settings)) {
        return Usage(io, programName,
                     "the report file " + cl.reportPath + " is an input or an output of the run");
    }
    if (!cl.reportPath.empty()) {
        const platform::Result opened = report.Open(cl.reportPath);
        if (!opened.ok()) return Usage(io, programName, opened.message);
    }
    return std::nullopt;
}

// --save-settings, --soundfont and --list-ports, in that order. An exit
// status when one of them fails.
std::optional<int> ApplyPortAndSettingsOptions(const CommandLine& cl, ConversionSettings& settings,
                                               const ConsoleIo& io) {
    if (cl.saveSettings) {
        const std::string settingsPath = SettingsFilePath();
        // FLAC, Opus and Ogg Vorbis are the command's only: the file keeps
        // the format it had.
        ConversionSettings stored = settings;
        if (options::OutputFormats().PositionOf(static_cast<int>(stored.m_nOutputFormat)) < 0) {
            ConversionSettings before = ConversionSettings::Defaults();
            LoadSettings(settingsPath, before);
            stored.m_nOutputFormat = before.m_nOutputFormat;
        }
        if (SaveSettings(settingsPath, stored) != 1) {
            std::fprintf(io.err, "Can not write the settings file: %s.\n", settingsPath.c_str());
            return kExitSomeNotConverted;
        }
        if (!cl.quiet) std::fprintf(io.err, "Settings saved to %s\n", settingsPath.c_str());
    }
    if (!cl.soundFonts.empty()) {
        // The (first) file becomes the first port and the port of this
        // command only; the saved port choice stays the window's.
        audio::SoundFontCatalog::SetPreferredSoundFont(cl.soundFonts.front());
        settings.m_nPortIndex = 0;
    }
    if (cl.listPorts) {
        LineSink errSink(io.err);
        const auto ports = ListPorts(&errSink);
        for (size_t i = 0; i < ports.size(); ++i) {
            std::fprintf(io.out, "%zu: %s%s\n", i, ports[i].c_str(),
                         static_cast<int>(i) == settings.m_nPortIndex ? "  (chosen)" : "");
        }
        if (ports.empty()) {
            std::fprintf(io.err, "No synthesizer port found.\n%s\n", kSoundFontHint);
            return kExitSomeNotConverted;
        }
    }
    return std::nullopt;
}

// Tells what will not be converted (empty and unreadable folders), keeps
// this shard's entries and says where the outputs go.
void PrepareEntries(const CommandLine& cl, const ConversionSettings& settings,
                    const std::vector<std::string>& emptyFolders, std::vector<InputEntry>& entries,
                    RunReport& report, const ConsoleIo& io) {
    for (const auto& folder : emptyFolders) {
        std::fprintf(io.err, "No MIDI files in folder: %s\n", EscapeControls(folder).c_str());
    }
    KeepShard(entries, cl.shardIndex, cl.shardCount);
    report.SetTotal(static_cast<int>(entries.size()));
    RecordUnreadableFolders(entries, report, io.err);
    if (!settings.m_bSameAsSource) EnsureFolder(settings.m_strOutputFolder);
}

void ShowOutputFolder(const CommandLine& cl, const ConversionSettings& settings, const JobQueue& queue,
                      const ConsoleIo& io) {
    if (cl.quiet || queue.Total() == 0) return;
    std::fprintf(io.err, "Output folder: %s\n",
                 settings.m_bSameAsSource ? "next to each MIDI file"
                                          : EscapeControls(settings.m_strOutputFolder).c_str());
}

// What the runs left behind.
struct RunTotals {
    int converted = 0;
    bool setupFailed = false;
};

// Converts the queue on as many runs as asked, each with its own line on
// the console.
RunTotals ConvertQueue(const CommandLine& cl, const ConversionSettings& settings, JobQueue& queue,
                       RunReport& report, const ConsoleIo& io, std::atomic<int>& cancelFlag) {
    const int jobCount = std::max(1, std::min(cl.jobs, queue.Total()));
    queue.OrderByLength(jobCount, [&queue](int position) { return PieceLength::Seconds(queue.Path(position)); });
    Console::Options consoleOptions;
    consoleOptions.progressBar = io.errIsTerminal;
    consoleOptions.canAsk = io.inIsTerminal && io.errIsTerminal && cl.filesFrom != "-";
    consoleOptions.quiet = cl.quiet;
    consoleOptions.width = io.width;
    Console console(io.err, io.in, consoleOptions, jobCount);

    std::vector<Job> jobs(static_cast<size_t>(jobCount));
    for (int i = 0; i < jobCount; ++i) {
        Job& job = jobs[static_cast<size_t>(i)];
        job.list = std::make_shared<JobPathList>(queue);
        job.frontEnd = std::make_unique<ConsoleFrontEnd>(console, i, cancelFlag, job.list.get(),
                                                         queue.Total(), &queue, &report);
        job.convert.settings = settings;
        job.convert.paths = job.list;
        job.convert.frontEnd = job.frontEnd.get();
        job.convert.loudness = cl.loudness;
        job.convert.stems = cl.stems;
        job.convert.sndFile = cl.sndFile;
        job.convert.synth = cl.synth;
    }
    TempWavFile::RemoveStale(platform::TempFolder());
    RunJobs(jobs, cancelFlag);
    console.Finish();

    RunTotals totals;
    for (const auto& job : jobs) {
        totals.converted += job.frontEnd->SuccessCounter().load();
        totals.setupFailed = totals.setupFailed || job.frontEnd->SetupFailed();
    }
    return totals;
}

// The closing lines, the report's end and the exit status.
int Summarize(const CommandLine& cl, const JobQueue& queue, const RunTotals& totals, RunReport& report,
              double wallSeconds, const ConsoleIo& io, const std::atomic<int>& cancelFlag) {
    if (totals.setupFailed && ListPorts(nullptr).empty()) std::fprintf(io.err, "%s\n", kSoundFontHint);
    if (cancelFlag.load() != 0) std::fprintf(io.err, "Cancelled.\n");

    const bool reportWhole =
        FinishReport(report, queue, cancelFlag.load() != 0, wallSeconds, cl.reportPath, io.err);

    const int skipped = queue.SkippedCount();
    std::fprintf(io.out, "Total files: %d, converted: %d", queue.Total(), totals.converted);
    if (cl.skipExisting) std::fprintf(io.out, ", skipped: %d", skipped);
    std::fprintf(io.out, "\n");
    std::fflush(io.out);
    return totals.converted + skipped == queue.Total() && reportWhole ? kExitAllConverted
                                                                      : kExitSomeNotConverted;
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, const std::string& programName,
                      const ConsoleIo& io, std::atomic<int>& cancelFlag) {
    ConversionSettings settings;
    CommandLine cl;
    if (const auto status = ReadCommandLine(args, programName, io, settings, cl)) return *status;
    // With --verbose the lines on where and why something failed reach the
    // terminal too, beside the messages every user is shown.
    std::FILE* err = io.err;
    platform::DiagnosticLog::Sink toTerminal;
    if (cl.verbose) toTerminal = [err](const std::string& line) { std::fprintf(err, "%s\n", line.c_str()); };
    const platform::ScopedDiagnosticSink diagnostics(std::move(toTerminal));
    std::vector<InputEntry> entries;
    std::vector<std::string> emptyFolders;
    RunReport report;
    if (const auto status = GatherInputs(cl, settings, programName, io, entries, emptyFolders, report))
        return *status;
    if (const auto status = ApplyPortAndSettingsOptions(cl, settings, io)) return *status;
    if (cl.inputs.empty() && cl.filesFrom.empty()) return kExitAllConverted;

    const auto started = std::chrono::steady_clock::now();
    PrepareEntries(cl, settings, emptyFolders, entries, report, io);
    JobQueue queue(std::move(entries), settings, cl.skipExisting, &report);
    ShowOutputFolder(cl, settings, queue, io);
    const RunTotals totals = ConvertQueue(cl, settings, queue, report, io, cancelFlag);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return Summarize(cl, queue, totals, report, wallSeconds, io, cancelFlag);
}

}  // namespace tonalbox::cli

#include "cli/ConvertCommand.h"

#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <thread>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleFrontEnd.h"
#include "cli/InputFiles.h"
#include "cli/JobQueue.h"
#include "engine/CConversionRun.h"
#include "engine/CMidiMusic.h"
#include "engine/ConvertThreadProc.h"
#include "engine/OutputNaming.h"
#include "engine/ProductInfo.h"
#include "engine/SettingsFile.h"
#include "platform/ProgramPaths.h"
#include "platform/audio/SoundFontCatalog.h"

namespace tonalbox::cli {

namespace {

class LineSink : public IMessageSink {
public:
    explicit LineSink(std::FILE* out) : m_out(out) {}
    void ShowMessage(const std::string& text) override {
        std::fprintf(m_out, "%s\n", text.c_str());
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
    std::fprintf(io.err, "%s: %s\n", programName.c_str(), error.c_str());
    std::fprintf(io.err, "Try '%s --help' for more information.\n", programName.c_str());
    return kExitUsage;
}

void EnsureFolder(const std::string& folder) {
    if (!folder.empty()) platform::MakeFolder(folder);
}

// True when two entries of the list would be written to one output file.
// Parallel runs must not produce such a pair at the same time: both would
// find the name free, and both would write into one file.
bool SharesAnOutput(const JobQueue& queue, const ConversionSettings& settings) {
    std::set<std::string> outputs;
    for (int i = 0; i < queue.Total(); ++i) {
        if (!outputs.insert(OutputPathFor(queue.Path(i), settings)).second) return true;
    }
    return false;
}

// One run of the command: its job, and its view of the queue, which the
// console also reads.
struct Job {
    std::shared_ptr<JobPathList> list;
    std::unique_ptr<ConsoleFrontEnd> frontEnd;
    ConvertJob convert;
};

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, const std::string& programName,
                      const ConsoleIo& io, std::atomic<int>& cancelFlag) {
    // The window's settings first, then the options on top.
    ConversionSettings settings = ConversionSettings::Defaults();
    const std::string settingsPath = SettingsFilePath();
    LoadSettings(settingsPath, settings);
    settings.m_bBurnToCD = 0;

    CommandLine cl;
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
    if (!cl.soundFont.empty() &&
        (!platform::FileExists(cl.soundFont) || platform::IsDirectory(cl.soundFont))) {
        return Usage(io, programName, "no such SoundFont file: " + cl.soundFont);
    }
    if (cl.inputs.empty() && !cl.saveSettings && !cl.listPorts) {
        return Usage(io, programName, "no MIDI files given");
    }

    LineSink errSink(io.err);
    if (cl.saveSettings) {
        if (SaveSettings(settingsPath, settings) != 1) {
            std::fprintf(io.err, "Can not write the settings file: %s.\n", settingsPath.c_str());
            return kExitSomeNotConverted;
        }
        if (!cl.quiet) std::fprintf(io.err, "Settings saved to %s\n", settingsPath.c_str());
    }
    if (!cl.soundFont.empty()) {
        // The file becomes the first port and the port of this command only;
        // the saved port choice stays the window's.
        audio::SoundFontCatalog::SetPreferredSoundFont(cl.soundFont);
        settings.m_nPortIndex = 0;
    }
    if (cl.listPorts) {
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
    if (cl.inputs.empty()) return kExitAllConverted;

    std::vector<std::string> emptyFolders;
    JobQueue queue(CollectInputFiles(cl.inputs, &emptyFolders));
    for (const auto& folder : emptyFolders) {
        std::fprintf(io.err, "No MIDI files in folder: %s\n", folder.c_str());
    }
    if (!settings.m_bSameAsSource) EnsureFolder(settings.m_strOutputFolder);
    if (!cl.quiet && queue.Total() > 0) {
        std::fprintf(io.err, "Output folder: %s\n",
                     settings.m_bSameAsSource ? "next to each MIDI file"
                                              : settings.m_strOutputFolder.c_str());
    }

    // One run takes such a list in order, so the second of a pair asks or
    // replaces as it would in the window.
    const int jobCount =
        SharesAnOutput(queue, settings) ? 1 : std::max(1, std::min(cl.jobs, queue.Total()));
    Console::Options consoleOptions;
    consoleOptions.progressBar = io.errIsTerminal;
    consoleOptions.canAsk = io.inIsTerminal && io.errIsTerminal;
    consoleOptions.quiet = cl.quiet;
    consoleOptions.width = io.width;
    Console console(io.err, io.in, consoleOptions, jobCount);

    std::vector<Job> jobs(static_cast<size_t>(jobCount));
    for (int i = 0; i < jobCount; ++i) {
        Job& job = jobs[static_cast<size_t>(i)];
        job.list = std::make_shared<JobPathList>(queue);
        job.frontEnd = std::make_unique<ConsoleFrontEnd>(console, i, cancelFlag, job.list.get(),
                                                         queue.Total());
        job.convert.settings = settings;
        job.convert.paths = job.list;
        job.convert.frontEnd = job.frontEnd.get();
    }
    std::vector<std::thread> threads;
    for (auto& job : jobs) {
        threads.emplace_back([&job] { RunConversion(job.convert); });
    }
    for (auto& thread : threads) thread.join();
    console.Finish();

    int converted = 0;
    bool setupFailed = false;
    for (const auto& job : jobs) {
        converted += job.frontEnd->SuccessCounter().load();
        setupFailed = setupFailed || job.frontEnd->SetupFailed();
    }
    if (setupFailed && ListPorts(nullptr).empty()) std::fprintf(io.err, "%s\n", kSoundFontHint);
    if (cancelFlag.load() != 0) std::fprintf(io.err, "Cancelled.\n");

    std::fprintf(io.out, "Total files: %d, converted: %d\n", queue.Total(), converted);
    std::fflush(io.out);
    return converted == queue.Total() ? kExitAllConverted : kExitSomeNotConverted;
}

}  // namespace tonalbox::cli

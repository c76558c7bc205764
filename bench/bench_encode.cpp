// Times CMp3Encoder::EncodeFile against the `lame` command on the same WAV
// (3 minutes, 22050 Hz stereo, samples at byte 56) at CBR 128 kbit/s,
// alternating the two, and prints the ratios of their median wall-clock
// and processor times (user + system; steadier on a shared machine).
//
// Usage: bench_encode [--seconds N] [--runs N] [--lame PATH]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "audioprobe/Mp3Probe.h"
#include "audioprobe/WavTestWriter.h"
#include "engine/CMp3Encoder.h"

namespace {

using Clock = std::chrono::steady_clock;
using tonalbox::audioprobe::Mp3Facts;
using tonalbox::audioprobe::Mp3Probe;
using tonalbox::audioprobe::WavTestWriter;

// What the converting page does with each chunk's figures, minus drawing.
class SilentFrontEnd : public tonalbox::IConvertFrontEnd {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    void EntryStarted(int, int, const std::string&) override {}
    void Progress(int percent) override {
        last = percent;
        lastText = std::to_string(percent) + "%";
    }
    std::atomic<int>& CancelFlag() override { return cancel; }
    std::atomic<int>& SuccessCounter() override { return success; }
    bool AskOverwrite(const std::string&) override { return false; }
    void RunEnded() override {}
    int last = 0;
    std::string lastText;
    std::atomic<int> cancel{0};
    std::atomic<int> success{0};
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds(const rusage& r) {
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double OwnCpuSeconds() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return CpuSeconds(r);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Timing {
    double wall = -1;
    double cpu = -1;
};

// Runs the command and returns its times; negative when it failed.
Timing TimeCommand(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp(argv[0], argv.data());
        std::_Exit(127);
    }
    if (pid < 0) return {};
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto stop = Clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {Seconds(stop - start), CpuSeconds(usage)};
}

void Describe(const char* who, const std::string& path) {
    const Mp3Facts f = Mp3Probe::Read(path);
    std::printf("  %-12s %9ju bytes, %ld Hz, %d ch, %lld samples, bitrates", who,
                static_cast<uintmax_t>(std::filesystem::file_size(path)), f.sampleRate, f.channels, f.samples);
    for (int b : f.bitrates) std::printf(" %d", b);
    std::printf(", first frame \"%s\"\n", f.infoTag.c_str());
}

// Offset just past the last byte in which the files differ; 0 when they
// are the same, -1 when one cannot be read.
long LastDifference(const std::string& a, const std::string& b) {
    std::FILE* fa = std::fopen(a.c_str(), "rb");
    std::FILE* fb = std::fopen(b.c_str(), "rb");
    long last = (fa && fb) ? 0 : -1;
    for (long at = 1; last >= 0; ++at) {
        const int ca = std::fgetc(fa), cb = std::fgetc(fb);
        if (ca != cb) last = at;
        if (ca == EOF && cb == EOF) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return last;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 180;
    int runs = 7;
    std::string lame = "lame";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--lame")) lame = argv[i + 1];
    }

    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("tonalbox_bench_encode_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string wav = (folder / "input.wav").string();
    const std::string ours = (folder / "driver.mp3").string();
    const std::string theirs = (folder / "lame.mp3").string();

    const int rate = 22050;
    if (!WavTestWriter::Write(wav, rate, 2, WavTestWriter::TestSignal(rate, 2, seconds))) {
        std::fprintf(stderr, "cannot write %s\n", wav.c_str());
        return 1;
    }
    std::printf("input: %.0f s of 22050 Hz stereo, %ju bytes; CBR 128 kbit/s joint stereo; %d runs each\n",
                seconds, static_cast<uintmax_t>(fs::file_size(wav)), runs);

    // The driver at the default settings: CBR 128, joint stereo, LAME's
    // default quality (-q 3, as the command's). The command marks its frames
    // original by default, so the driver does here too. The command also
    // analyses ReplayGain by default, which the driver does not; the last
    // figures time it without.
    tonalbox::Mp3EncoderSettings settings;
    settings.m_nInSampleRate = rate;
    settings.m_nInChannels = 2;
    settings.m_bOriginal = 1;
    const std::vector<std::string> command = {lame, "--quiet", "-b", "128", "-m", "j", wav, theirs};
    const std::string plain = (folder / "lame_norg.mp3").string();
    const std::vector<std::string> noReplayGain = {lame, "--quiet", "--noreplaygain", "-b", "128", "-m", "j",
                                                   wav, plain};

    std::vector<double> driverWall, driverCpu, lameWall, lameCpu, plainWall, plainCpu;
    for (int run = 0; run < runs; ++run) {
        SilentFrontEnd frontEnd;
        const double cpuBefore = OwnCpuSeconds();
        const auto start = Clock::now();
        const int result = tonalbox::CMp3Encoder().EncodeFile(wav, ours, settings, &frontEnd, 75, 100,
                                                              frontEnd.cancel);
        const double wall = Seconds(Clock::now() - start);
        const double cpu = OwnCpuSeconds() - cpuBefore;
        if (result != 1) {
            std::fprintf(stderr, "EncodeFile returned %d\n", result);
            return 1;
        }
        const Timing other = TimeCommand(command);
        if (other.wall < 0) {
            std::fprintf(stderr, "`%s` failed (is the lame package installed?)\n", lame.c_str());
            return 1;
        }
        const Timing bare = TimeCommand(noReplayGain);
        driverWall.push_back(wall);
        plainWall.push_back(bare.wall);
        plainCpu.push_back(bare.cpu);
        driverCpu.push_back(cpu);
        lameWall.push_back(other.wall);
        lameCpu.push_back(other.cpu);
        std::printf("  run %d: EncodeFile %.3f s (cpu %.3f), lame %.3f s (cpu %.3f), "
                    "lame --noreplaygain %.3f s (cpu %.3f)\n",
                    run + 1, wall, cpu, other.wall, other.cpu, bare.wall, bare.cpu);
    }

    Describe("EncodeFile:", ours);
    Describe("lame:", theirs);
    // The first frame (418 bytes here) is the Info frame, whose LAME tag
    // differs (the command's ReplayGain figures); the audio frames after it
    // should be the same bytes.
    std::printf("  outputs differ up to byte %ld of %ju\n", LastDifference(ours, theirs),
                static_cast<uintmax_t>(fs::file_size(ours)));
    const double wall = Median(driverWall), cpu = Median(driverCpu);
    const double otherWall = Median(lameWall), otherCpu = Median(lameCpu);
    std::printf("median wall: EncodeFile %.3f s, lame %.3f s, ratio %.3f\n", wall, otherWall, wall / otherWall);
    std::printf("median cpu:  EncodeFile %.3f s, lame %.3f s, ratio %.3f\n", cpu, otherCpu, cpu / otherCpu);
    std::printf("without ReplayGain: lame %.3f s (cpu %.3f), ratios %.3f wall, %.3f cpu\n", Median(plainWall),
                Median(plainCpu), wall / Median(plainWall), cpu / Median(plainCpu));
    std::printf("ratio EncodeFile / lame: %.3f (target <= 1.05)\n", wall / otherWall);
    fs::remove_all(folder);
    return 0;
}

// Renders a MIDI file through CMidiMusic and the wave capture effect the
// way a conversion run does (render clock polled every 100 ms, one second
// after the end) and reports how long it took, SoundFont load included.
//
//   bench_render [--midi FILE] [--seconds N] [--soundfont FILE] [--rate HZ]
//                [--mono] [--cores N] [--out FILE.wav]
//   bench_render --write-midi FILE [--seconds N]
//
// Without --midi it renders a dense General MIDI piece of N seconds
// (default 180) made on the spot. --write-midi only writes that piece.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "audioprobe/WavFile.h"
#include "engine/CMidiMusic.h"
#include "midigen/GmTestPiece.h"
#include "platform/audio/SoundFontCatalog.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

namespace {

using namespace tonalbox;
namespace fs = std::filesystem;

// A folder of this run's own for the files it makes up, removed with them
// at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code ec;
        m_path = fs::temp_directory_path(ec) / ("tonalbox-bench-render-" + std::to_string(::getpid()));
        fs::create_directories(m_path, ec);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string File(const char* name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_render [--midi FILE] [--seconds N] [--soundfont FILE] [--rate HZ] [--mono] "
                 "[--cores N] [--out FILE.wav]\n       bench_render --write-midi FILE [--seconds N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string midi, writeMidi, out;
    std::string soundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    int seconds = 180;
    int rate = 22050;
    int pathType = DMUS_APATH_DYNAMIC_STEREO;
    int cores = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--midi") midi = value();
        else if (a == "--write-midi") writeMidi = value();
        else if (a == "--out") out = value();
        else if (a == "--soundfont") soundFont = value();
        else if (a == "--seconds") seconds = std::atoi(value().c_str());
        else if (a == "--rate") rate = std::atoi(value().c_str());
        else if (a == "--mono") pathType = DMUS_APATH_DYNAMIC_MONO;
        else if (a == "--cores") cores = std::atoi(value().c_str());
        else return Usage();
    }
    if (seconds <= 0 || rate <= 0) return Usage();

    if (!writeMidi.empty()) {
        if (!midigen::GmTestPiece::Build(seconds).Write(writeMidi)) {
            std::fprintf(stderr, "cannot write %s\n", writeMidi.c_str());
            return 1;
        }
        return 0;
    }
    const ScratchFolder dir;
    if (midi.empty()) {
        midi = dir.File("dense.mid");
        if (!midigen::GmTestPiece::Build(seconds).Write(midi)) return 1;
    }
    if (out.empty()) out = dir.File("out.wav");
    audio::SoundFontCatalog::SetPreferredSoundFont(soundFont);

    const auto start = std::chrono::steady_clock::now();
    CMidiMusic engine;
    engine.SetRenderCores(cores);
    int hr = engine.Initialize(EngineMode::Render, pathType, rate);
    void* object = nullptr;
    if (hr == 0) engine.ClearAudioFX();
    if (hr == 0) hr = engine.SetAudioFX(wavecapture::CLSID_WaveCaptureFx, wavecapture::IID_IWaveCaptureFx, &object);
    if (hr == 0) hr = engine.LoadMidiFile(midi, true);
    if (hr != 0 || object == nullptr) {
        std::fprintf(stderr, "engine setup failed: %d\n", hr);
        return 1;
    }
    const auto loaded = std::chrono::steady_clock::now();
    auto* capture = static_cast<wavecapture::IWaveCaptureFx*>(object);
    WaveFormatEx format{};
    engine.GetBufferFormat(&format);
    if (capture->StartCapture(out.c_str(), &format) != 0) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    engine.Play();
    int64_t length = 0, position = 0;
    engine.GetLength(&length);
    while (position < length) {
        engine.WaitRenderClock(100);
        if (engine.GetSeek(&position) != 0) break;
    }
    engine.Stop();
    engine.WaitRenderClock(1000);
    capture->StopCapture();
    engine.Shutdown();
    const auto end = std::chrono::steady_clock::now();

    audioprobe::WavFile wav;
    if (!wav.Read(out)) {
        std::fprintf(stderr, "cannot read back %s: %s\n", out.c_str(), wav.Error().c_str());
        return 1;
    }
    const double wall = std::chrono::duration<double>(end - start).count();
    const double setup = std::chrono::duration<double>(loaded - start).count();
    std::printf("audio %.2f s (%u Hz, %u ch), wall %.2f s (setup and SoundFont %.2f s), %.1fx real time, "
                "peak %d\n",
                wav.Seconds(), wav.sampleRate, wav.channels, wall, setup, wav.Seconds() / wall, wav.PeakAbs());
    return 0;
}

// Writes a MIDI library for the scale benchmark (bench/scale):
//   bench_library FOLDER COUNT
// COUNT short files (1.5 to 2.8 seconds, four distinct pieces) in nested
// folders, 100 files a folder: FOLDER/gNN/sNN/tune-NNNNNN.mid.
//   bench_library --long FILE COUNT
// One file that plays the same COUNT pieces one after the other, each
// followed by a second of rest (as long as the tail each file gets), so
// that it renders the same audio as the library in one piece.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "midigen/MidiFileWriter.h"

namespace {

using tonalbox::midigen::MidiFileWriter;

constexpr int kPieces = 4;
constexpr int kFilesPerFolder = 100;
constexpr int kFoldersPerGroup = 20;

// Piece p at tick start of w: a short phrase on its own instrument, tempo
// and length. Returns the tick where its last note ends.
uint32_t AddPiece(MidiFileWriter& w, int p, uint32_t start) {
    w.TempoBpm(0, start, 100.0 + 20.0 * p);
    w.ProgramChange(1, start, 0, p * 8);
    const int notes = 3 + p;  // 1.5 s to 2.8 s of music
    for (int i = 0; i < notes; ++i) {
        const auto t = start + static_cast<uint32_t>(i * 480);
        w.Note(1, t, 440, 0, 60 + (i * (p + 2)) % 12, 90);
        w.Note(2, t, 120, 9, i % 2 == 0 ? 36 : 38, 100);
    }
    return start + static_cast<uint32_t>((notes - 1) * 480 + 440);
}

std::vector<uint8_t> Piece(int p) {
    MidiFileWriter w(1, 480);
    AddPiece(w, p, 0);
    return w.Build();
}

int WriteLong(const std::string& path, int count) {
    MidiFileWriter w(1, 480);
    uint32_t tick = 0;
    for (int i = 0; i < count; ++i) {
        const int p = i % kPieces;
        const uint32_t restTicks = static_cast<uint32_t>((100 + 20 * p) * 480 / 60);  // 1 s
        tick = AddPiece(w, p, tick) + restTicks;
    }
    w.EndOfTrack(0, tick);
    if (!w.Write(path)) {
        std::fprintf(stderr, "Can not write file: %s.\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--long") {
        const int count = std::atoi(argv[3]);
        return count < 1 ? 2 : WriteLong(argv[2], count);
    }
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s FOLDER COUNT | --long FILE COUNT\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    if (count < 1 || count > 1000000) {
        std::fprintf(stderr, "COUNT must be 1..1000000\n");
        return 2;
    }
    std::vector<std::vector<uint8_t>> pieces;
    for (int p = 0; p < kPieces; ++p) pieces.push_back(Piece(p));
    for (int i = 0; i < count; ++i) {
        const int leaf = i / kFilesPerFolder;
        char sub[64];
        std::snprintf(sub, sizeof sub, "/g%02d/s%02d/", leaf / kFoldersPerGroup,
                      leaf % kFoldersPerGroup);
        const std::string dir = folder + sub;
        if (i % kFilesPerFolder == 0) {
            std::error_code ec;
            std::filesystem::create_directories(dir, ec);
        }
        char name[32];
        std::snprintf(name, sizeof name, "tune-%06d.mid", i);
        if (!MidiFileWriter::WriteBytes(dir + name, pieces[static_cast<size_t>(i % kPieces)])) {
            std::fprintf(stderr, "Can not write file: %s.\n", (dir + name).c_str());
            return 1;
        }
    }
    return 0;
}

// Writes the example MIDI files into a folder:
//   tonalbox-make-examples FOLDER
// piano.mid (a short piano piece) and band.mid (a band arrangement with drums).

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "examples/ExamplePieces.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s FOLDER\n", argc > 0 ? argv[0] : "tonalbox-make-examples");
        return 2;
    }
    const std::string folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "Can not create folder: %s.\n", folder.c_str());
        return 1;
    }
    int status = 0;
    const struct {
        const char* name;
        tonalbox::midigen::MidiFileWriter piece;
    } pieces[] = {
        {"piano.mid", tonalbox::examples::PianoPiece()},
        {"band.mid", tonalbox::examples::BandPiece()},
    };
    for (const auto& p : pieces) {
        const std::string path = folder + "/" + p.name;
        if (p.piece.Write(path)) {
            std::printf("%s\n", path.c_str());
        } else {
            std::fprintf(stderr, "Can not write file: %s.\n", path.c_str());
            status = 1;
        }
    }
    return status;
}

#include "engine/StemSidecar.h"

#include <nlohmann/json.hpp>

#include "engine/GmProgramNames.h"

namespace tonalbox {

std::string StemSidecar::Text() const {
    nlohmann::json stemList = nlohmann::json::array();
    for (const Stem& stem : stems) {
        const bool drums = stem.channel == kGmDrumChannel + 1;
        nlohmann::json programList = nlohmann::json::array();
        for (int program : stem.programs)
            programList.push_back(
                {{"program", program}, {"name", drums ? GmDrumKitName(program) : GmProgramName(program)}});
        stemList.push_back({{"channel", stem.channel},
                            {"file", stem.file},
                            {"drums", drums},
                            {"programs", programList},
                            {"notes", stem.notes},
                            {"loudness_lufs", stem.loudnessLufs}});
    }
    const nlohmann::json json = {{"mix", mix},
                                 {"soundfont", soundFont},
                                 {"sample_rate", sampleRate},
                                 {"channels", channels},
                                 {"seconds", seconds},
                                 {"stems", stemList}};
    // Names are bytes; those that are not UTF-8 get U+FFFD (the dump never throws).
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace tonalbox

#include "platform/audio/SoundFontCatalog.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <system_error>

#include <sys/stat.h>

#include "platform/ProgramPaths.h"
#include "platform/audio/Performance.h"

namespace tonalbox::audio {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultGm = "/usr/share/sounds/sf2/default-GM.sf2";

struct CatalogConfig {
    std::mutex mutex;
    std::string preferred;
    bool customFolders = false;
    std::vector<std::string> folders;
};

CatalogConfig& Config() {
    static CatalogConfig config;
    return config;
}

std::vector<std::string> InstalledFolders() {
    std::vector<std::string> folders;
    const std::string program = platform::ProgramFolder();
    if (!program.empty()) folders.push_back(program);
    folders.push_back("/usr/share/sounds/sf2");
    folders.push_back("/usr/share/sounds/sf3");
    folders.push_back("/usr/share/soundfonts");
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        folders.push_back(std::string(home) + "/.local/share/soundfonts");
    return folders;
}

bool HasSoundFontExtension(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".sf2" || ext == ".sf3";
}

// The canonical path of a readable regular SoundFont file, or empty.
std::string CanonicalSoundFont(const fs::path& p) {
    std::error_code ec;
    const fs::path real = fs::canonical(p, ec);
    if (ec || !fs::is_regular_file(real, ec) || ec) return {};
    return real.string();
}

// Whether FluidSynth loads the SoundFont: asked once for each version of
// a file (its size and time of change), as loading one takes a while.
bool LoadsCached(const std::string& canonical) {
    struct stat st {};
    if (::stat(canonical.c_str(), &st) != 0) return false;
    const std::string key = canonical + '\n' + std::to_string(st.st_size) + '\n' +
                            std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
    static std::mutex mutex;
    static std::map<std::string, bool> known;
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = known.find(key);
    if (it != known.end()) return it->second;
    const bool loads = Performance::LoadsSoundFont(canonical);
    known.emplace(key, loads);
    return loads;
}

uint64_t Fnv1a(const std::string& text, uint64_t seed) {
    uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

SoundFontPort MakePort(const std::string& path) {
    SoundFontPort port;
    const fs::path p(path);
    port.description = p.stem().string() + " (SoundFont synthesizer)";
    port.flags = kPortFlagAudioPath | kPortFlagSoftwareSynth;
    port.portClass = kPortClassOutput;
    port.type = kPortTypeUserModeSynth;
    port.maxAudioChannels = 2;
    port.maxVoices = kSynthPolyphony;
    port.maxChannelGroups = 1;
    port.effectFlags = kEffectReverb | kEffectChorus;
    port.guid = SoundFontCatalog::GuidForPath(path);
    port.path = path;
    return port;
}

}  // namespace

Guid SoundFontCatalog::GuidForPath(const std::string& canonicalPath) {
    const uint64_t a = Fnv1a(canonicalPath, 0xCBF29CE484222325ull);
    const uint64_t b = Fnv1a(canonicalPath, 0x84222325CBF29CE4ull ^ a);
    Guid g;
    g.data1 = static_cast<uint32_t>(a >> 32);
    g.data2 = static_cast<uint16_t>(a >> 16);
    g.data3 = static_cast<uint16_t>((a & 0x0FFFu) | 0x5000u);  // name-based identifier
    for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<uint8_t>(b >> (56 - 8 * i));
    g.data4[0] = static_cast<uint8_t>((g.data4[0] & 0x3Fu) | 0x80u);
    return g;
}

std::vector<SoundFontPort> SoundFontCatalog::List() {
    std::string preferred;
    bool custom = false;
    std::vector<std::string> folders;
    {
        CatalogConfig& config = Config();
        std::lock_guard<std::mutex> lock(config.mutex);
        preferred = config.preferred;
        custom = config.customFolders;
        folders = custom ? config.folders : InstalledFolders();
    }

    std::vector<std::string> files;
    std::set<std::string> seen;
    auto add = [&](const std::string& canonical) {
        if (!canonical.empty() && seen.insert(canonical).second) files.push_back(canonical);
    };
    if (!preferred.empty()) add(CanonicalSoundFont(preferred));
    if (!custom) add(CanonicalSoundFont(kDefaultGm));
    for (const std::string& folder : folders) {
        std::error_code ec;
        std::vector<fs::path> found;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (HasSoundFontExtension(it->path())) found.push_back(it->path());
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& p : found) add(CanonicalSoundFont(p));
    }

    // A file that does not load (damaged, cut short, not a SoundFont) is
    // no port to choose.
    std::vector<SoundFontPort> ports;
    ports.reserve(files.size());
    for (const std::string& f : files)
        if (LoadsCached(f)) ports.push_back(MakePort(f));
    return ports;
}

std::string SoundFontCatalog::DefaultSoundFont() { return kDefaultGm; }

std::optional<SoundFontPort> SoundFontCatalog::Find(const Guid& guid) {
    for (SoundFontPort& port : List())
        if (port.guid == guid) return port;
    return std::nullopt;
}

void SoundFontCatalog::SetPreferredSoundFont(const std::string& path) {
    CatalogConfig& config = Config();
    std::lock_guard<std::mutex> lock(config.mutex);
    config.preferred = path;
}

void SoundFontCatalog::SetSearchFolders(const std::vector<std::string>& folders) {
    CatalogConfig& config = Config();
    std::lock_guard<std::mutex> lock(config.mutex);
    config.customFolders = true;
    config.folders = folders;
}

void SoundFontCatalog::ResetSearchFolders() {
    CatalogConfig& config = Config();
    std::lock_guard<std::mutex> lock(config.mutex);
    config.customFolders = false;
    config.folders.clear();
}

}  // namespace tonalbox::audio

#include "cli/InputFiles.h"

#include <cerrno>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

#include "engine/MidiFileWalk.h"
#include "platform/ProgramPaths.h"

namespace tonalbox::cli {

namespace fs = std::filesystem;

namespace {

// Keeps the entries whose position keep accepts, in order.
void KeepIf(std::vector<InputEntry>& entries, const std::function<bool(size_t)>& keep) {
    size_t kept = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!keep(i)) continue;
        if (kept != i) entries[kept] = std::move(entries[i]);
        ++kept;
    }
    entries.resize(kept);
}

}  // namespace

std::vector<InputEntry> CollectInputs(std::vector<std::string> inputs, bool recursive,
                                      std::vector<std::string>* emptyFolders) {
    std::vector<InputEntry> entries;
    for (auto& input : inputs) {
        if (!platform::IsDirectory(input)) {
            entries.push_back({std::move(input), std::string::npos});
            continue;
        }
        const std::string folder = platform::WithTrailingSeparator(input);
        const size_t treeStart = recursive ? folder.size() : std::string::npos;
        const bool any = WalkMidiFolder(
            folder, recursive, [&](const std::string& path) { entries.push_back({path, treeStart}); },
            [&](const std::string& unreadable) {
                entries.push_back({unreadable, std::string::npos, true});
            });
        if (!any && emptyFolders != nullptr) {
            emptyFolders->push_back(input);
        }
    }
    return entries;
}

platform::Result ReadPathList(std::FILE* file, bool nul, std::vector<std::string>& paths) {
    char* line = nullptr;
    size_t capacity = 0;
    platform::Result result;
    for (ssize_t n; (n = ::getdelim(&line, &capacity, nul ? '\0' : '\n', file)) > 0;) {
        std::string path(line, static_cast<size_t>(n));
        if (!path.empty() && path.back() == (nul ? '\0' : '\n')) path.pop_back();
        if (!nul && path.find('\0') != std::string::npos) {
            result = platform::Result::Fail(EINVAL,
                                            "is not a text list of paths (it holds NUL bytes; use -0 for a "
                                            "NUL-separated list)");
            break;
        }
        if (!nul && !path.empty() && path.back() == '\r') path.pop_back();
        if (!path.empty()) paths.push_back(std::move(path));
    }
    if (result.ok() && std::ferror(file)) result = platform::Result::Fail(EIO, "can not be read");
    std::free(line);
    return result;
}

std::vector<std::pair<int, int>> FindRepeats(int count,
                                             const std::function<std::string(int)>& key) {
    // A hash of each key, not the keys themselves: the list is all that
    // grows with the number of inputs.
    std::vector<std::pair<size_t, int>> hashes;
    hashes.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) hashes.emplace_back(std::hash<std::string>{}(key(i)), i);
    std::sort(hashes.begin(), hashes.end());
    std::vector<std::pair<int, int>> repeats;
    for (size_t first = 0; first < hashes.size();) {
        size_t last = first + 1;
        while (last < hashes.size() && hashes[last].first == hashes[first].first) ++last;
        if (last - first > 1) {
            // One hash: compare the keys; the first of a key in list order leads.
            std::vector<std::pair<std::string, int>> same;
            for (size_t k = first; k < last; ++k) same.emplace_back(key(hashes[k].second), hashes[k].second);
            std::sort(same.begin(), same.end());
            for (size_t head = 0, k = 1; k < same.size(); ++k) {
                if (same[k].first != same[head].first) {
                    head = k;
                } else {
                    repeats.emplace_back(same[head].second, same[k].second);
                }
            }
        }
        first = last;
    }
    std::sort(repeats.begin(), repeats.end());
    return repeats;
}

void RemoveRepeats(std::vector<InputEntry>& entries) {
    std::vector<bool> repeat(entries.size(), false);
    const auto repeats = FindRepeats(static_cast<int>(entries.size()), [&](int i) {
        return platform::ResolvedPath(entries[static_cast<size_t>(i)].path);
    });
    for (const auto& [first, later] : repeats) repeat[static_cast<size_t>(later)] = true;
    KeepIf(entries, [&](size_t i) { return !repeat[i]; });
}

void PairWithSoundFonts(std::vector<InputEntry>& entries, const std::vector<std::string>& soundFonts) {
    std::vector<InputEntry> pairs;
    pairs.reserve(entries.size() * soundFonts.size());
    for (InputEntry& entry : entries) {
        if (entry.unreadableFolder) {
            pairs.push_back(std::move(entry));
            continue;
        }
        for (const std::string& font : soundFonts) {
            pairs.push_back(entry);
            pairs.back().soundFont = font;
        }
    }
    entries = std::move(pairs);
}

void KeepShard(std::vector<InputEntry>& entries, int index, int count) {
    KeepIf(entries, [&](size_t i) {
        return static_cast<int>(i % static_cast<size_t>(count)) == index - 1;
    });
}

}  // namespace tonalbox::cli

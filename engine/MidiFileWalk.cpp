#include "engine/MidiFileWalk.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/ProgramPaths.h"

namespace tonalbox {

namespace fs = std::filesystem;

bool IsMidiFileName(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return false;
    std::string ext = name.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == "mid" || ext == "midi" || ext == "kar" || ext == "rmi";
}

bool WalkMidiFolder(const std::string& folder, bool recursive,
                    const std::function<void(const std::string& path)>& found,
                    const std::function<void(const std::string& folder)>& unreadable) {
    std::vector<std::pair<std::string, bool>> names;  // name, is a folder to walk
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const std::string name = it->path().filename().string();
        if (it->is_directory(typeError)) {
            if (recursive && it->is_symlink(typeError) == false) names.emplace_back(name, true);
            continue;
        }
        if (IsMidiFileName(name)) names.emplace_back(name, false);
    }
    // The files such a folder holds are not lost without a word.
    const bool unread = static_cast<bool>(ec);
    if (unread && unreadable) unreadable(folder.substr(0, folder.size() - 1));
    std::sort(names.begin(), names.end());
    bool any = unread;
    for (const auto& [name, isFolder] : names) {
        if (isFolder) {
            any = WalkMidiFolder(folder + name + platform::kPathSeparator, true, found, unreadable) ||
                  any;
        } else {
            found(folder + name);
            any = true;
        }
    }
    return any;
}

}  // namespace tonalbox

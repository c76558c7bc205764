#include "cli/InputFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/ProgramPaths.h"

namespace tonalbox::cli {

namespace fs = std::filesystem;

bool IsMidiFileName(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return false;
    std::string ext = name.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == "mid" || ext == "midi" || ext == "kar" || ext == "rmi";
}

std::vector<std::string> CollectInputFiles(const std::vector<std::string>& inputs,
                                           std::vector<std::string>* emptyFolders) {
    std::vector<std::string> files;
    for (const auto& input : inputs) {
        if (!platform::IsDirectory(input)) {
            files.push_back(input);
            continue;
        }
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(input, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->is_directory(typeError)) continue;
            const std::string name = it->path().filename().string();
            if (IsMidiFileName(name)) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        if (names.empty() && emptyFolders != nullptr) emptyFolders->push_back(input);
        const std::string folder = platform::WithTrailingSeparator(input);
        for (const auto& name : names) files.push_back(folder + name);
    }
    return files;
}

}  // namespace tonalbox::cli

#include "engine/OutputNaming.h"

#include <sys/stat.h>

#include "platform/ProgramPaths.h"

namespace tonalbox {

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
    const auto slash = path.find_last_of(platform::kPathSeparator);
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return path + "." + ext;
    return path.substr(0, dot + 1) + ext;
}

std::string OutputPathFor(const std::string& source, const ConversionSettings& settings,
                          const std::string& folder, const std::string& soundFont) {
    const std::string base =
        settings.m_bSameAsSource
            ? source
            : (folder.empty() ? settings.m_strOutputFolder : folder) + platform::FileNameOf(source);
    std::string ext(options::OutputExtension(settings.m_nOutputFormat));
    if (!soundFont.empty()) ext = SoundFontLabel(soundFont) + "." + ext;
    return ReplaceExtension(base, ext);
}

std::string SoundFontLabel(const std::string& soundFont) {
    const std::string name = platform::FileNameOf(soundFont);
    return name.substr(0, name.find_last_of('.'));
}

std::string StemPathFor(const std::string& output, int channel) {
    const auto slash = output.find_last_of(platform::kPathSeparator);
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = output.find_last_of('.');
    const bool hasExt = dot != std::string::npos && dot >= nameStart;
    const std::string number = (channel < 10 ? "0" : "") + std::to_string(channel);
    const std::string stem = hasExt ? output.substr(0, dot) : output;
    return stem + ".ch" + number + (hasExt ? output.substr(dot) : std::string());
}

std::string StemSidecarPathFor(const std::string& output) { return ReplaceExtension(output, "json"); }

std::string PartialOutputPrefix(const std::string& output) {
    const auto slash = output.find_last_of(platform::kPathSeparator);
    const std::string folder = slash == std::string::npos ? "" : output.substr(0, slash + 1);
    return folder + "." + platform::FileNameOf(output) + ".part-";
}

std::string OutputIdentity(const std::string& output) {
    const std::string folder = platform::FolderOf(output);
    return platform::WithTrailingSeparator(platform::ResolvedPath(folder.empty() ? "." : folder)) +
           platform::FileNameOf(output);
}

bool IsFinishedOutput(const std::string& output) {
    struct stat st {};
    return ::stat(output.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

}  // namespace tonalbox

#pragma once
// "Option.dat": the 30 stored values of ConversionSettings, loaded when the
// window opens (or the command-line converter starts) and saved when it
// closes.

#include <string>

#include "engine/ConversionSettings.h"
#include "engine/SettingsArchive.h"

namespace tonalbox {

inline constexpr const char* kSettingsFileName = "Option.dat";

// Reads or writes the 30 values in their stored order; the direction comes
// from the archive. Returns false when the archive failed on the way.
bool SerializeSettings(SettingsArchive& archive, ConversionSettings& settings);

// Where the settings file lives: next to the program when the program's
// folder can be written, else in the user's configuration folder.
std::string SettingsFilePath(const std::string& fileName = kSettingsFileName);
std::string SettingsFilePathFor(const std::string& programFolder, const std::string& configFolder,
                                const std::string& fileName);

// 1 when the file was opened and read whole, 0 otherwise. A file that ends
// early or is damaged leaves `settings` as it was; no value is half-taken.
// A value outside the Options dialog's lists (sample rates, channels,
// bitrate, encode mode, VBR quality) loads as that field's default.
int LoadSettings(const std::string& path, ConversionSettings& settings);

// 1 when the file was written, 0 when it cannot be. Writes a new file
// beside the old one and renames it over, so the old settings survive a
// failed save. Creates the configuration folder when it is missing.
int SaveSettings(const std::string& path, const ConversionSettings& settings);

}  // namespace tonalbox

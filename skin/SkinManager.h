#pragma once
// The skin engine as the program uses it: one process-wide manager that
// gives every window of the application the look of a skin file.

#include <cstdint>
#include <string>

namespace tonalbox::skin {

// Marks the process DPI-aware where the platform needs it; otherwise
// does nothing.
void EnableDpiAwareness();

class SkinManager {
public:
    // The single manager, created on first use.
    static SkinManager& Instance();

    // The options word; a new manager starts with 15 (bits 0..3).
    uint32_t GetOptions() const;
    // Stores the word and, when a skin is loaded, applies it again.
    void SetOptions(uint32_t options);

    // Loads the skin file and applies the named colour scheme to the whole
    // application. Returns false (and leaves the standard look) when the
    // file is missing, unreadable or has no such scheme.
    bool LoadSkinFile(const std::string& path, const std::string& scheme);

private:
    SkinManager() = default;
    uint32_t m_options = 15;
    bool m_loaded = false;
    std::string m_path;
    std::string m_scheme;
};

}  // namespace tonalbox::skin

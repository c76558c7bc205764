#pragma once
// The skin engine as the program uses it: one process-wide manager that
// gives every window of the application the look of a skin file.

#include <cstdint>
#include <memory>
#include <string>

namespace tonalbox::skin {

// Marks the process DPI-aware where the platform needs it; otherwise
// does nothing.
void EnableDpiAwareness();

class SkinManager {
public:
    // The single manager, created on first use.
    static SkinManager& Instance();

    // Option bits. Window frames and captions belong to the window manager
    // here, so kOptionFrames is kept but changes nothing.
    static constexpr uint32_t kOptionFrames = 1;      // bit 0
    static constexpr uint32_t kOptionColors = 2;      // bit 1: the palette
    static constexpr uint32_t kOptionControls = 4;    // bit 2: drawn controls (style sheet)
    static constexpr uint32_t kOptionStyle = 8;       // bit 3: the skin's widget style

    // The options word; a new manager starts with 15 (bits 0..3).
    uint32_t GetOptions() const;
    // Stores the word and, when a skin is loaded, applies it again.
    void SetOptions(uint32_t options);

    // Loads the skin file and applies the named colour scheme to the whole
    // application. Returns false (and leaves the standard look) when the
    // file is missing, unreadable or has no such scheme.
    bool LoadSkinFile(const std::string& path, const std::string& scheme);

    // True while a skin is loaded and active.
    bool IsLoaded() const { return m_loaded; }

    ~SkinManager();
    SkinManager(const SkinManager&) = delete;
    SkinManager& operator=(const SkinManager&) = delete;

private:
    struct Look;
    SkinManager();
    void Apply();
    void RestoreStandardLook();
    void UseStyle(const std::string& name);

    uint32_t m_options = 15;
    bool m_loaded = false;
    std::string m_path;
    std::string m_scheme;
    std::unique_ptr<Look> m_standard;  // the look before the first skin
    std::unique_ptr<Look> m_skin;      // the loaded scheme's look
    std::string m_styleInUse;          // widget style last set; empty: untouched
};

}  // namespace tonalbox::skin

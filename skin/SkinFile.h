#pragma once
// A skin file: a text file of INI-style colour schemes.
//
//   ; comment
//   [NormalBlue.ini]
//   Window = #dde7f5
//   ButtonText = 16, 40, 80
//
// Section and key names are matched without regard to case, as in the INI
// files they are modelled on. Lines that are neither a section, a
// key = value pair, a comment nor blank make the file invalid.

#include <cstddef>
#include <map>
#include <string>

#include "skin/SkinScheme.h"

namespace tonalbox::skin {

class SkinFile {
public:
    // Files larger than this are not skin files and are refused.
    static constexpr std::size_t kMaxFileSize = 256 * 1024;

    // Reads and parses the file. False when it is missing, unreadable,
    // too large or malformed; the object is then empty.
    bool Load(const std::string& path);
    // Parses text already in memory; same rules as Load.
    bool Parse(const std::string& text);

    // The scheme of that name, or nullptr.
    const SkinScheme* FindScheme(const std::string& name) const;
    std::size_t SchemeCount() const { return m_schemes.size(); }

    // 1-based line of the first error of the last Load/Parse, 0 if none.
    int ErrorLine() const { return m_nErrorLine; }

private:
    std::map<std::string, SkinScheme> m_schemes;  // key: lower-case name
    int m_nErrorLine = 0;
};

}  // namespace tonalbox::skin

#include "skin/SkinFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace tonalbox::skin {
namespace {

std::string Trim(const std::string& s) {
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto b = std::find_if_not(s.begin(), s.end(), isBlank);
    auto e = std::find_if_not(s.rbegin(), s.rend(), isBlank).base();
    return b < e ? std::string(b, e) : std::string();
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

bool SkinFile::Load(const std::string& path) {
    m_schemes.clear();
    m_nErrorLine = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string text;
    // Read at most one byte past the limit, enough to know it is too big.
    text.resize(kMaxFileSize + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return false;
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxFileSize) return false;
    return Parse(text);
}

bool SkinFile::Parse(const std::string& text) {
    m_schemes.clear();
    m_nErrorLine = 0;
    if (text.find('\0') != std::string::npos) {
        m_nErrorLine = 1;
        return false;
    }
    std::size_t pos = 0;
    // A UTF-8 byte order mark is allowed at the start.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;

    SkinScheme* current = nullptr;
    int line = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string raw = Trim(text.substr(pos, end - pos));
        ++line;
        pos = end + 1;

        if (raw.empty() || raw[0] == ';' || raw[0] == '#') continue;
        if (raw.front() == '[') {
            if (raw.back() != ']' || raw.size() < 3) {
                m_nErrorLine = line;
                break;
            }
            std::string name = Trim(raw.substr(1, raw.size() - 2));
            if (name.empty()) {
                m_nErrorLine = line;
                break;
            }
            // A repeated section continues the earlier one.
            auto [it, inserted] = m_schemes.try_emplace(Lower(name), SkinScheme(name));
            current = &it->second;
            continue;
        }
        std::size_t eq = raw.find('=');
        std::string key = eq == std::string::npos ? std::string() : Trim(raw.substr(0, eq));
        if (current == nullptr || key.empty()) {
            m_nErrorLine = line;
            break;
        }
        current->Set(key, Trim(raw.substr(eq + 1)));
    }
    if (m_nErrorLine != 0) {
        m_schemes.clear();
        return false;
    }
    return true;
}

const SkinScheme* SkinFile::FindScheme(const std::string& name) const {
    auto it = m_schemes.find(Lower(name));
    return it == m_schemes.end() ? nullptr : &it->second;
}

}  // namespace tonalbox::skin

#include "tests/support/TempDir.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace tonalbox::testsupport {

TempDir::TempDir(const std::string& prefix) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) != nullptr) m_path = buf.data();
}

TempDir::~TempDir() {
    if (m_path.empty()) return;
    std::error_code ec;
    // Make read-only folders removable again before deleting.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code ignored;
        if (it->is_directory(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::File(const std::string& name) const { return m_path + "/" + name; }

}  // namespace tonalbox::testsupport

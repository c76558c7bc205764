#pragma once
// A unique temporary folder, removed with everything in it when the object
// is destroyed.

#include <string>

namespace tonalbox::testsupport {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "tonalbox-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator (empty if creation failed).
    const std::string& Path() const { return m_path; }
    // Path of `name` inside the folder.
    std::string File(const std::string& name) const;

private:
    std::string m_path;
};

}  // namespace tonalbox::testsupport

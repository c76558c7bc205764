#include "tests/support/TmpfsMount.h"

#include <sys/mount.h>

namespace tonalbox::testsupport {

TmpfsMount::TmpfsMount(uint64_t bytes) {
    if (m_dir.Path().empty()) return;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    m_mounted = ::mount("tmpfs", m_dir.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

TmpfsMount::~TmpfsMount() {
    if (m_mounted) ::umount2(m_dir.Path().c_str(), MNT_DETACH);
}

}  // namespace tonalbox::testsupport

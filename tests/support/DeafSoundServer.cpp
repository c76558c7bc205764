#include "tests/support/DeafSoundServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace tonalbox::testsupport {

DeafSoundServer::DeafSoundServer() {
    const std::string path = m_dir.File("native");
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    m_listening = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::listen(m_fd, 8) == 0;
    if (const char* old = std::getenv("PULSE_SERVER")) {
        m_hadOld = true;
        m_old = old;
    }
    ::setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
}

DeafSoundServer::~DeafSoundServer() {
    if (m_hadOld) ::setenv("PULSE_SERVER", m_old.c_str(), 1); else ::unsetenv("PULSE_SERVER");
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace tonalbox::testsupport

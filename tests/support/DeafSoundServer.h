#pragma once
// A sound server that never answers: a socket that takes connections into
// its queue and never reads them. PULSE_SERVER points at it while the
// object lives.

#include <string>

#include "tests/support/TempDir.h"

namespace tonalbox::testsupport {

class DeafSoundServer {
public:
    DeafSoundServer();
    ~DeafSoundServer();
    DeafSoundServer(const DeafSoundServer&) = delete;
    DeafSoundServer& operator=(const DeafSoundServer&) = delete;

    bool Listening() const { return m_listening; }

private:
    TempDir m_dir{"tonalbox-deaf"};
    int m_fd = -1;
    bool m_listening = false;
    bool m_hadOld = false;
    std::string m_old;
};

}  // namespace tonalbox::testsupport

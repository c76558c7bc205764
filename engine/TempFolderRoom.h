#pragma once
// The room the temporary folder has for the temporary WAV files of the
// runs of this process. Every run reserves its file's bytes before it
// renders, so that runs side by side never fill a folder together that
// each of their files fits in alone.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace tonalbox {

class TempFolderRoom {
public:
    enum class Grant { Granted, TooBig, Cancelled };

    // The one budget all runs of the process share.
    static TempFolderRoom& Shared();

    // Reserves `bytes` in `folder`. Waits while the room the file needs is
    // held by other runs; TooBig when the file would not fit even alone;
    // Cancelled when `cancel` is set while waiting.
    Grant Reserve(const std::string& folder, uint64_t bytes, const std::atomic<int>& cancel);
    // Gives back what a Reserve granted, once the file is gone or emptied.
    void Release(uint64_t bytes);

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    uint64_t m_held = 0;
    // The free space with nothing of ours in the folder: measured whenever
    // nothing is held, as files of ours being written already use it.
    uint64_t m_room = 0;
};

}  // namespace tonalbox

#pragma once
// The input list shared by the parallel runs of one command: each run
// takes the next file when it is ready for one, so a run that got short
// files takes more of them.

#include <mutex>
#include <string>
#include <vector>

#include "engine/IPathList.h"

namespace tonalbox::cli {

class JobQueue {
public:
    explicit JobQueue(std::vector<std::string> paths) : m_paths(std::move(paths)) {}

    // Takes the next file; returns its position in the whole list, or -1
    // when every file has been taken.
    int Claim();

    int Total() const { return static_cast<int>(m_paths.size()); }
    const std::string& Path(int position) const { return m_paths[static_cast<size_t>(position)]; }

private:
    const std::vector<std::string> m_paths;
    std::mutex m_mutex;
    int m_next = 0;
};

// One run's view of the queue. The run reads the count before every file:
// when it has been handed every file it holds, asking for the count takes
// the next file from the queue, so the count grows by one while files are
// left and stays put at the end.
class JobPathList : public IPathList {
public:
    explicit JobPathList(JobQueue& queue) : m_queue(queue) {}

    int GetCount() const override;
    std::string GetPath(int index) const override;

    // Position in the whole list of the entry last handed out, or -1.
    int CurrentPosition() const;
    // The positions taken so far, in the order this run took them.
    std::vector<int> Taken() const;

private:
    JobQueue& m_queue;
    mutable std::mutex m_mutex;
    mutable std::vector<int> m_taken;
    mutable int m_handedOut = 0;
    mutable int m_current = -1;
};

}  // namespace tonalbox::cli

#pragma once
// The input list shared by the parallel runs of one command: each run
// takes the next file when it is ready for one, so a run that got short
// files takes more of them.
//
// Entries whose outputs are one file (by resolved path: "d/s.mid" and
// "./d/s.midi" both make d/s.mp3) are taken together, by one run, in list
// order, so the later ones meet the earlier one's output through the
// usual overwrite rule; every other entry stays free for any run.
//
// The entries go out in list order, or, with several runs, longest piece
// first: a long piece handed out last would leave one run working alone
// at the end. Only when each file runs changes: positions (shards, the
// report, the console's counter) stay those of the list.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cli/InputFiles.h"
#include "engine/ConversionSettings.h"
#include "engine/IPathList.h"

namespace tonalbox::cli {

class RunReport;

class JobQueue {
public:
    // With skipExisting, an entry whose output exists is not handed out
    // but recorded in report (when there is one) as skipped.
    JobQueue(std::vector<InputEntry> entries, const ConversionSettings& settings,
             bool skipExisting = false, RunReport* report = nullptr);

    // Takes the next entry and those that share its output, in list
    // order, into group; false when every entry has been taken. Before an
    // entry is handed out, leftovers of a killed run's partial output
    // for it are removed and its output folder is created.
    bool Claim(std::vector<int>& group);

    // With more than one run, and before the first claim, orders the
    // entries by their seconds, longest first: a group of entries sharing
    // an output by the sum of its entries' (one run plays them all), ties
    // in list order. With one run the list order stays and nothing is read;
    // an entry --skip-existing will leave is never read.
    void OrderByLength(int runs, const std::function<double(int position)>& seconds);

    int Total() const { return static_cast<int>(m_entries.size()); }
    const std::string& Path(int position) const {
        return m_entries[static_cast<size_t>(position)].path;
    }
    // The SoundFont the entry renders with, empty for the run's own.
    const std::string& SoundFont(int position) const {
        return m_entries[static_cast<size_t>(position)].soundFont;
    }
    // The output folder of the entry, empty for the settings' own.
    std::string OutputFolder(int position) const;
    // The entry's output; empty for a folder that could not be read,
    // which is never handed out.
    std::string OutputPath(int position) const;
    static std::string OutputFolderOf(const InputEntry& entry, const ConversionSettings& settings);
    static std::string OutputPathOf(const InputEntry& entry, const ConversionSettings& settings);
    // Entries left out because their output existed.
    int SkippedCount() const;

private:
    void GroupSharedOutputs();
    bool Prepare(int position);  // false: skipped
    void RemoveLeftovers(const std::string& output);

    const std::vector<InputEntry> m_entries;
    const ConversionSettings m_settings;
    const bool m_skipExisting;
    RunReport* const m_report;
    std::map<int, std::vector<int>> m_followers;  // first entry -> the later ones
    // The first entries of the groups (alone or followed), in the order
    // they are handed out.
    std::vector<int> m_order;
    mutable std::mutex m_mutex;
    size_t m_next = 0;
    int m_skipped = 0;
    // The partial outputs found in each folder looked at, listed once: in
    // length order the folders come back.
    std::map<std::string, std::vector<std::string>> m_leftovers;
    std::string m_createdFolder;
};

// One run's view of the queue. The run claims entries before every file:
// when it has been handed every file it holds, the claim takes the next
// group from the queue, so the count grows while files are left and stays
// put at the end.
class JobPathList : public IPathList {
public:
    explicit JobPathList(JobQueue& queue) : m_queue(queue) {}

    void ClaimNextEntries() override;
    int GetCount() const override;
    std::string GetPath(int index) const override;
    std::string GetOutputFolder(int index) const override;
    std::string GetSoundFont(int index) const override;

    // Position in the whole list of the run's entry index, or -1.
    int PositionOf(int index) const;

private:
    JobQueue& m_queue;
    mutable std::mutex m_mutex;
    // The positions taken and not yet passed, from run index m_firstIndex.
    mutable std::deque<int> m_taken;
    mutable int m_firstIndex = 0;
    mutable int m_handedOut = 0;
};

}  // namespace tonalbox::cli

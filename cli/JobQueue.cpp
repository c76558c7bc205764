#include "cli/JobQueue.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "cli/RunReport.h"
#include "engine/OutputNaming.h"
#include "platform/ProgramPaths.h"

namespace tonalbox::cli {

namespace fs = std::filesystem;

namespace {

constexpr size_t kPartialSuffixLength = 6;  // the random characters after the prefix

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of(platform::kPathSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The output's resolved path: the folder's real path plus the name. The
// entries come folder by folder, so the last folder is kept.
class OutputResolver {
public:
    std::string operator()(const std::string& output) {
        const std::string folder = FolderOf(output);
        if (folder != m_folder || m_resolved.empty()) {
            m_folder = folder;
            m_resolved = platform::WithTrailingSeparator(platform::ResolvedPath(folder.empty() ? "." : folder));
        }
        return m_resolved + platform::FileNameOf(output);
    }

private:
    std::string m_folder;
    std::string m_resolved;
};

}  // namespace

JobQueue::JobQueue(std::vector<InputEntry> entries, const ConversionSettings& settings,
                   bool skipExisting, RunReport* report)
    : m_entries(std::move(entries)), m_settings(settings), m_skipExisting(skipExisting),
      m_report(report) {
    GroupSharedOutputs();
}

void JobQueue::GroupSharedOutputs() {
    OutputResolver resolve;
    // A folder that could not be read has no output; a key no path has
    // keeps it apart.
    auto key = [&](int i) {
        return m_entries[static_cast<size_t>(i)].unreadableFolder ? "\n" + std::to_string(i)
                                                                  : resolve(OutputPath(i));
    };
    std::vector<bool> isFollower(m_entries.size(), false);
    for (const auto& [first, later] : FindRepeats(Total(), key)) {
        m_followers[first].push_back(later);
        isFollower[static_cast<size_t>(later)] = true;
    }
    for (int i = 0; i < Total(); ++i) {
        if (!isFollower[static_cast<size_t>(i)]) m_order.push_back(i);
    }
}

void JobQueue::OrderByLength(int runs, const std::function<double(int position)>& seconds) {
    if (runs <= 1) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    // Each file is read once, though several SoundFonts make it several
    // entries.
    std::map<std::string, double> read;
    auto lengthOf = [&](int position) {
        // A folder that could not be read has no piece, and an entry that
        // --skip-existing will leave is not read: a resumed run over a
        // large library would open every file it has done. A NaN would not
        // sort.
        if (m_entries[static_cast<size_t>(position)].unreadableFolder) return 0.0;
        if (m_skipExisting && IsFinishedOutput(OutputPath(position))) return 0.0;
        const auto [known, fresh] = read.try_emplace(Path(position), 0.0);
        if (fresh) {
            const double s = seconds(position);
            known->second = s >= 0.0 ? s : 0.0;
        }
        return known->second;
    };
    std::vector<double> groupSeconds(m_entries.size(), 0.0);  // by the group's first entry
    for (const int head : m_order) {
        double& sum = groupSeconds[static_cast<size_t>(head)];
        sum = lengthOf(head);
        if (const auto it = m_followers.find(head); it != m_followers.end()) {
            for (const int follower : it->second) sum += lengthOf(follower);
        }
    }
    std::stable_sort(m_order.begin() + static_cast<std::ptrdiff_t>(m_next), m_order.end(), [&](int a, int b) {
        return groupSeconds[static_cast<size_t>(a)] > groupSeconds[static_cast<size_t>(b)];
    });
}

std::string JobQueue::OutputFolderOf(const InputEntry& entry, const ConversionSettings& settings) {
    if (settings.m_bSameAsSource || entry.treeStart == std::string::npos) return {};
    const std::string below = FolderOf(entry.path);
    if (below.size() <= entry.treeStart) return {};
    return settings.m_strOutputFolder + below.substr(entry.treeStart);
}

std::string JobQueue::OutputPathOf(const InputEntry& entry, const ConversionSettings& settings) {
    if (entry.unreadableFolder) return {};
    return OutputPathFor(entry.path, settings, OutputFolderOf(entry, settings), entry.soundFont);
}

std::string JobQueue::OutputFolder(int position) const {
    return OutputFolderOf(m_entries[static_cast<size_t>(position)], m_settings);
}

std::string JobQueue::OutputPath(int position) const {
    return OutputPathOf(m_entries[static_cast<size_t>(position)], m_settings);
}

int JobQueue::SkippedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_skipped;
}

bool JobQueue::Claim(std::vector<int>& group) {
    std::lock_guard<std::mutex> lock(m_mutex);
    group.clear();
    while (group.empty() && m_next < m_order.size()) {
        const int head = m_order[m_next++];
        if (Prepare(head)) group.push_back(head);
        if (const auto it = m_followers.find(head); it != m_followers.end()) {
            for (const int follower : it->second) {
                if (Prepare(follower)) group.push_back(follower);
            }
        }
    }
    return !group.empty();
}

bool JobQueue::Prepare(int position) {
    // Recorded as failed before the runs began.
    if (m_entries[static_cast<size_t>(position)].unreadableFolder) return false;
    const std::string output = OutputPath(position);
    RemoveLeftovers(output);
    if (m_skipExisting && IsFinishedOutput(output)) {
        ++m_skipped;
        if (m_report != nullptr) {
            FileRecord record;
            record.input = Path(position);
            record.audio.soundFont = SoundFont(position);
            record.output = output;
            record.status = kStatusSkipped;
            m_report->Add(position, record);
        }
        return false;
    }
    const std::string folder = OutputFolder(position);
    if (!folder.empty() && folder != m_createdFolder) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        m_createdFolder = folder;
    }
    return true;
}

// Only the partial files of this output that no live process holds go:
// another command writing into the same folder (another shard, or the
// same command started twice) may have its own in progress.
void JobQueue::RemoveLeftovers(const std::string& output) {
    const std::string folder = FolderOf(output);
    auto [found, firstLook] = m_leftovers.try_emplace(folder);
    std::vector<std::string>& leftovers = found->second;
    if (firstLook) {
        std::error_code ec;
        for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() > 1 && name[0] == '.' && name.find(".part-") != std::string::npos)
                leftovers.push_back(name);
        }
    }
    if (leftovers.empty()) return;
    const std::string prefix = platform::FileNameOf(PartialOutputPrefix(output));
    for (auto it = leftovers.begin(); it != leftovers.end();) {
        if (it->size() == prefix.size() + kPartialSuffixLength && it->rfind(prefix, 0) == 0) {
            platform::RemoveUnlessHeld(folder + *it);
            it = leftovers.erase(it);
        } else {
            ++it;
        }
    }
}

void JobPathList::ClaimNextEntries() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handedOut < m_firstIndex + static_cast<int>(m_taken.size())) return;
    std::vector<int> group;
    if (m_queue.Claim(group)) m_taken.insert(m_taken.end(), group.begin(), group.end());
}

int JobPathList::GetCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_firstIndex + static_cast<int>(m_taken.size());
}

std::string JobPathList::GetPath(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < m_firstIndex || index >= m_firstIndex + static_cast<int>(m_taken.size()))
        return {};
    // The run goes forward: what lies before index is not asked for again.
    while (m_firstIndex < index) {
        m_taken.pop_front();
        ++m_firstIndex;
    }
    if (index + 1 > m_handedOut) m_handedOut = index + 1;
    return m_queue.Path(m_taken.front());
}

std::string JobPathList::GetOutputFolder(int index) const {
    const int position = PositionOf(index);
    return position < 0 ? std::string() : m_queue.OutputFolder(position);
}

std::string JobPathList::GetSoundFont(int index) const {
    const int position = PositionOf(index);
    return position < 0 ? std::string() : m_queue.SoundFont(position);
}

int JobPathList::PositionOf(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < m_firstIndex || index >= m_firstIndex + static_cast<int>(m_taken.size()))
        return -1;
    return m_taken[static_cast<size_t>(index - m_firstIndex)];
}

}  // namespace tonalbox::cli

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "cli/InputFiles.h"
#include "cli/JobQueue.h"
#include "tests/support/TempDir.h"

namespace tonalbox::cli {
namespace {

ConversionSettings Settings() {
    ConversionSettings settings = ConversionSettings::Defaults();
    settings.m_strOutputFolder = "/nonexistent-out/";
    return settings;
}

std::vector<InputEntry> Entries(const std::vector<std::string>& paths) {
    std::vector<InputEntry> entries;
    for (const auto& path : paths) entries.push_back({path});
    return entries;
}

int Total(const std::vector<std::string>& paths) { return static_cast<int>(paths.size()); }

// The count after a claim, as the run reads it before every entry.
int Claimed(IPathList& list) {
    list.ClaimNextEntries();
    return list.GetCount();
}

// Reads a list the way the run does.
std::vector<std::string> Drain(IPathList& list) {
    std::vector<std::string> got;
    for (int i = 0; i < Claimed(list); ++i) got.push_back(list.GetPath(i));
    return got;
}

TEST(JobQueue, OneListSeesEveryFileInOrder) {
    JobQueue queue(Entries({"a", "b", "c"}), Settings());
    JobPathList list(queue);
    EXPECT_EQ(Drain(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.PositionOf(2), 2);
    EXPECT_EQ(Claimed(list), 3) << "the count stays put at the end";
}

TEST(JobQueue, AClaimTakesOneFileOnlyWhenTheLastOneWasHandedOut) {
    JobQueue queue(Entries({"a", "b"}), Settings());
    JobPathList first(queue), second(queue);
    EXPECT_EQ(first.GetCount(), 0) << "counting takes nothing";
    EXPECT_EQ(Claimed(first), 1);
    EXPECT_EQ(Claimed(first), 1) << "claiming again takes nothing more";
    EXPECT_EQ(Claimed(second), 1);
    EXPECT_EQ(second.GetPath(0), "b");
    EXPECT_EQ(second.PositionOf(0), 1);
    EXPECT_EQ(Claimed(second), 1);
    EXPECT_EQ(first.GetPath(0), "a");
    EXPECT_EQ(Claimed(first), 1);
    EXPECT_EQ(first.GetPath(5), "") << "an index past the list gives no path";
}

TEST(JobQueue, ParallelListsShareTheFilesWithoutOverlap) {
    std::vector<std::string> paths;
    // Appended, not "f" + a temporary: GCC 12 at -O3 warns falsely on that.
    for (int i = 0; i < 500; ++i) paths.push_back(std::string("f").append(std::to_string(i)));
    JobQueue queue(Entries(paths), Settings());
    JobPathList lists[3] = {JobPathList(queue), JobPathList(queue), JobPathList(queue)};
    std::vector<std::string> got[3];
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) threads.emplace_back([&, t] { got[t] = Drain(lists[t]); });
    for (auto& th : threads) th.join();

    std::vector<std::string> all;
    for (const auto& g : got) all.insert(all.end(), g.begin(), g.end());
    std::sort(all.begin(), all.end());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(all, paths);
}

TEST(JobQueue, EntriesOfOneOutputGoToOneListInOrderTheRestStayFree) {
    // s.mid and ./s.midi both make d/s.mp3 next to themselves.
    ConversionSettings settings = Settings();
    settings.m_bSameAsSource = 1;
    JobQueue queue(Entries({"/m/d/s.mid", "/m/c.mid", "/m/d/./s.midi", "/m/e.mid"}), settings);
    JobPathList first(queue), second(queue);
    EXPECT_EQ(Claimed(first), 2) << "the pair is taken together";
    EXPECT_EQ(Claimed(second), 1) << "the next free file goes to the other list";
    EXPECT_EQ(second.GetPath(0), "/m/c.mid");
    EXPECT_EQ(first.GetPath(0), "/m/d/s.mid");
    EXPECT_EQ(first.GetPath(1), "/m/d/./s.midi");
    EXPECT_EQ(Claimed(first), 3);
    EXPECT_EQ(first.GetPath(2), "/m/e.mid");
    EXPECT_EQ(first.PositionOf(2), 3);
}

TEST(JobQueue, SeveralRunsTakeTheLongestPiecesFirst) {
    // Entries 1 and 4 make one output (d/s.mp3): they go as one, in list
    // order, by the sum of their seconds. An entry whose output is already
    // there is left by --skip-existing, and not read for its length.
    testsupport::TempDir dir("tonalbox-order");
    std::filesystem::create_directories(dir.File("d"));
    std::vector<std::string> paths;
    for (const char* name : {"a.mid", "d/s.mid", "b.mid", "c.mid", "d/./s.midi", "e.mid"})
        paths.push_back(dir.File(name));
    const double unreadable = std::nan("");
    struct Case {
        const char* what;
        int runs;
        std::vector<double> seconds;
        std::vector<int> order;
        std::vector<int> finished;  // entries whose output exists
    };
    const Case cases[] = {
        {"one run: list order", 1, {10, 20, 30, 40, 50, 60}, {0, 1, 4, 2, 3, 5}, {}},
        {"longest first, the pair by its sum", 2, {10, 20, 30, 40, 15, 60}, {5, 3, 1, 4, 2, 0}, {}},
        {"ties in list order, unreadable last", 3, {7, 3, 7, unreadable, 4, 7}, {0, 1, 4, 2, 5, 3}, {}},
        {"finished outputs are not read", 2, {10, 20, 30, 40, 15, 60}, {5, 1, 4, 0}, {2, 3}},
    };
    ConversionSettings settings = Settings();
    settings.m_bSameAsSource = 1;
    for (const Case& c : cases) {
        JobQueue queue(Entries(paths), settings, true);
        for (int position : c.finished) std::ofstream(queue.OutputPath(position)) << "made before";
        std::set<int> read;
        queue.OrderByLength(c.runs, [&](int position) {
            read.insert(position);
            return c.seconds[static_cast<size_t>(position)];
        });
        std::vector<int> order, group;
        while (queue.Claim(group)) order.insert(order.end(), group.begin(), group.end());
        EXPECT_EQ(order, c.order) << c.what;
        std::set<int> unfinished;
        for (int i = 0; i < Total(paths) && c.runs > 1; ++i)
            if (std::find(c.finished.begin(), c.finished.end(), i) == c.finished.end()) unfinished.insert(i);
        EXPECT_EQ(read, unfinished) << c.what;
        for (int position : c.finished) std::filesystem::remove(queue.OutputPath(position));
    }
    // With several SoundFonts a file is several entries, and read once.
    std::vector<InputEntry> pairs = Entries({paths[0], paths[2]});
    PairWithSoundFonts(pairs, {"x.sf2", "y.sf2"});
    JobQueue queue(std::move(pairs), settings);
    std::multiset<std::string> read;
    queue.OrderByLength(2, [&](int position) {
        read.insert(queue.Path(position));
        return 1.0;
    });
    EXPECT_EQ(read, (std::multiset<std::string>{paths[0], paths[2]}));
}

TEST(JobQueue, RecursiveEntriesKeepTheirFolderBelowTheWalkedOne) {
    JobQueue queue({{"/in/set7/part2/x.mid", 4}, {"/in/y.mid", 4}, {"/z/w.mid"}}, Settings());
    EXPECT_EQ(queue.OutputPath(0), "/nonexistent-out/set7/part2/x.mp3");
    EXPECT_EQ(queue.OutputPath(1), "/nonexistent-out/y.mp3");
    EXPECT_EQ(queue.OutputFolder(2), "");
}

}  // namespace
}  // namespace tonalbox::cli

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "cli/JobQueue.h"

namespace tonalbox::cli {
namespace {

// Reads a list the way the run does: the count before every entry.
std::vector<std::string> Drain(const IPathList& list) {
    std::vector<std::string> got;
    for (int i = 0; i < list.GetCount(); ++i) got.push_back(list.GetPath(i));
    return got;
}

TEST(JobQueue, OneListSeesEveryFileInOrder) {
    JobQueue queue({"a", "b", "c"});
    JobPathList list(queue);
    EXPECT_EQ(list.CurrentPosition(), -1);
    EXPECT_EQ(Drain(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.CurrentPosition(), 2);
    EXPECT_EQ(list.GetCount(), 3) << "the count stays put at the end";
}

TEST(JobQueue, CountTakesOneFileOnlyWhenTheLastOneWasHandedOut) {
    JobQueue queue({"a", "b"});
    JobPathList first(queue), second(queue);
    EXPECT_EQ(first.GetCount(), 1);
    EXPECT_EQ(first.GetCount(), 1) << "asking again takes nothing more";
    EXPECT_EQ(second.GetCount(), 1);
    EXPECT_EQ(second.GetPath(0), "b");
    EXPECT_EQ(second.CurrentPosition(), 1);
    EXPECT_EQ(second.GetCount(), 1);
    EXPECT_EQ(first.GetPath(0), "a");
    EXPECT_EQ(first.GetCount(), 1);
    EXPECT_EQ(first.GetPath(5), "") << "an index past the list gives no path";
}

TEST(JobQueue, ParallelListsShareTheFilesWithoutOverlap) {
    std::vector<std::string> paths;
    // Appended, not "f" + a temporary: GCC 12 at -O3 warns falsely on that.
    for (int i = 0; i < 500; ++i) paths.push_back(std::string("f").append(std::to_string(i)));
    JobQueue queue(paths);
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
    for (int t = 0; t < 3; ++t) {
        const auto taken = lists[t].Taken();
        EXPECT_TRUE(std::is_sorted(taken.begin(), taken.end())) << "each takes in list order";
    }
}

}  // namespace
}  // namespace tonalbox::cli

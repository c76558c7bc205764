// Merges the --report files of the shards of one batch into one summary:
//   bench_merge_reports REPORT...
// Counts the per-file records by status, sums music seconds and bytes,
// takes the longest shard's wall time, and names inputs recorded twice
// and reports without a totals line (a shard that did not finish).
// Exit status 0 when every file was converted or skipped, 1 otherwise.

#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: %s REPORT...\n", argv[0]);
        return 2;
    }
    std::map<std::string, long> byStatus;
    std::unordered_map<std::string, int> seen;
    double music = 0.0, wall = 0.0;
    unsigned long long bytes = 0;
    long files = 0, twice = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i]);
        if (!in) {
            std::fprintf(stderr, "can not read %s\n", argv[i]);
            return 2;
        }
        bool finished = false;
        long line = 0;
        for (std::string text; std::getline(in, text);) {
            ++line;
            const auto record = nlohmann::json::parse(text, nullptr, false);
            if (record.is_discarded() || !record.is_object()) {
                std::fprintf(stderr, "%s:%ld: not a JSON record\n", argv[i], line);
                continue;
            }
            if (record.contains("totals")) {
                finished = true;
                wall = std::max(wall, record["totals"].value("wall_seconds", 0.0));
                continue;
            }
            ++files;
            ++byStatus[record.value("status", "?")];
            music += record.value("music_seconds", 0.0);
            bytes += record.value("bytes", 0ull);
            if (++seen[record.value("input", "")] == 2) {
                ++twice;
                std::printf("recorded twice: %s\n", record.value("input", "").c_str());
            }
        }
        if (!finished) std::printf("no totals (the shard did not finish): %s\n", argv[i]);
    }
    std::printf("reports: %d, files: %ld", argc - 1, files);
    for (const auto& [status, count] : byStatus) std::printf(", %s: %ld", status.c_str(), count);
    std::printf("\nmusic: %.1f s, bytes: %llu, wall (longest shard): %.1f s, inputs recorded twice: %ld\n",
                music, bytes, wall, twice);
    const long done = byStatus["converted"] + byStatus["skipped"];
    return done == files && twice == 0 ? 0 : 1;
}

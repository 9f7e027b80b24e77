// Times Check Feed on a feed file (make one with feedgen): the whole check, from the file's
// bytes to the findings, best and median of several runs.
//
//   checkbench FEED [RUNS]
#include "FeedCheck.h"
#include "zelStrings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: checkbench FEED [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    std::string bytes;
    try {
        bytes = LoadStringFromFile(argv[1]);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    size_t items = 0;
    for (size_t at = bytes.find("<item>"); at != std::string::npos; at = bytes.find("<item>", at + 1))
        ++items;

    std::vector<double> seconds;
    size_t findings = 0, errors = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<TFeedFinding> result = CheckFeed(bytes);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        findings = result.size();
        errors = size_t(std::count_if(result.begin(), result.end(), [](const TFeedFinding &f) {
            return f.Severity == TFindingSeverity::Error;
        }));
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%s: %zu items, %.1f MB, %zu findings (%zu errors)\n", argv[1], items,
                double(bytes.size()) / 1e6, findings, errors);
    std::printf("check: best %.1f ms, median %.1f ms over %d runs (%.0f MB/s)\n",
                seconds.front() * 1e3, seconds[seconds.size() / 2] * 1e3, runs,
                double(bytes.size()) / 1e6 / seconds.front());
    return 0;
}

// What fingerprints add to the walk of a warm folder of 100,000 files (100 folders of 1,000;
// most of 100 to 4,095 bytes, one in 200 of 300 KiB, which is read at its head and tail only):
// the walk with and without SetFingerprints, alternately, after one walk that warms the cache.
// Prints the median of several rounds and the overhead in percent. The files are read on
// max(2, cores) threads beside the walk, so the overhead falls with the cores free. On 2 cores
// it went from 192-194 % read on the walk's thread to 62-63 % (load average 1.1-1.3; 204-232 %
// to 65-93 % at 2.2): the reading alone costs about twice the walk, which 2 cores only halve.
//
//   bench_fingerprint_scan [ROUNDS] [FOLDER]
//
// FOLDER is filled when absent and kept; without it a temporary folder is used and removed.
//
// Never part of the test run; run it in an optimised build (the default RelWithDebInfo).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scan/disc_walk.h"
#include "bench/bench_timing.h"

namespace {

namespace fs = std::filesystem;
using ov2::bench::Clock;
using ov2::bench::Median;
using ov2::bench::SecondsSince;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kLargeEvery = 200;
constexpr std::size_t kLargeSize = 300 * 1024;

void Fill(const fs::path& folder) {
    std::string data(kLargeSize, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 % 251);
    for (int f = 0; f < kFolders; ++f) {
        const fs::path sub = folder / ("folder " + std::to_string(f));
        fs::create_directories(sub);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const int n = f * kFilesPerFolder + i;
            const std::size_t size =
                n % kLargeEvery == 0 ? kLargeSize : 100 + static_cast<std::size_t>(n * 37 % 3996);
            std::ofstream out(sub / ("file " + std::to_string(i) + ".dat"), std::ios::binary);
            out.write(data.data() + n % 97,
                      static_cast<std::streamsize>(std::min(size, data.size() - 97)));
        }
    }
}

double WalkSeconds(const fs::path& folder, bool fingerprints, int* files) {
    const auto start = Clock::now();
    CDiscWalk walk("E:\\");
    walk.SetFingerprints(fingerprints);
    if (!walk.WalkFolder(folder.string())) {
        std::fprintf(stderr, "%s: %s\n", folder.c_str(), walk.RootError().c_str());
        std::exit(1);
    }
    if (files) *files = walk.FileCount();
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const bool temporary = argc <= 2;
    const fs::path folder = temporary ? fs::temp_directory_path() /
                                            ("ov2-bench-fingerprints-" + std::to_string(getpid()))
                                      : fs::path(argv[2]);
    if (!fs::exists(folder)) {
        const auto start = Clock::now();
        Fill(folder);
        std::printf("made %d files in %s in %.1f s\n", kFolders * kFilesPerFolder, folder.c_str(),
                    SecondsSince(start));
    }
    int files = 0;
    WalkSeconds(folder, true, &files);  // warms the cache: every byte read is read once here
    std::vector<double> plain, fingerprinted;
    for (int round = 0; round < rounds; ++round) {
        plain.push_back(WalkSeconds(folder, false, nullptr));
        fingerprinted.push_back(WalkSeconds(folder, true, nullptr));
    }
    const double without = Median(plain), with = Median(fingerprinted);
    std::printf(
        "%d files, median of %d rounds: walk %.3f s, with fingerprints %.3f s, overhead %.1f %%\n",
        files, rounds, without, with, (with / without - 1) * 100);
    if (temporary) fs::remove_all(folder);
    return 0;
}

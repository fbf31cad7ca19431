// The walk of a folder of 1,000 zip archives of 100 entries each, with and without listing the
// archives, beside `bsdtar -tf` on each archive, in one run. Prints the median of several rounds:
// what listing adds per archive, and the ratio of speeds against bsdtar (above 1: the walk is
// faster). bsdtar is one process per archive, as a person or a script runs it; the same listing
// loop inside this process (libarchive alone, no process) is printed too for a fair floor.
//
//   bench_archive_scan [ROUNDS] [FOLDER]
//
// FOLDER is filled when absent and kept; without it a temporary folder is used.
//
// Never part of the test run; run it in an optimised build (the default RelWithDebInfo).
#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/disc_walk.h"
#include "bench/bench_timing.h"

namespace {

namespace fs = std::filesystem;
using ov2::bench::Clock;
using ov2::bench::Median;
using ov2::bench::SecondsSince;

constexpr int kArchives = 1000;
constexpr int kEntries = 100;

// Ten folders of ten files of 100 to 1,099 bytes, deflated.
void WriteZip(const std::string& path, int seed) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) {
        std::fprintf(stderr, "%s\n", archive_error_string(a));
        std::exit(1);
    }
    archive_entry* entry = archive_entry_new();
    const std::string data(1100, 'x');
    char name[96];
    for (int i = 0; i < kEntries; ++i) {
        std::snprintf(name, sizeof name, "Folder %d/Photo %03d of set %d.jpg", i / 10, i, seed);
        const std::size_t size = 100 + static_cast<std::size_t>((seed * 7 + i * 13) % 1000);
        archive_entry_clear(entry);
        archive_entry_set_pathname(entry, name);
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(size));
        archive_write_header(a, entry);
        archive_write_data(a, data.data(), size);
    }
    archive_entry_free(entry);
    archive_write_close(a);
    archive_write_free(a);
}

// What `bsdtar -tf` does for one archive, inside this process.
int ListInProcess(const std::string& path) {
    archive* a = archive_read_new();
    archive_read_support_filter_all(a);
    archive_read_support_format_all(a);
    int count = 0;
    if (archive_read_open_filename(a, path.c_str(), 64 * 1024) == ARCHIVE_OK) {
        archive_entry* entry = nullptr;
        while (archive_read_next_header(a, &entry) == ARCHIVE_OK) ++count;
    }
    archive_read_free(a);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool temporary = argc <= 2;
    const fs::path folder =
        temporary ? fs::temp_directory_path() / ("ov2-bench-zips-" + std::to_string(getpid()))
                  : fs::path(argv[2]);
    std::vector<std::string> zips;
    for (int i = 0; i < kArchives; ++i)
        zips.push_back((folder / ("set-" + std::to_string(i) + ".zip")).string());
    if (!fs::exists(folder)) {
        const auto start = Clock::now();
        fs::create_directories(folder);
        for (int i = 0; i < kArchives; ++i) WriteZip(zips[static_cast<std::size_t>(i)], i);
        std::printf("made %d zips of %d entries in %s in %.1f s\n", kArchives, kEntries,
                    folder.c_str(), SecondsSince(start));
    }
    const std::string command =
        "cd '" + folder.string() + "' && for f in *.zip; do bsdtar -tf \"$f\"; done > /dev/null";

    std::vector<double> plain, listed, bsdtar, inProcess;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        CDiscWalk without("E:\\");
        without.WalkFolder(folder.string());
        plain.push_back(SecondsSince(start));

        start = Clock::now();
        CDiscWalk with("E:\\");
        with.SetListArchives(true);
        with.WalkFolder(folder.string());
        listed.push_back(SecondsSince(start));
        if (round == 0)
            std::printf("walk: %d files; %s\n", with.FileCount(),
                        with.Archives().Summary().c_str());

        start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bsdtar failed\n");
            return 1;
        }
        bsdtar.push_back(SecondsSince(start));

        start = Clock::now();
        int entries = 0;
        for (const std::string& zip : zips) entries += ListInProcess(zip);
        inProcess.push_back(SecondsSince(start));
        if (entries != kArchives * kEntries)
            std::fprintf(stderr, "libarchive listed %d entries\n", entries);
    }
    const double added = Median(listed) - Median(plain);
    std::printf(
        "median of %d rounds: walk %.3f s without archives, %.3f s with (%.2f ms added per "
        "archive)\n",
        rounds, Median(plain), Median(listed), added * 1000 / kArchives);
    std::printf(
        "bsdtar -tf on each: %.3f s (speed ratio %.2f); libarchive in process: %.3f s (speed ratio "
        "%.2f)\n",
        Median(bsdtar), Median(bsdtar) / Median(listed), Median(inProcess),
        Median(inProcess) / Median(listed));
    if (temporary) fs::remove_all(folder);
    return 0;
}

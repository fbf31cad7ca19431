// The walk of an ISO 9660 image of 100,000 files in 5,000 folders (Rock Ridge and Joliet names,
// written once with libarchive) beside `bsdtar -tvf` on the same image, in one run. Prints the
// median of several rounds of each and the ratio of their speeds (above 1: the walk is faster).
//
//   bench_iso_scan [ROUNDS] [IMAGE]     IMAGE is made when absent and kept; else a temporary one
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

// 50 albums of 100 folders (the album itself and 99 discs), 20 files of 0 to 99 bytes in each.
void WriteImage(const std::string& path) {
    archive* a = archive_write_new();
    archive_write_set_format_iso9660(a);
    archive_write_set_option(a, "iso9660", "rockridge", "1");
    archive_write_set_option(a, "iso9660", "joliet", "1");
    if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) {
        std::fprintf(stderr, "%s\n", archive_error_string(a));
        std::exit(1);
    }
    archive_entry* entry = archive_entry_new();
    const std::string data(100, 'x');
    const auto add = [&](const std::string& name, bool folder, std::size_t size) {
        archive_entry_clear(entry);
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry, folder ? 0755 : 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(size));
        archive_write_header(a, entry);
        if (size) archive_write_data(a, data.data(), size);
    };
    char name[64];
    int count = 0;
    for (int album = 0; album < 50; ++album) {
        for (int disc = 0; disc < 100; ++disc) {
            std::string folder = "Album " + std::to_string(album);
            if (disc) folder += "/Disc " + std::to_string(disc);
            add(folder, true, 0);
            for (int file = 0; file < 20; ++file, ++count) {
                std::snprintf(name, sizeof name, "/Track %02d - Title of song %d.mp3", file, count);
                add(folder + name, false, static_cast<std::size_t>(count % 100));
            }
        }
    }
    archive_entry_free(entry);
    archive_write_close(a);
    archive_write_free(a);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool temporary = argc <= 2;
    const std::string image = temporary ? (fs::temp_directory_path() / ("ov2-bench-" + std::to_string(getpid()) + ".iso")).string()
                                        : std::string(argv[2]);
    if (!fs::exists(image)) {
        const auto start = Clock::now();
        WriteImage(image);
        std::printf("made %s (%.0f MB) in %.1f s\n", image.c_str(), fs::file_size(image) / 1e6,
                    SecondsSince(start));
    }

    std::vector<double> walks, lists;
    const std::string command = "bsdtar -tvf '" + image + "' > /dev/null";
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        CDiscWalk walk("E:\\");
        if (!walk.WalkIsoImage(image)) {
            std::fprintf(stderr, "the walk failed: %s\n", walk.RootError().c_str());
            return 1;
        }
        walks.push_back(SecondsSince(start));
        if (round == 0) std::printf("walk: %d files, outline of %zu bytes\n", walk.FileCount(), walk.FolderOutline("1 Bench").size());

        start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bsdtar failed\n");
            return 1;
        }
        lists.push_back(SecondsSince(start));
    }
    const double walk = Median(walks), list = Median(lists);
    std::printf("median of %d rounds: WalkIsoImage %.3f s, bsdtar -tvf %.3f s, speed ratio %.2f\n", rounds, walk, list,
                list / walk);
    if (temporary) fs::remove(image);
    return 0;
}

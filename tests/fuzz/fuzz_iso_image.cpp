// Feeds arbitrary bytes, as an image file, to the ISO 9660 reader and, when they are no image,
// as an archive to the archive lister (zip, 7z, tar.gz seeds too). A listing must fail cleanly
// (no entries, a reason) or list what a mounted image could show: plain names, each path once,
// the folder of every entry listed as a folder, each entry found again from its record path.
// OV2_FUZZ_EXPECT_VALID=1 makes a failed listing abort too, for the valid seed images.
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/archive_listing.h"
#include "platform/iso_image.h"
#include "platform/text.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz_iso_image: %s %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool expectValid = std::getenv("OV2_FUZZ_EXPECT_VALID") != nullptr;
    // The image lives in memory; the reader opens it by name like any file.
    static const std::string image = "/proc/self/fd/" + std::to_string(memfd_create("image.iso", 0));
    FILE* out = std::fopen(image.c_str(), "wb");
    if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) Fail("cannot write the image");

    std::vector<ov2::ImageEntry> entries{ov2::ImageEntry{"stale", 1, false}};
    std::string error;
    if (!ov2::ListIsoImage(image, entries, &error)) {
        if (error.empty() || !entries.empty()) Fail("a bad failure:", error);
        // Limits that keep a run short: a compressed bomb must end as "too large", not hang.
        entries = {ov2::ImageEntry{"stale", 1, false}};
        error.clear();
        if (ov2::ListArchive(image, entries, &error, {std::uint64_t{64} << 20, 2, 100000}) !=
            ov2::ArchiveOutcome::Listed) {
            if (expectValid || error.empty() || !entries.empty())
                Fail("a bad archive failure:", error);
            return 0;
        }
    }
    std::unordered_map<std::string, bool> folders;  // path -> is a folder
    for (const ov2::ImageEntry& entry : entries)
        if (!folders.emplace(entry.path, entry.folder).second) Fail("a path listed twice:", entry.path);
    std::size_t resolved = 0;
    for (const ov2::ImageEntry& entry : entries) {
        const std::string& path = entry.path;
        for (const std::string bad : {"", ".", ".."})
            if (path == bad || path.starts_with(bad + '/') || path.ends_with('/' + bad) ||
                path.find('/' + bad + '/') != std::string::npos)
                Fail("a path that leaves the image:", path);
        std::string relative = path;
        for (std::size_t slash = 0; (slash = relative.find('/', slash)) != std::string::npos; ++slash) {
            const auto parent = folders.find(path.substr(0, slash));
            if (parent == folders.end() || !parent->second) Fail("an entry without its folder:", path);
            relative[slash] = '\\';
        }
        // Resolving is linear in the entries: a few hundred per image keep the runs short.
        if (ov2::RecordName(path) == path && resolved++ < 200 &&
            ov2::ResolveInImage(entries, relative + (entry.folder ? "\\" : "")) != path)
            Fail("an entry is not found from its record path:", path);
    }
    if (ov2::ResolveInImage(entries, "..\\x") || ov2::ResolveInImage(entries, "a\\.\\b")) Fail("\".\" or \"..\" resolved");
    return 0;
}

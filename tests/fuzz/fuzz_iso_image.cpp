// Feeds arbitrary bytes, as an image file, to the ISO 9660 reader. A listing must either fail
// cleanly (no entries and a reason) or give entries that a mounted image could show: paths of
// plain names, each once, every folder above an entry present as a folder; and each entry must
// be found again from its record path. Anything else aborts.
//
// OV2_FUZZ_EXPECT_VALID=1 makes a failed listing abort too, for the valid seed images.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/iso_image.h"
#include "platform/text.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz_iso_image: %s %s\n", what, detail.c_str());
    std::abort();
}

// The image lives in memory; the reader opens it by name like any file.
const std::string& ImagePath() {
    static const std::string path = [] {
        const int fd = memfd_create("image.iso", 0);
        if (fd < 0) Fail("no memfd");
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void WriteImage(const std::uint8_t* data, std::size_t size) {
    FILE* out = std::fopen(ImagePath().c_str(), "wb");  // truncates
    if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) Fail("cannot write the image");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool expectValid = [] {
        const char* value = std::getenv("OV2_FUZZ_EXPECT_VALID");
        return value && std::string_view(value) == "1";
    }();
    WriteImage(data, size);

    std::vector<ov2::ImageEntry> entries{ov2::ImageEntry{"stale", 1, false}};
    std::string error;
    if (!ov2::ListIsoImage(ImagePath(), entries, &error)) {
        if (expectValid) Fail("a valid image was rejected:", error);
        if (error.empty()) Fail("a failed listing gave no reason");
        if (!entries.empty()) Fail("a failed listing left entries behind");
        return 0;
    }
    if (expectValid && entries.empty()) Fail("a valid image listed nothing");

    std::unordered_map<std::string, bool> folders;  // path -> is a folder
    for (const ov2::ImageEntry& entry : entries)
        if (!folders.emplace(entry.path, entry.folder).second) Fail("a path listed twice:", entry.path);
    std::size_t resolved = 0;
    for (const ov2::ImageEntry& entry : entries) {
        std::string relative = entry.path;
        for (std::size_t slash = 0; (slash = relative.find('/', slash)) != std::string::npos; ++slash) {
            const auto parent = folders.find(entry.path.substr(0, slash));
            if (parent == folders.end() || !parent->second) Fail("an entry without its folder:", entry.path);
            relative[slash] = '\\';
        }
        const std::string& path = entry.path;
        for (const std::string bad : {"", ".", ".."})
            if (path == bad || path.starts_with(bad + '/') || path.ends_with('/' + bad) ||
                path.find('/' + bad + '/') != std::string::npos)
                Fail("a path that leaves the image:", path);
        // An entry whose names the record form leaves alone is found from its record path
        // (resolving is linear in the entries: a few hundred per image keep the runs short).
        if (ov2::RecordName(entry.path) == entry.path && resolved++ < 200 &&
            ov2::ResolveInImage(entries, relative + (entry.folder ? "\\" : "")) != entry.path)
            Fail("an entry is not found from its record path:", entry.path);
    }
    if (ov2::ResolveInImage(entries, "..\\x") || ov2::ResolveInImage(entries, "a\\.\\b"))
        Fail("a record path with \".\" or \"..\" resolved");
    return 0;
}

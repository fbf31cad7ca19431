// Feeds arbitrary bytes to the readers of an old catalogue's files: the first byte picks the file
// (Data.dat, Cat.dat, FileData.dat, Tree.ovdt), the rest is its content. A read succeeds or fails
// with a CArchiveException and a reason; a crash, a hang or an allocation beyond the limits
// aborts. OV2_FUZZ_EXPECT_VALID=1 (the valid seeds) makes a failed read abort too.
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "convertor/old_files.h"
#include "core/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool expectValid = std::getenv("OV2_FUZZ_EXPECT_VALID") != nullptr;
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::istringstream in(bytes);
    try {
        if (data[0] % 4 == 0) ov2::ReadOldDiscs(in);
        if (data[0] % 4 == 1) ov2::ReadOldCategories(in);
        if (data[0] % 4 == 2) ov2::ReadOldFiles(in);
        if (data[0] % 4 == 3) ov2::ForEachTreeLine(bytes, [](std::string_view) {});
    } catch (const CArchiveException& e) {
        if (expectValid || !*e.what()) std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to the readers of an old catalogue's files: the first byte picks the file
// (Data.dat, Cat.dat, FileData.dat, Tree.ovdt), the rest is its content. A read either succeeds
// or fails with a CArchiveException that gives a reason; anything else (a crash, a hang, an
// allocation beyond the limits) aborts. OV2_FUZZ_EXPECT_VALID=1 makes a failed read abort too.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "convertor/old_files.h"
#include "core/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool expectValid = [] {
        const char* value = std::getenv("OV2_FUZZ_EXPECT_VALID");
        return value && std::string_view(value) == "1";
    }();
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::istringstream in(bytes);
    try {
        switch (data[0] % 4) {
            case 0: ov2::ReadOldDiscs(in); break;
            case 1: ov2::ReadOldCategories(in); break;
            case 2: ov2::ReadOldFiles(in); break;
            default: {
                std::size_t total = 0;
                ov2::ForEachTreeLine(bytes, [&total](std::string_view line) { total += line.size() + 1; });
                if (total > bytes.size() + 1) std::abort();
            }
        }
    } catch (const CArchiveException& e) {
        if (expectValid || !*e.what()) std::abort();
    }
    return 0;
}

// Writes the valid seed images of the ISO 9660 reader's fuzz corpus into the folder given
// (the smoke test runs it before fuzzing): one tree as Rock Ridge with Joliet, Joliet alone and
// plain ISO 9660, without the padding at the end so that the images stay small.
#include <cstdio>
#include <filesystem>

#include "tests/scan/iso_test_image.h"
#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
    using namespace ov2::test;
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_iso_fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out);
    TempDir dir;
    const fs::path root = dir / "disc";
    fs::create_directories(root / "Photos" / "Deep" / "er");
    fs::create_directories(root / "Empty");
    WriteFileBytes(root / "Photos" / "Summer Holiday.jpeg", "jpeg");
    WriteFileBytes(root / "Photos" / "back\\slash.txt", "bs");
    WriteFileBytes(root / "Photos" / "Deep" / "er" / "most.txt", "deep");
    WriteFileBytes(root / "Photos" / "empty.txt", "");
    WriteFileBytes(root / "Root.TXT", "root");
    WriteIsoImage(out / "valid-rockridge-joliet.iso", root, IsoName{true, true, false});
    WriteIsoImage(out / "valid-joliet.iso", root, IsoName{false, true, false});
    WriteIsoImage(out / "valid-plain.iso", root, IsoName{false, false, false});
    return 0;
}

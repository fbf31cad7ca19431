// What a drive letter gives the scan to walk, with the machine's services replaced where a test
// machine has no CD drive; and the number a new disc gets.
#include "scan/scan_source.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/disc_database.h"
#include "scan/next_disc_number.h"
#include "tests/scan/scan_test_support.h"
#include "tests/support/cue_image.h"
#include "tests/support/sample_catalogue.h"

namespace ov2::test {
namespace {

using Kind = ScanSource::Kind;

// A drive E: holding a disc in /dev/sr7 that nobody has mounted; mounting it (when allowed)
// mounts it on `mountPoint`.
struct UnmountedDrive {
    std::string mountPoint = "/media/me/DISC";
    std::optional<std::vector<int>> tracks = std::vector<int>{};  // a data disc
    bool mountWorks = false;
    bool mounted = false;
    std::vector<std::string> mountCalls;

    ScanSourceServices Services() {
        ScanSourceServices services;
        services.findDrive = [this](char letter) -> std::optional<Drive> {
            if (letter != 'E') return std::nullopt;
            return Drive{'E', DriveType::CdRom, mounted ? mountPoint : std::string(), "/dev/sr7",
                         false};
        };
        services.audioTracks = [this](const std::string&) { return tracks; };
        services.mount = [this](const std::string& device) {
            mountCalls.push_back(device);
            mounted = mountWorks;
            return mountWorks;
        };
        return services;
    }
};

TEST(ScanSourceTest, AnUnmountedDataDiscIsMountedOrTheUserIsToldWhichDriveHoldsIt) {
    UnmountedDrive works;
    works.mountWorks = true;
    const ScanSource mounted = ResolveScanSource('E', works.Services());
    EXPECT_EQ(mounted.kind, Kind::Folder);
    EXPECT_EQ(mounted.root, "/media/me/DISC");
    EXPECT_EQ(works.mountCalls, std::vector<std::string>{"/dev/sr7"});

    UnmountedDrive fails;
    const ScanSource refused = ResolveScanSource('E', fails.Services());
    EXPECT_EQ(refused.kind, Kind::Unmounted);
    EXPECT_NE(refused.message.find("E:\\"), std::string::npos) << refused.message;
    EXPECT_NE(refused.message.find("/dev/sr7"), std::string::npos) << refused.message;
    EXPECT_NE(refused.message.find("not"), std::string::npos) << refused.message;
}

TEST(ScanSourceTest, AudioDiscsListTracksAndEmptyDrivesGiveNothingWithoutMounting) {
    UnmountedDrive audio;
    audio.tracks = std::vector<int>{2, 3};
    const ScanSource tracks = ResolveScanSource('E', audio.Services());
    EXPECT_EQ(tracks.kind, Kind::AudioTracks);
    EXPECT_EQ(tracks.tracks, (std::vector<int>{2, 3}));

    UnmountedDrive empty;
    empty.tracks = std::nullopt;  // no table of contents: no disc
    EXPECT_EQ(ResolveScanSource('E', empty.Services()).kind, Kind::Nothing);

    EXPECT_EQ(ResolveScanSource('Q', audio.Services()).kind, Kind::NoDrive);
    EXPECT_TRUE(audio.mountCalls.empty());
    EXPECT_TRUE(empty.mountCalls.empty());
}

TEST(ScanSourceTest, MappedFoldersAndImagesThroughTheMachinesServices) {
    TempDir dir;
    const auto cue =
        WriteCueImage(dir.path(), "album", {{true, 0}, {true, 1000}, {true, 2000}}, 3000);
    const auto mixed = WriteCueImage(dir.path(), "mixed", {{false, 0}, {true, 1000}}, 2000);
    std::filesystem::create_directory(dir / "folder");
    DriveMap map("D=cdrom:" + (dir / "folder").string() + ";E=cdrom:" + cue.string() +
                     ";F=cdrom:" + mixed.string() + ";G=cdrom:" + (dir / "none.cue").string());
    const ScanSourceServices machine = ScanSourceServices::Machine();

    const ScanSource folder = ResolveScanSource('D', machine);
    EXPECT_EQ(folder.kind, Kind::Folder);
    EXPECT_EQ(folder.root, (dir / "folder").string());

    const ScanSource album = ResolveScanSource('e', machine);
    EXPECT_EQ(album.kind, Kind::AudioTracks);
    EXPECT_EQ(album.tracks, (std::vector<int>{1, 2, 3}));

    const ScanSource withData = ResolveScanSource('F', machine);
    EXPECT_EQ(withData.kind, Kind::AudioTracks);
    EXPECT_EQ(withData.tracks, (std::vector<int>{2}));

    // An image that cannot be read is an empty drive; an image is never handed to the mounter.
    EXPECT_EQ(ResolveScanSource('G', machine).kind, Kind::Nothing);
}

TEST(NextDiscNumberTest, OneAboveTheLastDiscUnlessThatNumberIsTaken) {
    COvDiscDatabase database;
    EXPECT_EQ(NextDiscNumber(database), "1");

    // The list's order counts, not the largest number.
    database.AddTail(MakeDisc("12", "twelve"));
    database.AddTail(MakeDisc("7", "seven"));
    EXPECT_EQ(NextDiscNumber(database), "8");

    // 8 is taken further up the list: one above the largest instead.
    COvDiscDatabase unsorted;
    unsorted.AddTail(MakeDisc("8", "eight"));
    unsorted.AddTail(MakeDisc("12", "twelve"));
    unsorted.AddTail(MakeDisc("7", "seven"));
    EXPECT_EQ(NextDiscNumber(unsorted), "13");

    // No number beyond the largest one "%d" writes: the smallest free number.
    COvDiscDatabase full;
    full.AddTail(MakeDisc("1", "one"));
    full.AddTail(MakeDisc("2147483647", "last"));
    EXPECT_EQ(NextDiscNumber(full), "2");

    // A last number that is no number reads as 0.
    COvDiscDatabase odd;
    odd.AddTail(MakeDisc("5", "five"));
    odd.AddTail(MakeDisc("x", "x"));
    EXPECT_EQ(NextDiscNumber(odd), "1");
}

}  // namespace
}  // namespace ov2::test

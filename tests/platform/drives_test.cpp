#include "platform/drives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/drives_sources.h"
#include "tests/support/drive_map.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using ov2::Drive;
using ov2::DriveType;
using ov2::test::ReadFileBytes;
using ov2::test::TempDir;
using ov2::test::WriteFileBytes;

using ov2::test::DriveMap;

void MakeFile(const fs::path& path, std::string_view bytes = "x") {
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, bytes);
}

std::string Letters(const std::vector<Drive>& drives) {
    std::string letters;
    for (const Drive& d : drives) letters += d.letter;
    return letters;
}

TEST(DriveMapText, ReadsEachKindOfEntry) {
    const std::vector<Drive> drives = ov2::ParseDriveMap(
        "G=fixed:/home/me;e=CDROM:/tmp/disc1/;F=cdrom:/tmp/Audio.CUE;H=remote:/net;"
        "I=ram:/dev/shm; J = fixed:/a b ");
    ASSERT_EQ(Letters(drives), "EFGHIJ");
    EXPECT_EQ(drives[0].type, DriveType::CdRom);
    EXPECT_EQ(drives[0].root, "/tmp/disc1");  // the trailing slash names the same folder
    EXPECT_EQ(drives[0].device, "");
    EXPECT_FALSE(drives[0].image);
    // A CUE sheet is a disc image: kept as the device, with no folder to list yet.
    EXPECT_EQ(drives[1].type, DriveType::CdRom);
    EXPECT_EQ(drives[1].root, "");
    EXPECT_EQ(drives[1].device, "/tmp/Audio.CUE");
    EXPECT_TRUE(drives[1].image);
    EXPECT_EQ(drives[2].type, DriveType::Fixed);
    EXPECT_EQ(drives[2].root, "/home/me");
    EXPECT_EQ(drives[3].type, DriveType::Remote);
    EXPECT_EQ(drives[4].type, DriveType::RamDisk);
    // Blanks around letter and type go; the path keeps every byte.
    EXPECT_EQ(drives[5].root, "/a b ");
}

TEST(DriveMapText, LeavesOutMalformedEntriesAndKeepsTheRest) {
    const std::vector<Drive> drives = ov2::ParseDriveMap(
        ";;E;E=;E=cdrom;E=cdrom:;EF=cdrom:/x;1=cdrom:/x;\xC4=cdrom:/x;=cdrom:/x;E=floppy:/x;"
        "E=cdrom:relative/x;H=fixed:/images/a.cue;K=fixed:/k;;M=cdrom:/m;");
    ASSERT_EQ(Letters(drives), "KM");
    EXPECT_EQ(drives[0].root, "/k");
    EXPECT_EQ(drives[1].root, "/m");

    EXPECT_TRUE(ov2::ParseDriveMap("").empty());
    EXPECT_TRUE(ov2::ParseDriveMap("garbage").empty());
}

TEST(DriveMapText, LaterEntryForALetterHolds) {
    const std::vector<Drive> drives =
        ov2::ParseDriveMap("E=cdrom:/first;D=fixed:/d;e=fixed:/second");
    ASSERT_EQ(Letters(drives), "DE");
    EXPECT_EQ(drives[1].type, DriveType::Fixed);
    EXPECT_EQ(drives[1].root, "/second");
}

TEST(Drives, ListDrivesFollowsTheEnvironmentOnEveryCall) {
    {
        DriveMap map("F=cdrom:/tmp/one;E=fixed:/tmp/two");
        EXPECT_EQ(Letters(ov2::ListDrives()), "EF");
        setenv("OV2_DRIVES", "Z=ram:/tmp/three", 1);
        const std::vector<Drive> drives = ov2::ListDrives();
        ASSERT_EQ(Letters(drives), "Z");
        EXPECT_EQ(ov2::FindDrive('z')->root, "/tmp/three");
        EXPECT_FALSE(ov2::FindDrive('E'));
    }
    {
        // Nothing usable still replaces the machine's map: no C: to fall back on.
        DriveMap map("C=disk:/");
        EXPECT_TRUE(ov2::ListDrives().empty());
        EXPECT_FALSE(ov2::DrivePathExists("c:\\"));
    }
    {
        // Blank means unset: the machine's map, which always has C: on "/".
        DriveMap map("  ");
        const std::optional<Drive> c = ov2::FindDrive('C');
        ASSERT_TRUE(c);
        EXPECT_EQ(c->root, "/");
        EXPECT_EQ(c->type, DriveType::Fixed);
    }
}

class MappedFolder : public ::testing::Test {
protected:
    TempDir dir;
    fs::path root = dir / "disc";
    void SetUp() override { fs::create_directories(root); }
    std::optional<std::string> Resolve(std::string_view path) {
        DriveMap map("F=cdrom:" + root.string());
        return ov2::ResolveDrivePath(path);
    }
    // The content of the file that `path` resolves to.
    std::string Found(std::string_view path) {
        const std::optional<std::string> native = Resolve(path);
        return native ? ReadFileBytes(*native) : "(not found)";
    }
};

TEST_F(MappedFolder, ResolvesRecordsWhoseCaseDiffersFromTheDisc) {
    MakeFile(root / "Photos" / "Summer 2003" / "IMG_01.JPG", "jpeg");
    const std::string expected = (root / "Photos" / "Summer 2003" / "IMG_01.JPG").string();
    EXPECT_EQ(Resolve("f:\\photos\\summer 2003\\img_01.jpg"), expected);
    EXPECT_EQ(Resolve("F:\\PHOTOS\\SUMMER 2003\\IMG_01.JPG"), expected);
    EXPECT_EQ(Resolve("f:\\Photos\\Summer 2003\\IMG_01.JPG"), expected);
    // Folders as the catalogue records them, with the closing "\", and the drive root itself.
    EXPECT_EQ(Resolve("f:\\photos\\summer 2003\\"), (root / "Photos" / "Summer 2003").string());
    EXPECT_EQ(Resolve("f:\\"), root.string());
    EXPECT_EQ(Resolve("f:"), root.string());
}

TEST_F(MappedFolder, ReportsWhatDoesNotExistAsMissing) {
    MakeFile(root / "music" / "a.mp3");
    EXPECT_FALSE(Resolve("f:\\music\\b.mp3"));
    EXPECT_FALSE(Resolve("f:\\musi\\a.mp3"));
    EXPECT_FALSE(Resolve("f:\\music\\a.mp3\\"));  // a file is not a folder
    EXPECT_FALSE(Resolve("f:\\music\\a.mp3\\x.txt"));
    EXPECT_FALSE(Resolve("g:\\music\\a.mp3"));  // no such drive
    EXPECT_FALSE(Resolve("f:music\\a.mp3"));
    EXPECT_FALSE(Resolve("\\music\\a.mp3"));
    EXPECT_FALSE(Resolve(""));
    // Nothing leads out of the drive's root, even to a file that exists there.
    MakeFile(dir / "outside.txt");
    EXPECT_FALSE(Resolve("f:\\..\\outside.txt"));
    EXPECT_FALSE(Resolve("f:\\music\\..\\..\\outside.txt"));
    EXPECT_FALSE(Resolve("f:\\.\\music\\a.mp3"));
}

TEST_F(MappedFolder, PrefersTheExactNameOverOtherCases) {
    MakeFile(root / "A.txt", "upper");
    MakeFile(root / "a.txt", "lower");
    EXPECT_EQ(Found("f:\\A.txt"), "upper");
    EXPECT_EQ(Found("f:\\a.txt"), "lower");
    // Neither is exact: the first in byte order, every time.
    EXPECT_EQ(Found("f:\\A.TXT"), "upper");
}

TEST_F(MappedFolder, TakesTheVariantThatIsAFolderInsideAPath) {
    MakeFile(root / "docs", "a file named like the folder");
    MakeFile(root / "Docs" / "readme.txt", "inside");
    EXPECT_EQ(Found("f:\\docs\\readme.txt"), "inside");
}

TEST_F(MappedFolder, MatchesNamesByTheirOwnEncoding) {
    // UTF-8 names fold by Unicode rules.
    const std::string upperUe = "\xC3\x9C", lowerUe = "\xC3\xBC";       // Ü, ü
    MakeFile(root / ("\xC3\x84rger") / (upperUe + "ber.txt"), "utf8");  // Ärger/Über.txt
    EXPECT_EQ(Found("f:\\\xC3\xA4rger\\" + lowerUe + "BER.TXT"), "utf8");

    // Names that are not UTF-8 (Windows-1252 "Café") are bytes: found exactly, and by ASCII case
    // only, since their bytes above 0x7F have no known code page.
    MakeFile(root / "Caf\xE9.txt", "latin");
    MakeFile(root / "\xFF\xFE\x80", "odd");
    EXPECT_EQ(Resolve("f:\\Caf\xE9.txt"), (root / "Caf\xE9.txt").string());
    EXPECT_EQ(Found("f:\\CAF\xE9.TXT"), "latin");
    EXPECT_FALSE(Resolve("f:\\caf\xC9.txt"));
    EXPECT_EQ(Found("f:\\\xFF\xFE\x80"), "odd");
    EXPECT_FALSE(Resolve("f:\\\xFF\xFE"));
}

TEST(Drives, DriveWithoutAFolderResolvesNothing) {
    TempDir dir;
    MakeFile(dir / "audio.cue", "FILE \"audio.bin\" BINARY\n");
    DriveMap map("F=cdrom:" + (dir / "audio.cue").string() +
                 ";G=fixed:" + (dir / "missing").string());
    const std::optional<Drive> f = ov2::FindDrive('f');
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->image);
    EXPECT_EQ(f->device, (dir / "audio.cue").string());
    EXPECT_FALSE(ov2::DrivePathExists("f:\\"));
    EXPECT_FALSE(ov2::DrivePathExists("g:\\"));
    EXPECT_FALSE(ov2::DrivePathExists("g:\\audio.cue"));
}

class DiscLocation : public ::testing::Test {
protected:
    TempDir dir;
    DriveMap map{"D=cdrom:" + (dir / "d").string() + ";E=cdrom:" + (dir / "e").string() +
                 ";F=cdrom:" + (dir / "f").string() + ";G=fixed:" + (dir / "g").string() +
                 ";H=cdrom:" + (dir / "h.cue").string()};
    void SetUp() override {
        for (const char* folder : {"d", "e", "f", "g"}) fs::create_directories(dir / folder);
    }
};

TEST_F(DiscLocation, KeepsTheRecordedRootWhenTheFileIsThere) {
    MakeFile(dir / "e" / "Music" / "a.mp3");
    MakeFile(dir / "d" / "music" / "a.mp3");
    EXPECT_EQ(ov2::LocateDiscDrive("e:\\music\\a.mp3"), "e:\\");
    EXPECT_EQ(ov2::LocateDiscDrive("E:\\music\\a.mp3"), "E:\\");
    // A fixed drive counts when it is the recorded one.
    MakeFile(dir / "g" / "b.txt");
    EXPECT_EQ(ov2::LocateDiscDrive("g:\\b.txt"), "g:\\");
}

TEST_F(DiscLocation, FindsTheDiscInAnotherDrive) {
    MakeFile(dir / "f" / "Music" / "Rock" / "a.mp3");
    EXPECT_EQ(ov2::LocateDiscDrive("d:\\music\\rock\\a.mp3"), "f:\\");
    // From a letter this machine does not have, too.
    EXPECT_EQ(ov2::LocateDiscDrive("q:\\music\\rock\\a.mp3"), "f:\\");
    // The first CD-ROM drive in letter order that has it.
    MakeFile(dir / "e" / "music" / "rock" / "a.mp3");
    EXPECT_EQ(ov2::LocateDiscDrive("d:\\music\\rock\\a.mp3"), "e:\\");
}

TEST_F(DiscLocation, ReportsNoneWhenNoCdromDriveHasTheFile) {
    MakeFile(dir / "e" / "music" / "a.mp3");
    EXPECT_FALSE(ov2::LocateDiscDrive("d:\\music\\b.mp3"));
    EXPECT_FALSE(ov2::LocateDiscDrive("d:\\other\\a.mp3"));
    EXPECT_FALSE(ov2::LocateDiscDrive("no root at all"));
    // Fixed drives are not searched for discs.
    MakeFile(dir / "g" / "photos" / "p.jpg");
    EXPECT_FALSE(ov2::LocateDiscDrive("d:\\photos\\p.jpg"));
}

}  // namespace

namespace {

// A USB stick is looked for after the CD-ROM drives, whatever its letter; an ISO image mapped as
// a CD-ROM drive is one of them.
TEST(MediaLocation, RemovableDrivesComeAfterTheCdromDrives) {
    TempDir dir;
    MakeFile(dir / "stick" / "Photos" / "a.jpg");
    MakeFile(dir / "disc" / "photos" / "a.jpg");
    const DriveMap map("D=removable:" + (dir / "stick").string() + ";F=cdrom:" +
                       (dir / "disc").string() + ";G=cdrom:" + (dir / "x.iso").string());
    const std::optional<Drive> d = ov2::FindDrive('D'), g = ov2::FindDrive('G');
    EXPECT_EQ(d->type, DriveType::Removable);
    EXPECT_EQ(d->label, "stick");
    EXPECT_TRUE(g->iso && g->image && g->root.empty());
    EXPECT_EQ(ov2::LocateDiscDrive("q:\\photos\\a.jpg"), "f:\\");
    fs::remove_all(dir / "disc");
    EXPECT_EQ(ov2::LocateDiscDrive("q:\\photos\\a.jpg"), "d:\\");
    // An image that is not there holds nothing, like an empty drive.
    EXPECT_FALSE(ov2::DrivePathExists("g:\\photos\\a.jpg"));
}

}  // namespace

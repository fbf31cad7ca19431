#include "platform/drives_sources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using ov2::Drive;
using ov2::DriveType;
using ov2::MountEntry;
using ov2::OpticalDevice;
using ov2::test::TempDir;
using ov2::test::WriteFileBytes;

// Lines as the kernel writes them: no optional field, two optional fields, escaped blanks, a
// tab and a backslash in paths.
constexpr std::string_view kMountInfo =
    "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
    "97 22 11:1 / /media/me/MY\\040DISC\\0402 ro,nosuid shared:51 master:3 - iso9660 /dev/sr1 "
    "ro,uid=1000\n"
    "98 22 11:0 /sub /mnt/bound ro - iso9660 /dev/sr0 ro\n"
    "99 22 0:50 / /mnt/tab\\011and\\134slash rw - tmpfs my\\040source rw\n";

TEST(MountInfo, ReadsFieldsAndUndoesEscapes) {
    const std::vector<MountEntry> mounts = ov2::ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].source, "/dev/vda1");
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[1].majorMinor, "11:1");
    EXPECT_EQ(mounts[1].root, "/");
    EXPECT_EQ(mounts[1].mountPoint, "/media/me/MY DISC 2");
    EXPECT_EQ(mounts[1].fsType, "iso9660");
    EXPECT_EQ(mounts[1].source, "/dev/sr1");
    EXPECT_EQ(mounts[2].root, "/sub");
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/tab\tand\\slash");
    EXPECT_EQ(mounts[3].source, "my source");
}

TEST(MountInfo, SkipsLinesOfAnotherLayoutWithoutCrashing) {
    const std::vector<MountEntry> mounts = ov2::ParseMountInfo(
        "\n"
        "garbage\n"
        "1 2 3:4 / /m rw - \n"                       // type, source, options missing
        "1 2 3:4 / /m rw shared:1 ext4 /dev/x rw\n"  // no "-"
        "1 2 34 / /m rw - ext4 /dev/x rw\n"          // no major:minor
        "- - - - - - - - - -\n"
        "1 2 3:4 / /m\\04 rw - ext4 /dev/x\\ rw\n"      // cut escapes stay as they are
        "1 2 3:4 / /n\\400\\9xy rw - ext4 /dev/y rw");  // out of range, not octal; no final newline
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].mountPoint, "/m\\04");
    EXPECT_EQ(mounts[0].source, "/dev/x\\");
    EXPECT_EQ(mounts[1].mountPoint, "/n\\400\\9xy");
    EXPECT_EQ(mounts[1].source, "/dev/y");
}

std::string Names(const std::vector<OpticalDevice>& devices) {
    std::string names;
    for (const OpticalDevice& d : devices) names += (names.empty() ? "" : " ") + d.name;
    return names;
}

void MakeBlockDevice(const fs::path& sysBlock, const std::string& name, const std::string& dev) {
    fs::create_directories(sysBlock / name);
    WriteFileBytes(sysBlock / name / "dev", dev + "\n");
}

TEST(OpticalDevices, SysfsListsOnlySrDevicesInNumericOrder) {
    TempDir dir;
    const fs::path sysBlock = dir / "block";
    for (const char* name : {"sr10", "sda", "sr1", "loop0", "srx", "sr", "sr2", "sr0", "sr-1"})
        MakeBlockDevice(sysBlock, name, "11:9");
    MakeBlockDevice(sysBlock, "sr3", "11:3");
    const std::vector<OpticalDevice> devices = ov2::OpticalDevicesFromSysBlock(sysBlock);
    EXPECT_EQ(Names(devices), "sr0 sr1 sr2 sr3 sr10");
    EXPECT_EQ(devices[3].majorMinor, "11:3");

    EXPECT_TRUE(ov2::OpticalDevicesFromSysBlock(dir / "missing").empty());
}

TEST(OpticalDevices, CdromInfoListsNewestFirstAndIsPutInDeviceOrder) {
    constexpr std::string_view kInfo =
        "CD-ROM information, Id: cdrom.c 3.20 2003/12/17\n"
        "\n"
        "drive name:\t\tsr1\tsr0\n"
        "drive speed:\t\t48\t24\n"
        "Can close tray:\t\t1\t1\n";
    const std::vector<OpticalDevice> devices = ov2::OpticalDevicesFromCdromInfo(kInfo);
    EXPECT_EQ(Names(devices), "sr0 sr1");
    EXPECT_EQ(devices[0].majorMinor, "");

    EXPECT_TRUE(ov2::OpticalDevicesFromCdromInfo("").empty());
    EXPECT_TRUE(ov2::OpticalDevicesFromCdromInfo("drive name:\thdc\tsrq\n").empty());
}

TEST(MachineDrives, GivesLettersInDeviceOrderAndRootsFromMounts) {
    const std::vector<Drive> drives =
        ov2::MachineDrives({{"sr0", "11:0"}, {"sr1", "11:1"}}, ov2::ParseMountInfo(kMountInfo));
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].letter, 'C');
    EXPECT_EQ(drives[0].type, DriveType::Fixed);
    EXPECT_EQ(drives[0].root, "/");
    EXPECT_EQ(drives[1].letter, 'D');
    EXPECT_EQ(drives[1].type, DriveType::CdRom);
    EXPECT_EQ(drives[1].device, "/dev/sr0");
    EXPECT_EQ(drives[1].root, "");  // only a folder of its disc is mounted
    EXPECT_EQ(drives[2].letter, 'E');
    EXPECT_EQ(drives[2].device, "/dev/sr1");
    EXPECT_EQ(drives[2].root, "/media/me/MY DISC 2");
    EXPECT_FALSE(drives[2].image);
}

TEST(MachineDrives, FindsAMountByDeviceNumberWhenItsSourceIsAnotherName) {
    const std::vector<Drive> drives = ov2::MachineDrives(
        {{"sr0", "11:0"}}, ov2::ParseMountInfo("40 22 11:0 / /media/cd ro - udf /dev/cdrom ro\n"));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].root, "/media/cd");
}

TEST(MachineDrives, StopsAtZ) {
    std::vector<OpticalDevice> many;
    for (int i = 0; i < 30; ++i) many.push_back({"sr" + std::to_string(i), {}});
    const std::vector<Drive> drives = ov2::MachineDrives(many, {});
    ASSERT_EQ(drives.size(), 24u);  // C, then D..Z
    EXPECT_EQ(drives.back().letter, 'Z');
    EXPECT_EQ(drives.back().device, "/dev/sr22");
}

class MachineFilesTest : public ::testing::Test {
protected:
    TempDir dir;
    ov2::MachineFiles files{dir / "block", dir / "cdrom_info", dir / "mountinfo"};
    std::string Devices() {
        std::string text;
        for (const Drive& d : ov2::ReadMachineDrives(files))
            text += std::string(1, d.letter) + "=" + d.device + ":" + d.root + " ";
        return text;
    }
};

TEST_F(MachineFilesTest, FallsBackToProcWhenSysfsShowsNoDrive) {
    fs::create_directories(files.sysBlock / "sda");
    WriteFileBytes(files.cdromInfo, "drive name:\t\tsr1\tsr0\n");
    WriteFileBytes(files.mountInfo, "97 22 11:1 / /media/x ro - iso9660 /dev/sr1 ro\n");
    EXPECT_EQ(Devices(), "C=:/ D=/dev/sr0: E=/dev/sr1:/media/x ");
}

TEST_F(MachineFilesTest, PrefersSysfsOverProc) {
    MakeBlockDevice(files.sysBlock, "sr0", "11:0");
    WriteFileBytes(files.cdromInfo, "drive name:\t\tsr1\tsr0\n");
    WriteFileBytes(files.mountInfo, "97 22 11:0 / /media/y ro - iso9660 /dev/sr0 ro\n");
    EXPECT_EQ(Devices(), "C=:/ D=/dev/sr0:/media/y ");
}

TEST_F(MachineFilesTest, MissingFilesLeaveOnlyC) {
    EXPECT_EQ(Devices(), "C=:/ ");
}

// Media the desktop mounted (or whose disk says it is removable) follow the optical drives in
// mount order, around the letters that added folders and images keep.
TEST_F(MachineFilesTest, RemovableMediaFollowTheOpticalDrivesAroundTheAddedOnes) {
    MakeBlockDevice(files.sysBlock, "sr0", "11:0");
    fs::create_directories(files.sysBlock / "sdc" / "sdc1");
    WriteFileBytes(files.sysBlock / "sdc" / "removable", "1\n");
    const fs::path share = dir / "share" / "photos", folder = dir / "folder";
    fs::create_directories(share);
    fs::create_directories(folder);
    files.user = "me";
    WriteFileBytes(files.mountInfo,
                   "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                   "90 22 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n"
                   "91 22 11:0 / /media/me/DISC ro - iso9660 /dev/sr0 ro\n"
                   "92 22 8:33 / /mnt/card rw - exfat /dev/sdc1 rw\n"
                   "93 22 8:17 /sub /media/me/bound rw - vfat /dev/sdb1 rw\n"
                   "94 22 8:2 / /media/you/X rw - ext4 /dev/sda2 rw\n"
                   "95 22 0:60 / " + (dir / "share").string() + " rw - cifs //nas/share rw\n");
    const std::vector<ov2::AddedDrive> added = {
        {'D', "/taken/by/the/optical/drive"}, {'E', folder.string()},
        {'F', share.string()}, {'H', (dir / "gone.iso").string()}};
    std::string text;
    for (const Drive& d : ov2::ReadMachineDrives(files, added))
        text += std::string(1, d.letter) + "=" + std::to_string(static_cast<int>(d.type)) +
                (d.added ? "+" : "") + (d.iso ? "iso" : "") + ":" + d.label + " ";
    // Types: 1 removable, 2 fixed, 3 remote, 4 cdrom.
    EXPECT_EQ(text, "C=2: D=4:DISC E=2+:folder F=3+:photos G=1:STICK H=4+iso:gone.iso I=1:card ");
}

}  // namespace

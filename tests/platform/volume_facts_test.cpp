// The volume's facts from a sysfs and a UUID folder laid out here as the kernel lays them out,
// and from an ISO image written with bsdtar.
#include "platform/volume_facts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

TEST(VolumeFactsTest, APartitionTakesItsDisksModelAndTheUuidLinkThatLeadsToIt) {
    TempDir dir;
    const fs::path dev = dir / "dev", block = dir / "block", disk = dir / "devices" / "sdb";
    fs::create_directories(dev);
    for (const char* node : {"sdb", "sdb1", "sr0"}) WriteFileBytes(dev / node, "");
    fs::create_directories(disk / "device");
    fs::create_directories(disk / "sdb1");
    WriteFileBytes(disk / "device" / "model", "Ultra Fit       \n");
    WriteFileBytes(disk / "sdb1" / "partition", "1\n");
    fs::create_directories(block);
    fs::create_directory_symlink(disk, block / "sdb");
    fs::create_directory_symlink(disk / "sdb1", block / "sdb1");
    fs::create_directories(dir / "by-uuid");
    fs::create_symlink("../dev/sdb", dir / "by-uuid" / "1111-AAAA");
    fs::create_symlink("../dev/sdb1", dir / "by-uuid" / "2222-BBBB");

    EXPECT_EQ(DriveModel((dev / "sdb1").string(), block.string()), "Ultra Fit");
    EXPECT_EQ(DriveModel((dev / "sdb").string(), block.string()), "Ultra Fit");
    EXPECT_EQ(DriveModel((dev / "sr0").string(), block.string()), "");
    EXPECT_EQ(DeviceUuid((dev / "sdb1").string(), (dir / "by-uuid").string()), "2222-BBBB");
    EXPECT_EQ(DeviceUuid((dev / "sr0").string(), (dir / "by-uuid").string()), "");
    EXPECT_EQ(DeviceUuid("tmpfs", (dir / "by-uuid").string()), "");
}

TEST(VolumeFactsTest, AnImageGivesItsFileSystemLabelAndSize) {
    TempDir dir;
    fs::create_directories(dir / "tree");
    WriteFileBytes(dir / "tree" / "a.txt", "hello");
    const fs::path image = dir / "disc.iso";
    const std::string command = "bsdtar -cf '" + image.string() +
                                "' --format iso9660 --options 'volume-id=BACKUP_2023' -C '" +
                                (dir / "tree").string() + "' .";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const DiscFacts facts = ImageVolumeFacts(image.string());
    EXPECT_EQ(facts.fileSystem, "iso9660");
    EXPECT_EQ(facts.label, "BACKUP_2023");
    EXPECT_EQ(facts.capacity, static_cast<std::int64_t>(fs::file_size(image)));
    EXPECT_EQ(facts.free, 0);
    EXPECT_TRUE(ImageVolumeFacts((dir / "missing.iso").string()).IsEmpty());
}

}  // namespace
}  // namespace ov2::test

// The drive's model and the volume's UUID from a sysfs and a UUID folder laid out here as the
// kernel lays them out.
#include "platform/volume_facts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

TEST(VolumeFactsTest, APartitionTakesItsDisksModelAndTheUuidLinkThatLeadsToIt) {
    TempDir dir;
    const fs::path dev = dir / "dev", block = dir / "block", disk = dir / "devices" / "sdb";
    for (const fs::path& folder : {dev, block, disk / "device", disk / "sdb1", dir / "by-uuid"})
        fs::create_directories(folder);
    for (const char* node : {"sdb", "sdb1", "sr0"}) WriteFileBytes(dev / node, "");
    WriteFileBytes(disk / "device" / "model", "Ultra Fit       \n");
    WriteFileBytes(disk / "sdb1" / "partition", "1\n");
    fs::create_directory_symlink(disk, block / "sdb");
    fs::create_directory_symlink(disk / "sdb1", block / "sdb1");
    fs::create_symlink("../dev/sdb", dir / "by-uuid" / "1111-AAAA");  // the disk's, not the one
    fs::create_symlink("../dev/sdb1", dir / "by-uuid" / "2222-BBBB");

    EXPECT_EQ(DriveModel((dev / "sdb1").string(), block.string()), "Ultra Fit");
    EXPECT_EQ(DriveModel((dev / "sr0").string(), block.string()), "");
    EXPECT_EQ(DeviceUuid((dev / "sdb1").string(), (dir / "by-uuid").string()), "2222-BBBB");
}

}  // namespace
}  // namespace ov2::test

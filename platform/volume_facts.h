#pragma once

#include <string>

#include "core/file_facts.h"

// What a scan records of the volume a disc comes from (ov2::DiscFacts), from the system: the
// mounted file system, the block device's UUID link and the drive's model in sysfs, or the ISO
// image's own volume descriptors. Whatever the system does not say stays unknown.
namespace ov2 {

// The volume that holds the native folder `folder` (a mounted disc or stick, or any folder).
// `scannedAt` is left empty.
DiscFacts FolderVolumeFacts(const std::string& folder);

// An ISO 9660 image file: "iso9660", or "udf" when the image carries a UDF volume too; its
// volume label (the Joliet one when there is one); its size as capacity and nothing free.
DiscFacts ImageVolumeFacts(const std::string& imagePath);

// The model of the drive of a block device ("/dev/sr0", "/dev/sdb1": its parent's), from the
// block devices' folders of sysfs; empty when they do not say.
std::string DriveModel(const std::string& device,
                       const std::string& blockFolder = "/sys/class/block");

// The UUID or serial number of a block device: the name of the link in `uuidFolder` that leads
// to it; empty when it has none.
std::string DeviceUuid(const std::string& device,
                       const std::string& uuidFolder = "/dev/disk/by-uuid");

// Now, local time, ISO 8601 with the zone: "2026-12-08T14:03:09+01:00".
std::string ScanTimeText();

}  // namespace ov2

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"

// Where the drive map comes from: the OV2_DRIVES text, or the machine's optical drives and
// mounts. Each reader takes the text of its file (or the folder to read), so that tests feed
// them fixed content and never need a CD drive.
namespace ov2 {

// The drives of an OV2_DRIVES value: entries "L=type:/absolute/path" separated by ";", the
// letter A..Z in either case, the type one of cdrom, fixed, remote, ram. A cdrom entry whose
// path ends in ".cue" is a CUE/BIN image (no root until its tracks are listed). Malformed
// entries are left out; when a letter comes twice the later entry holds. Ascending letters.
std::vector<Drive> ParseDriveMap(std::string_view text);

struct OpticalDevice {
    std::string name;        // "sr0"
    std::string majorMinor;  // "11:0" when known, else empty
};

// The sr<N> devices below a sysfs block folder ("/sys/block"), in device order (sr2 before
// sr10). Empty when the folder cannot be read.
std::vector<OpticalDevice> OpticalDevicesFromSysBlock(const std::filesystem::path& sysBlock);
// The sr<N> devices named on the "drive name:" line of /proc/sys/dev/cdrom/info (which lists
// the newest drive first), in device order.
std::vector<OpticalDevice> OpticalDevicesFromCdromInfo(std::string_view text);

struct MountEntry {
    std::string majorMinor;  // "11:0"
    std::string root;        // the folder of the file system mounted there; "/" for a whole one
    std::string mountPoint;  // unescaped: "/media/me/MY DISC"
    std::string fsType;
    std::string source;  // unescaped: "/dev/sr0"
};

// The lines of /proc/self/mountinfo, with octal escapes (\040 for a blank) undone. Lines that do
// not have the kernel's layout are left out.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The machine's map: C: on "/", then D:, E:, ... for `optical` in order (as many as letters
// remain), each rooted at the first mount of its whole disc in `mounts`, or without a root.
std::vector<Drive> MachineDrives(const std::vector<OpticalDevice>& optical,
                                 const std::vector<MountEntry>& mounts);

// The files the machine's map is read from.
struct MachineFiles {
    std::filesystem::path sysBlock = "/sys/block";
    std::filesystem::path cdromInfo = "/proc/sys/dev/cdrom/info";  // when sysBlock shows no drive
    std::filesystem::path mountInfo = "/proc/self/mountinfo";
};

// The machine's map. Files that are missing or unreadable count as empty.
std::vector<Drive> ReadMachineDrives(const MachineFiles& files = {});

}  // namespace ov2

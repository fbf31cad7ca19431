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
// letter A..Z in either case, the type one of cdrom, fixed, remote, ram, removable. A cdrom entry
// whose path ends in ".cue" is a CUE/BIN image (no root until its tracks are listed), one whose
// path ends in ".iso" and is no folder an ISO 9660 image. Malformed entries are left out; when a
// letter comes twice the later entry holds. Ascending letters.
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

// A folder or disc image the user added as a drive, as it is remembered.
struct AddedDrive {
    char letter = 0;
    std::string path;  // the folder, or the image file (".cue": a CUE/BIN audio CD; else ISO 9660)
};

// The drive an added folder or image stands for: a CD-ROM drive for an image; for a folder a
// fixed drive, or a remote one when `mounts` show it on a network file system. A path that is
// gone keeps its drive (the scan then says that it cannot be read).
Drive AddedDriveOf(const AddedDrive& added, const std::vector<MountEntry>& mounts);

// Whether a file system type reaches another machine: nfs, cifs, sshfs and the like.
bool IsNetworkFileSystem(std::string_view fsType);

// The machine's map: C: on "/", then D:, E:, ... for `optical` in order (as many as letters
// remain), each rooted at the first mount of its whole disc in `mounts`, or without a root; the
// `added` drives at their letters where no optical drive took them; then `removable` (mounts of
// removable media) in their order at the letters still free after the optical ones. Ascending
// letters.
std::vector<Drive> MachineDrives(const std::vector<OpticalDevice>& optical,
                                 const std::vector<MountEntry>& mounts,
                                 const std::vector<MountEntry>& removable = {},
                                 const std::vector<Drive>& added = {});

// The files the machine's map is read from.
struct MachineFiles {
    std::filesystem::path sysBlock = "/sys/block";
    std::filesystem::path cdromInfo = "/proc/sys/dev/cdrom/info";  // when sysBlock shows no drive
    std::filesystem::path mountInfo = "/proc/self/mountinfo";
    std::string user{};  // whose /media/<user>/ counts; empty: the user running the program
};

// The mounts of removable and external media among `mounts`, in mount order: whole file systems
// that the desktop mounted below /media/<user>/ or /run/media/<user>/, or whose block device's
// disk has its sysfs `removable` flag set. The optical drives' mounts and "/" are not among them,
// and a file system mounted twice counts once.
std::vector<MountEntry> RemovableMounts(const std::vector<MountEntry>& mounts,
                                        const std::vector<OpticalDevice>& optical,
                                        const MachineFiles& files);

// The machine's map with the `added` drives. Files that are missing or unreadable count as empty.
std::vector<Drive> ReadMachineDrives(const MachineFiles& files = {},
                                     const std::vector<AddedDrive>& added = {});

// The files ListDrives reads the machine's map from; tests point them at files of their own.
// Returns the files in use before.
MachineFiles SetMachineFiles(MachineFiles files);
const MachineFiles& CurrentMachineFiles();

}  // namespace ov2

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Drive letters on Linux. Catalogues record Windows paths ("d:\photos\a.jpg") and move between
// machines, so the program keeps letters and maps each onto a native folder: C: is "/", the
// optical drives /dev/sr0, /dev/sr1, ... are D:, E:, ..., the media the desktop mounted for
// removable and external devices take the next free letters, and the folders and disc images
// the user added keep the letters they were given. OV2_DRIVES replaces the whole map
// ("E=cdrom:/tmp/disc1;F=cdrom:/tmp/audio.cue;G=fixed:/home/me").
namespace ov2 {

enum class DriveType { Unknown, Removable, Fixed, Remote, CdRom, RamDisk };

struct Drive {
    char letter = 0;  // 'A'..'Z', upper case
    DriveType type = DriveType::Unknown;
    std::string root;    // the native folder of the drive's root; empty when no disc is mounted
    std::string device;  // "/dev/sr0", "/dev/sdb1", the path of a disc image, or empty for a folder
    bool image = false;  // `device` is a disc image: a CUE/BIN audio CD, or an ISO 9660 image
    bool iso = false;    // the image is an ISO 9660 file system, read from the image itself
    bool added = false;  // a folder or image the user added in the scan dialog
    std::string label{};  // the medium's name as the desktop shows it; may be empty
};

// The drives in ascending letter order. OV2_DRIVES is read on every call, so a test or a demo
// can change the map while the program runs; when it is set and not blank it replaces the
// machine's map entirely, even when none of its entries is usable.
std::vector<Drive> ListDrives();
// The drive with `letter` (either case), if there is one.
std::optional<Drive> FindDrive(char letter);

// Whether the drive shows files that the scan dialog can walk: the optical and removable drives
// and the folders and images the user added.
bool IsScannable(const Drive& drive);

// The native path of an existing file or folder given as a Windows path ("f:\Photos\a.JPG",
// "f:\music\" or "f:\"): "\" and "/" separate names; each name is taken exactly when it exists,
// else the first (in byte order) that equals it without regard to case, else the first whose
// record form (RecordName, platform/text.h) equals it. None when the drive is unknown or has no
// root, when a name is "." or "..", or when the path does not exist. An ISO image drive has no
// native paths: none for it too (see OpenableDrivePath).
std::optional<std::string> ResolveDrivePath(std::string_view windowsPath);
// Whether the file or folder exists, on a folder drive or inside an ISO image, or inside an
// archive on either ("f:\backup\photos.zip\summer\a.jpg": the scan lists an archive's
// contents as a folder named like it).
bool DrivePathExists(std::string_view windowsPath);
// A native path from which the desktop can open the file: the file itself, or for an ISO image
// drive or a file inside an archive a private copy extracted into the cache. None when it
// cannot be had.
std::optional<std::string> OpenableDrivePath(std::string_view windowsPath);

// The same resolution below a native folder: `relative` is the part of a Windows path after
// the drive's root ("photos\a.jpg"); an empty `relative` names the folder itself.
std::optional<std::string> ResolveInFolder(const std::string& root, std::string_view relative);

// Where the disc of a recorded file is now. The recorded root is the text up to and including
// the first "\" ("d:\"). When the file exists as recorded, that root is returned as recorded;
// otherwise the root ("f:\", lower case like the catalogue's folders) of the first CD-ROM
// drive, in letter order, under which the rest of the path exists, else of the first removable
// drive (a USB stick gets whichever letter is free when it is plugged in). None when no drive has
// it.
std::optional<std::string> LocateDiscDrive(std::string_view recordedFullPath);

}  // namespace ov2

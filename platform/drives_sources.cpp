#include "platform/drives_sources.h"

#include <algorithm>
#include <cstdlib>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <pwd.h>
#include <system_error>
#include <utility>
#include <unistd.h>

#include "platform/text.h"

namespace ov2 {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Splits at every `separator`, keeping empty pieces.
std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

std::optional<DriveType> TypeNamed(std::string_view name) {
    if (EqualsNoCase(name, "cdrom")) return DriveType::CdRom;
    if (EqualsNoCase(name, "fixed")) return DriveType::Fixed;
    if (EqualsNoCase(name, "remote")) return DriveType::Remote;
    if (EqualsNoCase(name, "ram")) return DriveType::RamDisk;
    if (EqualsNoCase(name, "removable")) return DriveType::Removable;
    return std::nullopt;
}

bool EndsWithNoCase(std::string_view path, std::string_view suffix) {
    return path.size() > suffix.size() &&
           EqualsNoCase(path.substr(path.size() - suffix.size()), suffix);
}

bool IsCueSheet(std::string_view path) {
    return EndsWithNoCase(path, ".cue");
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// The last name of a path: "/media/me/STICK" -> "STICK".
std::string LastName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// "/tmp/disc1/" and "/tmp/disc1" name the same root; "/" stays "/".
std::string WithoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return std::string(path);
}

std::optional<Drive> ParseDriveEntry(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view letter = Trim(entry.substr(0, equals));
    if (letter.size() != 1) return std::nullopt;
    const char upper =
        static_cast<char>(letter[0] >= 'a' && letter[0] <= 'z' ? letter[0] - 'a' + 'A' : letter[0]);
    if (upper < 'A' || upper > 'Z') return std::nullopt;

    const std::string_view rest = entry.substr(equals + 1);
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::optional<DriveType> type = TypeNamed(Trim(rest.substr(0, colon)));
    // The path is taken byte for byte (blanks included); a relative one would change meaning
    // with the working folder.
    const std::string_view path = rest.substr(colon + 1);
    if (!type || path.empty() || path.front() != '/') return std::nullopt;

    Drive drive;
    drive.letter = upper;
    drive.type = *type;
    if (IsCueSheet(path)) {
        // Only an optical drive can hold a disc image.
        if (*type != DriveType::CdRom) return std::nullopt;
        drive.device = std::string(path);
        drive.image = true;
    } else if (*type == DriveType::CdRom && EndsWithNoCase(path, ".iso") && !IsFolder(path)) {
        drive.device = std::string(path);
        drive.image = true;
        drive.iso = true;
        drive.label = LastName(path);
    } else {
        drive.root = WithoutTrailingSlashes(path);
        if (*type == DriveType::Removable) drive.label = LastName(drive.root);
    }
    return drive;
}

// The N of "srN", if `name` is exactly that.
std::optional<unsigned> OpticalIndex(std::string_view name) {
    if (name.size() < 3 || name.substr(0, 2) != "sr") return std::nullopt;
    unsigned index = 0;
    const char* first = name.data() + 2;
    const char* last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, index);
    if (error != std::errc() || end != last) return std::nullopt;
    return index;
}

void SortByDevice(std::vector<OpticalDevice>& devices) {
    std::sort(devices.begin(), devices.end(), [](const OpticalDevice& a, const OpticalDevice& b) {
        return *OpticalIndex(a.name) < *OpticalIndex(b.name);
    });
    devices.erase(std::unique(devices.begin(), devices.end(),
                              [](const OpticalDevice& a, const OpticalDevice& b) {
                                  return a.name == b.name;
                              }),
                  devices.end());
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    // Files under /proc report a size of 0, so read until the end instead of by size.
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int OctalDigit(char c) {
    return c >= '0' && c <= '7' ? c - '0' : -1;
}

// The kernel writes blank, tab, newline and backslash in paths as \040, \011, \012 and \134.
std::string Unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const int a = OctalDigit(field[i + 1]);
            const int b = OctalDigit(field[i + 2]);
            const int c = OctalDigit(field[i + 3]);
            if (a >= 0 && b >= 0 && c >= 0 && a <= 3) {
                text += static_cast<char>(a * 64 + b * 8 + c);
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

std::optional<MountEntry> ParseMountLine(std::string_view line) {
    std::vector<std::string_view> fields = Split(line, ' ');
    // id, parent, major:minor, root, mount point, options, optional fields..., "-", type,
    // source, super options.
    const auto dash =
        std::find(fields.begin() + std::min<std::size_t>(fields.size(), 6), fields.end(), "-");
    if (fields.size() < 10 || dash == fields.end() || fields.end() - dash < 4) return std::nullopt;
    if (fields[2].find(':') == std::string_view::npos || fields[3].empty() || fields[4].empty())
        return std::nullopt;
    MountEntry entry;
    entry.majorMinor = std::string(fields[2]);
    entry.root = Unescape(fields[3]);
    entry.mountPoint = Unescape(fields[4]);
    entry.fsType = Unescape(dash[1]);
    entry.source = Unescape(dash[2]);
    return entry;
}

std::string CurrentUserName() {
    // The desktop names the folder after the login name, which the password database holds.
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

// "/media/<user>/<name>" or "/run/media/<user>/<name>": where the desktop mounts what is
// plugged in.
bool IsUserMediaFolder(std::string_view mountPoint, const std::string& user) {
    if (user.empty()) return false;
    for (const std::string_view base :
         {std::string_view("/media/"), std::string_view("/run/media/")}) {
        if (!mountPoint.starts_with(base)) continue;
        std::string_view rest = mountPoint.substr(base.size());
        if (!rest.starts_with(user) || rest.size() <= user.size() + 1 || rest[user.size()] != '/')
            continue;
        rest.remove_prefix(user.size() + 1);
        if (rest.find('/') == std::string_view::npos) return true;
    }
    return false;
}

// Whether the disk that holds block device `source` ("/dev/sdb1") says that its medium can be
// taken out: /sys/block/<disk>/removable is "1". A partition's folder lies in its disk's folder.
bool HasRemovableFlag(const std::filesystem::path& sysBlock, std::string_view source) {
    constexpr std::string_view kDev = "/dev/";
    if (!source.starts_with(kDev)) return false;
    const std::string name(source.substr(kDev.size()));
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return false;
    std::error_code error;
    std::filesystem::path disk = sysBlock / name;
    if (!std::filesystem::exists(disk, error)) {
        disk.clear();
        std::filesystem::directory_iterator it(sysBlock, error), end;
        for (; !error && it != end; it.increment(error)) {
            std::error_code inner;
            if (std::filesystem::exists(it->path() / name, inner)) {
                disk = it->path();
                break;
            }
        }
        if (disk.empty()) return false;
    }
    return Trim(ReadWholeFile(disk / "removable")) == "1";
}

}  // namespace

std::vector<Drive> ParseDriveMap(std::string_view text) {
    std::map<char, Drive> byLetter;
    for (std::string_view entry : Split(text, ';')) {
        if (std::optional<Drive> drive = ParseDriveEntry(entry))
            byLetter[drive->letter] = std::move(*drive);
    }
    std::vector<Drive> drives;
    for (auto& [letter, drive] : byLetter) drives.push_back(std::move(drive));
    return drives;
}

std::vector<OpticalDevice> OpticalDevicesFromSysBlock(const std::filesystem::path& sysBlock) {
    std::vector<OpticalDevice> devices;
    std::error_code error;
    std::filesystem::directory_iterator it(sysBlock, error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!OpticalIndex(name)) continue;
        devices.push_back({name, std::string(Trim(ReadWholeFile(it->path() / "dev")))});
    }
    SortByDevice(devices);
    return devices;
}

std::vector<OpticalDevice> OpticalDevicesFromCdromInfo(std::string_view text) {
    constexpr std::string_view kLabel = "drive name:";
    std::vector<OpticalDevice> devices;
    for (std::string_view line : Split(text, '\n')) {
        if (line.substr(0, kLabel.size()) != kLabel) continue;
        for (std::string_view field : Split(line.substr(kLabel.size()), '\t')) {
            for (std::string_view name : Split(field, ' ')) {
                name = Trim(name);
                if (OpticalIndex(name)) devices.push_back({std::string(name), {}});
            }
        }
        break;
    }
    SortByDevice(devices);
    return devices;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    for (std::string_view line : Split(text, '\n')) {
        if (std::optional<MountEntry> entry = ParseMountLine(line))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

bool IsNetworkFileSystem(std::string_view fsType) {
    // FUSE file systems name their program after "fuse."; these reach other machines.
    static constexpr std::string_view kNetwork[] = {
        "nfs",        "nfs4",          "cifs",          "smb3",           "smbfs",
        "ncpfs",      "afs",           "ceph",          "9p",             "davfs",
        "sshfs",      "fuse.sshfs",    "fuse.rclone",   "fuse.s3fs",      "fuse.glusterfs",
        "glusterfs",  "fuse.davfs2",   "fuse.curlftpfs", "fuse.smbnetfs", "fuse.gvfsd-fuse",
        "fuse.cephfs", "fuse.gcsfuse", "fuse.goofys",   "fuse.ftpfs"};
    return std::find(std::begin(kNetwork), std::end(kNetwork), fsType) != std::end(kNetwork);
}

Drive AddedDriveOf(const AddedDrive& added, const std::vector<MountEntry>& mounts) {
    Drive drive;
    drive.letter = added.letter;
    drive.added = true;
    drive.label = LastName(added.path);
    std::error_code error;
    const auto status = std::filesystem::status(added.path, error);
    const bool gone = status.type() == std::filesystem::file_type::not_found;
    // A folder that is gone (a share not mounted now) is told from an image by its name alone.
    const bool folder = gone ? added.path.find('.', added.path.rfind('/') + 1) == std::string::npos
                             : std::filesystem::is_directory(status);
    if (!folder) {
        drive.type = DriveType::CdRom;
        drive.device = added.path;
        drive.image = true;
        drive.iso = !IsCueSheet(added.path);
        return drive;
    }
    drive.root = WithoutTrailingSlashes(added.path);
    drive.type = DriveType::Fixed;
    // The mount that holds the folder: the longest mount point above it (the later of two on
    // the same point, which hides the earlier).
    const MountEntry* holder = nullptr;
    for (const MountEntry& mount : mounts) {
        const std::string_view point = mount.mountPoint;
        const bool above = point == "/" || drive.root == point ||
                           (drive.root.size() > point.size() && drive.root.starts_with(point) &&
                            drive.root[point.size()] == '/');
        if (above && (!holder || point.size() >= holder->mountPoint.size())) holder = &mount;
    }
    if (holder && IsNetworkFileSystem(holder->fsType)) drive.type = DriveType::Remote;
    return drive;
}

std::vector<MountEntry> RemovableMounts(const std::vector<MountEntry>& mounts,
                                        const std::vector<OpticalDevice>& optical,
                                        const MachineFiles& files) {
    const std::string user = files.user.empty() ? CurrentUserName() : files.user;
    std::vector<MountEntry> removable;
    for (const MountEntry& mount : mounts) {
        if (mount.root != "/" || mount.mountPoint == "/") continue;
        const bool isOptical =
            std::any_of(optical.begin(), optical.end(), [&](const OpticalDevice& device) {
                return mount.source == "/dev/" + device.name ||
                       (!device.majorMinor.empty() && mount.majorMinor == device.majorMinor);
            });
        const bool seen = std::any_of(removable.begin(), removable.end(), [&](const MountEntry& m) {
            return m.majorMinor == mount.majorMinor;
        });
        if (isOptical || seen) continue;
        if (IsUserMediaFolder(mount.mountPoint, user) ||
            HasRemovableFlag(files.sysBlock, mount.source))
            removable.push_back(mount);
    }
    return removable;
}

std::vector<Drive> MachineDrives(const std::vector<OpticalDevice>& optical,
                                 const std::vector<MountEntry>& mounts,
                                 const std::vector<MountEntry>& removable,
                                 const std::vector<Drive>& added) {
    std::vector<Drive> drives;
    drives.push_back({'C', DriveType::Fixed, "/", {}, false});
    char letter = 'D';
    for (const OpticalDevice& device : optical) {
        if (letter > 'Z') break;
        Drive drive{letter++, DriveType::CdRom, {}, "/dev/" + device.name, false};
        // A bind mount of a folder inside the disc is not the disc's root.
        const auto mount = std::find_if(mounts.begin(), mounts.end(), [&](const MountEntry& m) {
            const bool same = m.source == drive.device ||
                              (!device.majorMinor.empty() && m.majorMinor == device.majorMinor);
            return same && m.root == "/";
        });
        if (mount != mounts.end()) {
            drive.root = mount->mountPoint;
            drive.label = LastName(drive.root);
        }
        drives.push_back(std::move(drive));
    }
    const auto taken = [&drives](char l) {
        return std::any_of(drives.begin(), drives.end(),
                           [l](const Drive& d) { return d.letter == l; });
    };
    // An added drive keeps its letter, so that its records open again; an optical drive that
    // appeared since holds its own letter first.
    for (const Drive& drive : added) {
        if (!taken(drive.letter)) drives.push_back(drive);
    }
    for (const MountEntry& mount : removable) {
        while (letter <= 'Z' && taken(letter)) ++letter;
        if (letter > 'Z') break;
        Drive drive{letter, DriveType::Removable, mount.mountPoint, mount.source, false};
        drive.label = LastName(mount.mountPoint);
        drives.push_back(std::move(drive));
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    return drives;
}

std::vector<Drive> ReadMachineDrives(const MachineFiles& files,
                                     const std::vector<AddedDrive>& added) {
    std::vector<OpticalDevice> optical = OpticalDevicesFromSysBlock(files.sysBlock);
    if (optical.empty()) optical = OpticalDevicesFromCdromInfo(ReadWholeFile(files.cdromInfo));
    const std::vector<MountEntry> mounts = ParseMountInfo(ReadWholeFile(files.mountInfo));
    std::vector<Drive> addedDrives;
    for (const AddedDrive& drive : added) addedDrives.push_back(AddedDriveOf(drive, mounts));
    return MachineDrives(optical, mounts, RemovableMounts(mounts, optical, files), addedDrives);
}

namespace {
MachineFiles& MachineFilesInUse() {
    static MachineFiles files;
    return files;
}
}  // namespace

MachineFiles SetMachineFiles(MachineFiles files) {
    return std::exchange(MachineFilesInUse(), std::move(files));
}

const MachineFiles& CurrentMachineFiles() {
    return MachineFilesInUse();
}

}  // namespace ov2

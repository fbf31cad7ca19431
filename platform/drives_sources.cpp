#include "platform/drives_sources.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <system_error>

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
    return std::nullopt;
}

bool IsCueSheet(std::string_view path) {
    constexpr std::string_view kCue = ".cue";
    return path.size() > kCue.size() && EqualsNoCase(path.substr(path.size() - kCue.size()), kCue);
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
    } else {
        drive.root = WithoutTrailingSlashes(path);
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

std::vector<Drive> MachineDrives(const std::vector<OpticalDevice>& optical,
                                 const std::vector<MountEntry>& mounts) {
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
        if (mount != mounts.end()) drive.root = mount->mountPoint;
        drives.push_back(std::move(drive));
    }
    return drives;
}

std::vector<Drive> ReadMachineDrives(const MachineFiles& files) {
    std::vector<OpticalDevice> optical = OpticalDevicesFromSysBlock(files.sysBlock);
    if (optical.empty()) optical = OpticalDevicesFromCdromInfo(ReadWholeFile(files.cdromInfo));
    return MachineDrives(optical, ParseMountInfo(ReadWholeFile(files.mountInfo)));
}

}  // namespace ov2

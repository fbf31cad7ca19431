#include "platform/drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/drives_sources.h"
#include "platform/text.h"

namespace ov2 {
namespace {

namespace fs = std::filesystem;

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// What stat() says, without exceptions.
bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}
bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The name in `folder` that stands for `name`: `name` itself when it fits, else the first
// entry in byte order that equals it without regard to case and fits, else the first entry
// whose record form (RecordName: the scan wrote "back\slash" as "back_slash") equals it,
// exactly before without regard to case. A name fits when it exists and, if `folderWanted`,
// is a folder.
std::optional<std::string> FindName(const fs::path& folder, const std::string& name,
                                    bool folderWanted) {
    const auto fits = [&](const std::string& candidate) {
        const fs::path path = folder / candidate;
        return folderWanted ? IsFolder(path) : Exists(path);
    };
    if (fits(name)) return name;

    std::vector<std::string> matches;
    std::vector<std::pair<bool, std::string>> replaced;  // (record form differs in case, entry)
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (entry != name && EqualsNoCase(entry, name)) {
            matches.push_back(std::move(entry));
            continue;
        }
        const std::string recorded = RecordName(entry);
        if (recorded != entry && EqualsNoCase(recorded, name))
            replaced.emplace_back(recorded != name, std::move(entry));
    }
    std::sort(matches.begin(), matches.end());
    for (std::string& match : matches) {
        if (fits(match)) return std::move(match);
    }
    std::sort(replaced.begin(), replaced.end());
    for (auto& match : replaced) {
        if (fits(match.second)) return std::move(match.second);
    }
    return std::nullopt;
}

struct WindowsPath {
    char letter = 0;            // upper case
    std::string_view relative;  // after "x:\"
};

// "f:\a\b", "f:\" and "f:" name places on drive F.
std::optional<WindowsPath> SplitWindowsPath(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    const char letter = UpperLetter(path[0]);
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    std::string_view relative = path.substr(2);
    if (!relative.empty()) {
        if (relative.front() != '\\' && relative.front() != '/') return std::nullopt;
        relative.remove_prefix(1);
    }
    return WindowsPath{letter, relative};
}

// Tries the override first so that tests and demos never depend on this machine's drives. A
// value made only of malformed entries still overrides (with no drives), rather than quietly
// exposing the real ones.
std::vector<Drive> CurrentDrives() {
    const char* map = std::getenv("OV2_DRIVES");
    if (map && !IsBlank(map)) return ParseDriveMap(map);
    return ReadMachineDrives();
}

}  // namespace

std::vector<Drive> ListDrives() {
    return CurrentDrives();
}

std::optional<Drive> FindDrive(char letter) {
    letter = UpperLetter(letter);
    for (Drive& drive : CurrentDrives()) {
        if (drive.letter == letter) return std::move(drive);
    }
    return std::nullopt;
}

std::optional<std::string> ResolveInFolder(const std::string& root, std::string_view relative) {
    if (root.empty() || !IsFolder(root)) return std::nullopt;

    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = relative.size();
        const std::string_view name = relative.substr(start, end - start);
        // A record never holds "." or ".."; they would lead out of the drive.
        if (name == "." || name == "..") return std::nullopt;
        if (!name.empty()) names.emplace_back(name);
        start = end + 1;
    }

    // "music\" names a folder, as "music/" does to stat().
    const bool endsInFolder =
        !relative.empty() && (relative.back() == '\\' || relative.back() == '/');
    fs::path path = root;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool folderWanted = i + 1 < names.size() || endsInFolder;
        std::optional<std::string> found = FindName(path, names[i], folderWanted);
        if (!found) return std::nullopt;
        path /= *found;
    }
    return path.string();
}

std::optional<std::string> ResolveDrivePath(std::string_view windowsPath) {
    const std::optional<WindowsPath> parts = SplitWindowsPath(windowsPath);
    if (!parts) return std::nullopt;
    const std::optional<Drive> drive = FindDrive(parts->letter);
    if (!drive) return std::nullopt;
    return ResolveInFolder(drive->root, parts->relative);
}

bool DrivePathExists(std::string_view windowsPath) {
    return ResolveDrivePath(windowsPath).has_value();
}

std::optional<std::string> LocateDiscDrive(std::string_view recordedFullPath) {
    const std::size_t slash = recordedFullPath.find('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view recordedRoot = recordedFullPath.substr(0, slash + 1);
    const std::string_view rest = recordedFullPath.substr(slash + 1);

    const std::vector<Drive> drives = CurrentDrives();
    if (const std::optional<WindowsPath> parts = SplitWindowsPath(recordedFullPath)) {
        const auto recorded = std::find_if(drives.begin(), drives.end(), [&](const Drive& d) {
            return d.letter == parts->letter;
        });
        if (recorded != drives.end() && ResolveInFolder(recorded->root, parts->relative))
            return std::string(recordedRoot);
    }
    for (const Drive& drive : drives) {
        if (drive.type != DriveType::CdRom || !ResolveInFolder(drive.root, rest)) continue;
        const char lower = static_cast<char>(drive.letter - 'A' + 'a');
        return std::string{lower, ':', '\\'};
    }
    return std::nullopt;
}

}  // namespace ov2

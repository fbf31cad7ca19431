#include "platform/drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <memory>
#include <system_error>

#include "platform/archive_listing.h"
#include "platform/drives_added.h"
#include "platform/drives_sources.h"
#include "platform/iso_image.h"
#include "platform/text.h"

namespace ov2 {
namespace {

namespace fs = std::filesystem;

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
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
std::optional<std::string> FindName(const fs::path& folder, std::string_view name,
                                    bool folderWanted) {
    const auto fits = [&](const std::string& candidate) {
        const fs::path path = folder / candidate;
        return folderWanted ? IsFolder(path) : Exists(path);
    };
    if (fits(std::string(name))) return std::string(name);

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
    if (DriveMapOverridden()) return ParseDriveMap(std::getenv("OV2_DRIVES"));
    return ReadMachineDrives(CurrentMachineFiles(), RememberedDrives());
}

using Listing = std::shared_ptr<const std::vector<ImageEntry>>;

// The listing of an ISO image or an archive, kept while the file keeps its size and time: the
// insert-CD loop and the search windows look into the same files again and again, and a large
// one takes a while to list. None when it cannot be read.
Listing CachedListing(const std::string& path, bool archive) {
    struct Cached {
        std::string path;
        bool archive = false;
        fs::file_time_type modified;
        std::uintmax_t size = 0;
        Listing entries;  // null: unreadable
    };
    constexpr std::size_t kKept = 4;  // a listing of 100,000 files takes some megabytes
    static std::list<Cached> cache;   // the latest first

    std::error_code error;
    const fs::file_time_type modified = fs::last_write_time(path, error);
    const std::uintmax_t size = error ? 0 : fs::file_size(path, error);
    if (error) return nullptr;  // gone: as a drive without its disc
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->path != path || it->archive != archive) continue;
        if (it->modified == modified && it->size == size) {
            cache.splice(cache.begin(), cache, it);
            return it->entries;
        }
        cache.erase(it);
        break;
    }
    auto entries = std::make_shared<std::vector<ImageEntry>>();
    std::string reason;
    Listing listed;
    if (archive ? ListArchive(path, *entries, &reason) == ArchiveOutcome::Listed
                : ListIsoImage(path, *entries, &reason))
        listed = std::move(entries);
    cache.push_front({path, archive, modified, size, listed});
    if (cache.size() > kKept) cache.pop_back();
    return listed;
}

// Whether `relative` names an existing file or folder on the drive itself.
bool ExistsDirectly(const Drive& drive, std::string_view relative) {
    if (drive.iso) {
        const auto entries = CachedListing(drive.device, false);
        return entries && ResolveInImage(*entries, relative).has_value();
    }
    return ResolveInFolder(drive.root, relative).has_value();
}

// A path that leads through an archive file on the drive: the archive as a native file (for an
// image, a copy taken out of it) and the rest of the path inside it.
struct ArchivePlace {
    std::string archive;
    std::string inside;
};

// The scan lists an archive's contents in a folder named like it ("backup\photos.zip\a.jpg"),
// and archives inside archives stay files: the first name of the path that is an archive file on
// the drive is the one the rest lies in.
std::optional<ArchivePlace> FindArchivePlace(const Drive& drive, std::string_view relative) {
    const std::optional<std::vector<std::string_view>> split = SplitDrivePath(relative);
    if (!split) return std::nullopt;
    const std::vector<std::string_view>& names = *split;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        if (!IsArchiveName(names[i])) continue;
        const std::size_t end =
            static_cast<std::size_t>(names[i].data() + names[i].size() - relative.data());
        const std::string_view prefix = relative.substr(0, end);
        std::optional<std::string> archive;
        if (!drive.iso) {
            archive = ResolveInFolder(drive.root, prefix);
            if (archive && IsFolder(*archive)) archive.reset();
        } else if (ExistsDirectly(drive, prefix) &&
                   !ExistsDirectly(drive, std::string(prefix) + '\\')) {
            archive = ExtractFromIsoImage(drive.device, prefix, nullptr);
        }
        if (!archive) continue;
        return ArchivePlace{std::move(*archive),
                            std::string(relative.substr(std::min(end + 1, relative.size())))};
    }
    return std::nullopt;
}

// Whether `relative` names an existing file or folder on the drive, or inside an archive on it.
bool ExistsOnDrive(const Drive& drive, std::string_view relative) {
    if (ExistsDirectly(drive, relative)) return true;
    const std::optional<ArchivePlace> place = FindArchivePlace(drive, relative);
    if (!place) return false;
    const auto entries = CachedListing(place->archive, true);
    return entries && ResolveInImage(*entries, place->inside).has_value();
}

std::string LowerRoot(char letter) {
    return std::string{static_cast<char>(letter - 'A' + 'a'), ':', '\\'};
}

}  // namespace

std::vector<Drive> ListDrives() {
    return CurrentDrives();
}

bool IsScannable(const Drive& drive) {
    return drive.type == DriveType::CdRom || drive.type == DriveType::Removable || drive.added;
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

    const std::optional<std::vector<std::string_view>> split = SplitDrivePath(relative);
    if (!split) return std::nullopt;
    const std::vector<std::string_view>& names = *split;

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
    if (!drive || drive->iso) return std::nullopt;
    return ResolveInFolder(drive->root, parts->relative);
}

bool DrivePathExists(std::string_view windowsPath) {
    const std::optional<WindowsPath> parts = SplitWindowsPath(windowsPath);
    if (!parts) return false;
    const std::optional<Drive> drive = FindDrive(parts->letter);
    return drive && ExistsOnDrive(*drive, parts->relative);
}

std::optional<std::string> OpenableDrivePath(std::string_view windowsPath) {
    const std::optional<WindowsPath> parts = SplitWindowsPath(windowsPath);
    const std::optional<Drive> drive = parts ? FindDrive(parts->letter) : std::nullopt;
    if (!drive) return std::nullopt;
    std::string reason;  // the user is told "File Opening Failed", as for any other file
    if (ExistsDirectly(*drive, parts->relative))
        return drive->iso ? ExtractFromIsoImage(drive->device, parts->relative, &reason)
                          : ResolveInFolder(drive->root, parts->relative);
    // A file inside an archive is opened from a private copy taken out of it.
    const std::optional<ArchivePlace> place = FindArchivePlace(*drive, parts->relative);
    if (!place) return std::nullopt;
    return ExtractFromArchive(place->archive, place->inside, &reason);
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
        if (recorded != drives.end() && ExistsOnDrive(*recorded, parts->relative))
            return std::string(recordedRoot);
    }
    // A disc is looked for in the CD-ROM drives (images included) first; a USB stick or an
    // external disk gets whichever letter and mount point is free when it is plugged in.
    for (const DriveType type : {DriveType::CdRom, DriveType::Removable}) {
        for (const Drive& drive : drives) {
            if (drive.type == type && ExistsOnDrive(drive, rest)) return LowerRoot(drive.letter);
        }
    }
    return std::nullopt;
}

}  // namespace ov2

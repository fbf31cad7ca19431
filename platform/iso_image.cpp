#include "platform/iso_image.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/fd_closer.h"
#include "platform/text.h"

namespace ov2 {
namespace {

constexpr std::size_t kSectorSize = 2048;
constexpr off_t kVolumeDescriptorOffset = 16 * 2048;
// Images carry a handful; more than this is a malformed set without its terminator.
constexpr int kMaxVolumeDescriptors = 32;
// Links inside an image may point at links; a chain longer than this is taken for a loop.
constexpr int kMaxLinkHops = 40;

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string ArchiveError(archive* a) {
    const char* text = archive_error_string(a);
    return text && *text ? std::string(text) : std::string("the image cannot be read");
}

std::uint32_t Little32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Checks what libarchive trusts before it reads a byte of the tree. It lists the directories it
// finds without noticing an image cut short after them (its files would then be catalogued but
// could never be opened), and it allocates a root directory's whole size at once, however large
// a malformed descriptor says it is. Every primary and supplementary volume descriptor must
// therefore fit its volume, and its root directory, inside the file.
bool CheckImageFile(const std::string& imagePath, std::string* error) {
    const int fd = ::open(imagePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetError(error, "not a disc image file");
        return false;
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    bool primary = false;
    std::uint64_t volume = 0;
    unsigned char descriptor[kSectorSize];
    for (int i = 0; i < kMaxVolumeDescriptors; ++i) {
        const off_t at = kVolumeDescriptorOffset + static_cast<off_t>(i) * static_cast<off_t>(kSectorSize);
        if (::pread(fd, descriptor, sizeof descriptor, at) != static_cast<ssize_t>(sizeof descriptor) ||
            std::memcmp(descriptor + 1, "CD001", 5) != 0 || descriptor[0] == 255)
            break;
        if (descriptor[0] != 1 && descriptor[0] != 2) continue;
        const std::uint64_t blockSize = descriptor[128] | (descriptor[129] << 8);
        const std::uint64_t size = Little32(descriptor + 80) * blockSize;
        const std::uint64_t rootSize = Little32(descriptor + 156 + 10);
        if (rootSize > fileSize) {
            ::close(fd);
            SetError(error, "the image is malformed: its root folder is larger than the image");
            return false;
        }
        primary = primary || descriptor[0] == 1;
        volume = std::max(volume, size);
    }
    ::close(fd);
    if (!primary) {
        SetError(error, "not an ISO 9660 disc image");
        return false;
    }
    // Copies of discs written track at once often lack the two run-out sectors at the end,
    // which hold no file; a shortfall beyond them cuts into files.
    constexpr std::uint64_t kRunOutBytes = 2 * kSectorSize;
    if (fileSize + kRunOutBytes < volume) {
        SetError(error, "the image is truncated: it holds " + std::to_string(fileSize) + " of its " +
                            std::to_string(volume) + " bytes");
        return false;
    }
    return true;
}

ArchivePtr OpenImage(const std::string& imagePath, std::string* error) {
    ArchivePtr a(archive_read_new());
    if (!a) {
        SetError(error, "out of memory");
        return nullptr;
    }
    archive_read_support_format_iso9660(a.get());
    if (archive_read_open_filename(a.get(), imagePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
        SetError(error, ArchiveError(a.get()));
        return nullptr;
    }
    return a;
}

// The names of a path, split at "/". False when a name is empty, "." or "..": such a path
// would not name a place inside the image.
bool SplitNames(std::string_view path, std::vector<std::string_view>& names) {
    names.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == "..") return false;
        names.push_back(name);
        if (end == path.size()) return true;
        start = end + 1;
    }
}

std::string_view ParentOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}
std::string_view NameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Where a link inside the image leads, as a path relative to the image root; none for an
// absolute target or one that climbs above the root (a mounted image would look outside).
std::optional<std::string> LinkTarget(std::string_view linkPath, std::string_view target) {
    if (target.empty() || target.front() == '/') return std::nullopt;
    std::vector<std::string_view> names;
    const std::string_view parent = ParentOf(linkPath);
    std::size_t start = 0;
    std::string joined = parent.empty() ? std::string(target) : std::string(parent) + '/' + std::string(target);
    const std::string_view all = joined;
    while (start <= all.size()) {
        const std::size_t end = std::min(all.find('/', start), all.size());
        const std::string_view name = all.substr(start, end - start);
        if (name == "..") {
            if (names.empty()) return std::nullopt;
            names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string_view name : names) {
        if (!path.empty()) path += '/';
        path.append(name);
    }
    return path;
}

// Every entry of the image in the order libarchive meets them. False, with the reason, when
// the image cannot be read through or holds a path that does not stay inside it.
bool ReadEntries(const std::string& imagePath, std::vector<RawImageEntry>& raw,
                 std::string* error) {
    ArchivePtr a = OpenImage(imagePath, error);
    if (!a) return false;
    // Every entry stands in a directory record of its own, 34 bytes at least. A damaged image
    // whose directories lead into each other gives entries without end: a 62 KiB image was
    // seen to give millions, and with them gigabytes.
    std::error_code sizeError;
    const std::uintmax_t imageSize = std::filesystem::file_size(imagePath, sizeError);
    const std::size_t maxEntries = sizeError ? std::numeric_limits<std::size_t>::max()  // a device
                                             : static_cast<std::size_t>(imageSize / 34) + 1;
    // A body shared with the entry before comes back as a hard link without a size.
    std::uint64_t previousSize = 0;
    std::vector<std::string_view> names;
    archive_entry* entry = nullptr;
    while (true) {
        const int result = archive_read_next_header(a.get(), &entry);
        if (result == ARCHIVE_EOF) return true;
        // A warning means a directory or a body that could not be read: the listing would be
        // incomplete, so the image is refused rather than half catalogued.
        if (result != ARCHIVE_OK) {
            SetError(error, ArchiveError(a.get()));
            return false;
        }
        const char* path = archive_entry_pathname(entry);
        if (!path) {
            SetError(error, "the image holds an entry without a name");
            return false;
        }
        const std::string_view pathView(path);
        if (pathView == "." || pathView.empty()) continue;  // the root
        if (!SplitNames(pathView, names)) {
            SetError(error, "the image holds a name that leads outside it: " + std::string(pathView));
            return false;
        }
        if (raw.size() >= maxEntries) {
            SetError(error, "the image holds more entries than it has room for: it is damaged");
            return false;
        }
        RawImageEntry item = RawEntryOf(entry, std::string(pathView), previousSize);
        raw.push_back(std::move(item));
    }
}

// The same resolution as a folder's, over the entries: `current` is a folder path ("" for the
// root), `name` one name of a record path.
std::optional<std::string> FindEntry(const std::vector<ImageEntry>& entries, const std::string& current,
                                     std::string_view name, bool folderWanted) {
    const ImageEntry* exact = nullptr;
    const ImageEntry* noCase = nullptr;
    const ImageEntry* replaced = nullptr;
    bool replacedDiffersInCase = true;
    for (const ImageEntry& entry : entries) {
        if (folderWanted && !entry.folder) continue;
        if (ParentOf(entry.path) != current) continue;
        const std::string_view entryName = NameOf(entry.path);
        if (entryName == name) {
            exact = &entry;
            break;
        }
        if (EqualsNoCase(entryName, name)) {
            if (!noCase || entryName < NameOf(noCase->path)) noCase = &entry;
            continue;
        }
        const std::string recorded = RecordName(entryName);
        if (recorded == entryName || !EqualsNoCase(recorded, name)) continue;
        const bool differsInCase = recorded != name;
        if (!replaced || differsInCase < replacedDiffersInCase ||
            (differsInCase == replacedDiffersInCase && entryName < NameOf(replaced->path))) {
            replaced = &entry;
            replacedDiffersInCase = differsInCase;
        }
    }
    const ImageEntry* found = exact ? exact : noCase ? noCase : replaced;
    if (!found) return std::nullopt;
    return found->path;
}

std::string CacheRoot() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.cache";
}

// A stable name for the image's cache folder: the same image path gives the same folder from
// one run to the next (FNV-1a, 64 bits).
std::string PathHash(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : path) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// Opens (creating it 0700 when absent) the folder `name` inside the folder `parentFd`. A link
// planted in its place is not followed; a folder that exists is made private to the user.
int OpenPrivateFolder(int parentFd, const std::string& name, std::string* error) {
    if (::mkdirat(parentFd, name.c_str(), 0700) != 0 && errno != EEXIST) {
        SetError(error, name + ": " + std::strerror(errno));
        return -1;
    }
    const int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, name + ": " + std::strerror(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || ::fchmod(fd, 0700) != 0) {
        SetError(error, name + ": not a private folder of this user");
        ::close(fd);
        return -1;
    }
    return fd;
}


// Copies the body of the entry at `entryPath` (a listing path) into `fd`. False when the source
// no longer holds it, cannot be read through, or stores it under a name that leads outside it;
// `link` receives a symbolic link's target instead of a body.
bool CopyBody(const EntrySource& source, const std::string& entryPath, int fd, std::string& link,
              std::string* error) {
    ArchivePtr a(source.open(error));
    if (!a) return false;
    std::string previous;  // the last entry with a body: a hard link's source
    archive_entry* entry = nullptr;
    while (true) {
        const int result = archive_read_next_header(a.get(), &entry);
        if (result == ARCHIVE_EOF) {
            SetError(error, source.path + " no longer holds " + entryPath);
            return false;
        }
        if (result != ARCHIVE_OK && result != ARCHIVE_WARN) {
            SetError(error, ArchiveError(a.get()));
            return false;
        }
        const char* stored = archive_entry_pathname(entry);
        bool unsafe = false;
        const std::string path = stored ? source.listedPath(stored, unsafe) : std::string();
        const bool hardLink = archive_entry_hardlink(entry) && !archive_entry_size_is_set(entry);
        if (!stored || entryPath != path) {
            if (stored && !hardLink && archive_entry_filetype(entry) == AE_IFREG) previous = path;
            continue;
        }
        if (unsafe) {
            SetError(error, "refused to extract " + std::string(stored) +
                                ": its name leads outside " + source.path);
            return false;
        }
        if (archive_entry_filetype(entry) == AE_IFLNK) {
            const char* target = archive_entry_symlink(entry);
            link = target ? target : "";
            return true;
        }
        if (hardLink) {
            // Its body came with the entry before, already passed: read the source again.
            return CopyBody(source, previous, fd, link, error);
        }
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        while (true) {
            const int read = archive_read_data_block(a.get(), &block, &size, &offset);
            if (read == ARCHIVE_EOF) return true;
            if (read != ARCHIVE_OK) {
                SetError(error, ArchiveError(a.get()));
                return false;
            }
            const char* bytes = static_cast<const char*>(block);
            for (size_t done = 0; done < size;) {
                const ssize_t written = ::pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
                if (written < 0) {
                    if (errno == EINTR) continue;
                    SetError(error, std::strerror(errno));
                    return false;
                }
                done += static_cast<size_t>(written);
            }
        }
    }
}

}  // namespace

// Makes the listing one that a mounted image would show: one entry per path (the first one
// read wins), every folder above an entry present as a folder, nothing below a file. Links
// lead to what they name inside the image: to a folder they are left out, to a file they count
// with its size, and to nothing (or outside the image) they are files of no size.
RawImageEntry RawEntryOf(::archive_entry* entry, std::string path, std::uint64_t& previousSize) {
    RawImageEntry item;
    item.entry.path = std::move(path);
    item.entry.hasTime = archive_entry_mtime_is_set(entry) != 0;
    if (item.entry.hasTime) item.entry.modified = archive_entry_mtime(entry);
    // Zip and 7z entries may hide their data behind a password while their names stay readable.
    item.entry.encrypted = archive_entry_is_encrypted(entry) != 0;
    const mode_t type = archive_entry_filetype(entry);
    if (type == AE_IFDIR) {
        item.entry.folder = true;
    } else if (type == AE_IFLNK) {
        item.link = true;
        const char* target = archive_entry_symlink(entry);
        item.linkTarget = target ? target : "";
    } else if (archive_entry_hardlink(entry) && !archive_entry_size_is_set(entry)) {
        item.entry.size = previousSize;
    } else {
        const la_int64_t size = archive_entry_size(entry);
        item.entry.size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
        previousSize = item.entry.size;
    }
    return item;
}

void SettleImageEntries(std::vector<RawImageEntry>& raw, std::vector<ImageEntry>& entries) {
    std::unordered_map<std::string, std::size_t> index;  // path -> place in `raw`
    index.reserve(raw.size() * 2);
    std::vector<std::size_t> kept;
    kept.reserve(raw.size());
    std::vector<RawImageEntry> implied;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (index.count(raw[i].entry.path)) continue;
        // Every folder above: present and a folder, or implied here.
        bool underFile = false;
        std::string_view parent = ParentOf(raw[i].entry.path);
        std::vector<std::string_view> missing;
        while (!parent.empty()) {
            const auto found = index.find(std::string(parent));
            if (found != index.end()) {
                const RawImageEntry& above = found->second < raw.size()
                                                 ? raw[found->second]
                                                 : implied[found->second - raw.size()];
                underFile = !above.entry.folder;
                break;
            }
            missing.push_back(parent);
            parent = ParentOf(parent);
        }
        if (underFile) continue;
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            RawImageEntry folder;
            folder.entry.path = std::string(*it);
            folder.entry.folder = true;
            index.emplace(folder.entry.path, raw.size() + implied.size());
            kept.push_back(raw.size() + implied.size());
            implied.push_back(std::move(folder));
        }
        index.emplace(raw[i].entry.path, i);
        kept.push_back(i);
    }
    const auto at = [&](std::size_t i) -> RawImageEntry& {
        return i < raw.size() ? raw[i] : implied[i - raw.size()];
    };

    entries.clear();
    entries.reserve(kept.size());
    for (const std::size_t i : kept) {
        RawImageEntry& item = at(i);
        if (item.link) {
            // Follow the chain to a folder, a file or nothing.
            std::optional<std::string> target = LinkTarget(item.entry.path, item.linkTarget);
            const RawImageEntry* reached = nullptr;
            for (int hop = 0; target && hop < kMaxLinkHops; ++hop) {
                const auto found = index.find(*target);
                if (found == index.end()) break;
                const RawImageEntry& next = at(found->second);
                if (!next.link) {
                    reached = &next;
                    break;
                }
                target = LinkTarget(next.entry.path, next.linkTarget);
            }
            if (reached && reached->entry.folder) continue;
            // Like a link on a mounted disc, it shows what it leads to.
            item.entry.size = reached ? reached->entry.size : 0;
            item.entry.hasTime = reached && reached->entry.hasTime;
            item.entry.modified = reached ? reached->entry.modified : 0;
            item.entry.encrypted = reached && reached->entry.encrypted;
        }
        entries.push_back(item.entry);  // copied: a later link may still follow this one's path
    }
}

bool ListIsoImage(const std::string& imagePath, std::vector<ImageEntry>& entries, std::string* error) {
    entries.clear();
    if (!CheckImageFile(imagePath, error)) return false;
    const Utf8Locale utf8;
    std::vector<RawImageEntry> raw;
    if (!ReadEntries(imagePath, raw, error)) return false;
    SettleImageEntries(raw, entries);
    return true;
}

std::optional<std::string> ResolveInImage(const std::vector<ImageEntry>& entries, std::string_view relative) {
    const std::optional<std::vector<std::string_view>> split = SplitDrivePath(relative);
    if (!split) return std::nullopt;
    const std::vector<std::string_view>& names = *split;
    const bool endsInFolder = !relative.empty() && (relative.back() == '\\' || relative.back() == '/');
    std::string path;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool folderWanted = i + 1 < names.size() || endsInFolder;
        std::optional<std::string> found = FindEntry(entries, path, names[i], folderWanted);
        if (!found) return std::nullopt;
        path = std::move(*found);
    }
    return path;
}

std::optional<std::string> ExtractFromIsoImage(const std::string& imagePath, std::string_view relative,
                                               std::string* error) {
    std::vector<ImageEntry> entries;
    std::string reason;
    if (!ListIsoImage(imagePath, entries, &reason)) {
        SetError(error, imagePath + ": " + reason);
        return std::nullopt;
    }
    return ExtractFromIsoImage(imagePath, entries, relative, error);
}

std::optional<std::string> ExtractFromIsoImage(const std::string& imagePath,
                                               const std::vector<ImageEntry>& entries,
                                               std::string_view relative, std::string* error) {
    EntrySource source;
    source.path = imagePath;
    source.cacheFolder = "images";
    source.open = [&imagePath](std::string* openError) {
        return OpenImage(imagePath, openError).release();
    };
    source.listedPath = [](std::string_view stored, bool& unsafe) {
        unsafe = false;  // the listing refuses an image that stores such names
        return std::string(stored);
    };
    return ExtractListedEntry(source, entries, relative, error);
}

std::optional<std::string> ExtractListedEntry(const EntrySource& source,
                                              const std::vector<ImageEntry>& entries,
                                              std::string_view relative, std::string* error) {
    const std::string& imagePath = source.path;
    std::string reason;
    const std::optional<std::string> found = ResolveInImage(entries, relative);
    if (!found || found->empty()) {
        SetError(error, imagePath + " holds no file " + std::string(relative));
        return std::nullopt;
    }
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const ImageEntry& e) { return e.path == *found; });
    if (entry == entries.end() || entry->folder) {
        SetError(error, std::string(relative) + " is a folder of " + imagePath);
        return std::nullopt;
    }
    std::vector<std::string_view> names;
    if (!SplitNames(*found, names)) {  // the listing refuses such paths; this is the last guard
        SetError(error, "refused to extract " + *found + ": it would leave the cache folder");
        return std::nullopt;
    }

    // $XDG_CACHE_HOME/ov2/images/<hash>/<folders...>/<name>, every level opened without
    // following links, so that nothing planted in the cache can redirect the copy.
    const std::string cacheRoot = CacheRoot();
    std::string cachePath = cacheRoot;
    for (std::size_t slash = 1; slash != std::string::npos;) {  // the cache root itself, 0700 when made here
        slash = cacheRoot.find('/', slash + 1);
        ::mkdir(cacheRoot.substr(0, slash).c_str(), 0700);
    }
    FdCloser folder(::open(cacheRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        SetError(error, cacheRoot + ": " + std::strerror(errno));
        return std::nullopt;
    }
    std::vector<std::string> levels{"ov2", source.cacheFolder, PathHash(imagePath)};
    for (std::size_t i = 0; i + 1 < names.size(); ++i) levels.emplace_back(names[i]);
    for (const std::string& level : levels) {
        const int next = OpenPrivateFolder(folder.get(), level, &reason);
        if (next < 0) {
            SetError(error, cachePath + "/" + reason);
            return std::nullopt;
        }
        folder.reset(next);
        cachePath += '/' + level;
    }

    // A fresh file beside the copy, renamed over it when complete: a link or an older copy in
    // its place is replaced, never written through.
    const std::string name(names.back());
    std::string temporary;
    FdCloser out(-1);
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        temporary = ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        out.reset(::openat(folder.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.get() < 0 && errno != EEXIST) break;
    }
    if (out.get() < 0) {
        SetError(error, cachePath + ": " + std::strerror(errno));
        return std::nullopt;
    }
    std::string copied = *found;
    bool ok = false;
    {
        const Utf8Locale utf8;
        for (int hop = 0; hop < kMaxLinkHops; ++hop) {
            std::string link;
            if (!CopyBody(source, copied, out.get(), link, &reason)) break;
            if (link.empty()) {
                ok = true;
                break;
            }
            const std::optional<std::string> target = LinkTarget(copied, link);
            if (!target) {
                reason = copied + " links outside " + imagePath;
                break;
            }
            copied = *target;
        }
    }
    if (ok && ::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlinkat(folder.get(), temporary.c_str(), 0);
        SetError(error, imagePath + ": " + (reason.empty() ? std::string("a link chain too long") : reason));
        return std::nullopt;
    }
    return cachePath + '/' + name;
}

}  // namespace ov2

#pragma once

#include <locale.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct archive;

// ISO 9660 disc images read in place, without mounting them and without privileges, so that an
// image can stand for a CD-ROM drive: its tree is listed for the scan and one of its files is
// copied out when a catalogued file is opened.
struct archive_entry;

namespace ov2 {

struct ImageEntry {
    std::string path;        // names separated by "/", relative to the image root, as the image
                             // stores them (Rock Ridge, else Joliet, else ISO 9660 names)
    std::uint64_t size = 0;  // files only
    bool folder = false;
    bool hasTime = false;       // whether the entry says when it was last modified
    std::int64_t modified = 0;  // UTC seconds since 1970, with hasTime
    bool encrypted = false;     // its data cannot be read without a password
};

// An entry as libarchive reads it, before SettleImageEntries settles links and implied folders.
struct RawImageEntry {
    ImageEntry entry;
    std::string linkTarget;  // a symbolic link's target as stored
    bool link = false;
};

// What a libarchive entry read from an image or an archive is: a folder, a link and its target,
// or a file, its size, time and whether it is encrypted (a hard link without a size of its own
// has that of the entry before, kept in `previousSize`).
RawImageEntry RawEntryOf(::archive_entry* entry, std::string path, std::uint64_t& previousSize);

// Makes a listing one that a mounted image would show: one entry per path (the first one read
// wins), every folder above an entry present as a folder, nothing below a file. Links lead to
// what they name inside: to a folder they are left out, to a file they count with its size, and
// to nothing (or outside) they are files of no size and no time.
void SettleImageEntries(std::vector<RawImageEntry>& raw, std::vector<ImageEntry>& entries);

// Joliet and zip names reach libarchive in their own encodings, which it turns into the
// thread's locale charset and, in a "C" session, refuses beyond ASCII. Records keep UTF-8: this
// makes the thread's locale UTF-8 for the life of the object.
class Utf8Locale {
public:
    Utf8Locale() : m_locale(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))) {
        if (m_locale) m_previous = uselocale(m_locale);
    }
    ~Utf8Locale() {
        if (!m_locale) return;
        uselocale(m_previous);
        freelocale(m_locale);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t m_locale;
    locale_t m_previous = LC_GLOBAL_LOCALE;
};

// What ExtractListedEntry copies a file out of: an ISO image or an archive.
struct EntrySource {
    std::string path;         // the image or archive file; its cache folder is named after it
    std::string cacheFolder;  // "images", "archives": below "ov2/" in the cache
    // A new reader positioned before the first entry (freed by the caller), or null with the
    // reason.
    std::function<archive*(std::string* error)> open;
    // The listing's path of a stored entry name; `unsafe` when the stored name leads outside
    // the source ("../x", "/x"), which is never extracted.
    std::function<std::string(std::string_view stored, bool& unsafe)> listedPath;
};

// Lists an ISO 9660 image without mounting it. False, with the reason in `error`, when the image
// cannot be read or is malformed; `entries` is then empty.
bool ListIsoImage(const std::string& imagePath, std::vector<ImageEntry>& entries, std::string* error);

// The entry that a Windows-style path relative to the image root ("photos\a.jpg", "photos\")
// names, resolved as ResolveInFolder does below a folder: each name exact, else case-blind, else
// by record form (RecordName). None when absent, or when a name is "." or "..". An empty
// `relative` names the root and yields "".
std::optional<std::string> ResolveInImage(const std::vector<ImageEntry>& entries, std::string_view relative);

// Extracts the file that `relative` names into the per-user cache folder ($XDG_CACHE_HOME or
// ~/.cache, then "ov2/images/<hash of the image path>/", folders created 0700) and returns the
// native path of the extracted copy. Refuses names that would leave the cache folder.
std::optional<std::string> ExtractFromIsoImage(const std::string& imagePath, std::string_view relative, std::string* error);
// The same from a listing already made (of the image, or the part of it that leads to the file).
std::optional<std::string> ExtractFromIsoImage(const std::string& imagePath,
                                               const std::vector<ImageEntry>& entries,
                                               std::string_view relative, std::string* error);

// The copy ExtractFromIsoImage makes, from any source whose listing is `entries`: into
// "ov2/<cacheFolder>/<hash of the source path>/" in the cache, with the same guards (no name that
// leaves the cache folder, no writing through links, files 0600 renamed into place when complete).
std::optional<std::string> ExtractListedEntry(const EntrySource& source,
                                              const std::vector<ImageEntry>& entries,
                                              std::string_view relative, std::string* error);

}  // namespace ov2

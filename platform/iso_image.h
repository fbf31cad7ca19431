#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ISO 9660 disc images read in place, without mounting them and without privileges, so that an
// image can stand for a CD-ROM drive: its tree is listed for the scan and one of its files is
// copied out when a catalogued file is opened.
namespace ov2 {

struct ImageEntry {
    std::string path;        // names separated by "/", relative to the image root, as the image
                             // stores them (Rock Ridge, else Joliet, else ISO 9660 names)
    std::uint64_t size = 0;  // files only
    bool folder = false;
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

}  // namespace ov2

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/iso_image.h"

// The files inside archives on a disc (zip, 7z, rar, tar plain or compressed, cab), listed with
// libarchive so that a search finds the photo inside photos-2003.zip, and one of them copied out
// into the cache when the user opens it.
namespace ov2 {

enum class ArchiveOutcome {
    Listed,
    Encrypted,  // its headers are encrypted: no name can be read
    Damaged,    // it cannot be read through; nothing of it is listed, not even what came before
    TooLarge,   // more entries, more output or more time than a listing is given
    Stopped,    // `keepGoing` said no
};

// What a listing may cost: a compressed tar has to be decompressed to be listed.
struct ArchiveLimits {
    std::uint64_t maxOutputBytes = std::uint64_t{4} << 30;
    int maxSeconds = 30;
    std::size_t maxEntries = 1000000;
    // Asked at every entry and every block decompressed, e.g. to keep a window painted; false
    // ends the listing (Stopped).
    std::function<bool()> keepGoing{};
};

// Whether the name is that of an archive the scan lists, by its extension (any case).
bool IsArchiveName(std::string_view name);

// "encrypted", "damaged", "too large", "stopped".
const char* ArchiveOutcomeText(ArchiveOutcome outcome);

// The archive's entries as a mounted image would show them (SettleImageEntries): paths relative
// to the archive, names separated by "/". A stored name that climbs out ("../x", "/x") is kept
// inside, with the climbing parts left out; names "." are dropped. Anything but Listed leaves
// `entries` empty, with the reason in `error`. Archives inside the archive are plain files. A
// path that is no regular file (a FIFO would block the reader for ever) is Damaged.
ArchiveOutcome ListArchive(const std::string& archivePath, std::vector<ImageEntry>& entries,
                           std::string* error, const ArchiveLimits& limits = {});

// The path of a stored entry name inside the listing, as ListArchive keeps it; `unsafe` when the
// stored name climbs out of the archive.
std::string ArchiveEntryPath(std::string_view stored, bool& unsafe);

// Copies the file that `relative` (a Windows-style path inside the archive, "summer\a.jpg")
// names into the cache, as ExtractFromIsoImage does, and returns the copy's native path. An
// entry stored under a climbing name is refused.
std::optional<std::string> ExtractFromArchive(const std::string& archivePath,
                                              std::string_view relative, std::string* error);

}  // namespace ov2

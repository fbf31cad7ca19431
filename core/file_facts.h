#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

class COvDisc;
class COvDiscDatabase;
class CStringList;

namespace ov2 {

// What is known of a file beyond its name, folder and size. Sixteen bytes a record.
struct FileFacts {
    // No modification time is known (old and converted catalogues, audio tracks).
    static constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min() / 2;

    std::int64_t modified : 63 = kNoTime;  // UTC seconds since 1970; times after 2038 too
    bool encrypted : 1 = false;            // an archive entry that cannot be read without a password
    std::uint64_t fingerprint = 0;         // 0: none taken

    bool HasTime() const { return modified != kNoTime; }
    bool HasFingerprint() const { return fingerprint != 0; }
    bool IsEmpty() const { return !HasTime() && !HasFingerprint() && !encrypted; }
};

static_assert(sizeof(FileFacts) == 16, "a million records carry their facts in 16 MB");

// What is known of the volume a disc was scanned from. Texts are empty and numbers negative
// where the system did not say.
struct DiscFacts {
    std::string fileSystem;  // "ext4", "iso9660", "udf", "vfat"
    std::string label;       // the volume's own label
    std::string uuid;        // UUID or serial number
    std::string model;       // the drive's model
    std::int64_t capacity = -1;  // bytes
    std::int64_t free = -1;      // bytes
    std::string scannedAt;   // ISO 8601 with the zone of the scan: "2026-12-08T14:03:09+01:00"

    bool IsEmpty() const;
    // One line for the scan dialog and CD Info: "ext4, 'BACKUP_2023', 931.5 GiB, 210.2 GiB free".
    std::string Summary() const;
};

// "931.5 GiB", "700.0 MiB", "12 bytes": binary units with one decimal.
std::string BinarySizeText(std::int64_t bytes);

// The settings key under which a catalogue keeps its facts, and how they are kept there.
//
// The catalogue format has no room for facts, so they ride in its settings map, whose readers
// keep entries they do not know. "FileFacts" is a CStringList with one text per disc that has
// facts, TAB-separated:
//
//   number  checksum  "1"  file count  file system  label  uuid  model  capacity  free
//   scanned-at  packed file facts
//
// The checksum (16 hex digits) covers the disc's file records as the format stores them:
// names, folders, sizes, drives and their order. A disc whose records no longer match it,
// because a program that does not know the facts changed them, has no facts; nothing else is
// affected. "1" is the layout's version: texts of another are skipped. Capacity and free are
// decimal, empty when unknown.
//
// The packed file facts are base64 of one entry per record, in the disc's file order: a
// varint of flags (1 time, 2 fingerprint, 4 encrypted), then with flag 1 the zig-zag varint
// of the time less the previous time given (0 before the first), then with flag 2 the
// fingerprint's eight bytes, least significant first.
inline constexpr const char* kFileFactsKey = "FileFacts";

// The checksum of the disc's file records.
std::uint64_t RecordsChecksum(const COvDisc& disc);

// The disc's text of "FileFacts"; none when neither the disc nor a file of it has facts, so
// that a catalogue without facts is written exactly as before.
std::optional<std::string> PackFacts(const COvDisc& disc);
// Hands the facts of "FileFacts" to the discs and records they match and removes the entry
// from the settings; a text that does not match or does not decode is dropped.
void UnpackFacts(COvDiscDatabase& database);

}  // namespace ov2

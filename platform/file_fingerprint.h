#pragma once

#include <cstdint>
#include <string>

// A file's fingerprint: what tells the same file on two discs apart from another of the same
// size without reading it whole. XXH3 (64 bits) of the first 64 KiB, the last 64 KiB and the
// size; a file of up to 128 KiB is taken whole. Two files that differ only between their first
// and last 64 KiB have the same fingerprint: a catalogue finds copies, it proves nothing.
namespace ov2 {

inline constexpr std::int64_t kFingerprintPart = 64 * 1024;

// The fingerprint of the `size` bytes the open file `fd` holds. 0 (none) when they cannot be
// read, e.g. the file is shorter now; never 0 otherwise.
std::uint64_t FileFingerprint(int fd, std::int64_t size);

// The same of `name` in the open folder `folder` (or AT_FDCWD and a path), following a link,
// which the caller found to be a regular file of `size` bytes: no stat more per file. Should it
// have become a FIFO meanwhile, it is not waited on; 0 when it cannot be read.
std::uint64_t FileFingerprintAt(int folder, const char* name, std::int64_t size);

// The same of the regular file at `path`, whatever its size; 0 for anything else.
std::uint64_t FileFingerprint(const std::string& path);

}  // namespace ov2

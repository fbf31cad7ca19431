#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/drives_sources.h"

// The folders and disc images that the user added as drives in the scan dialog. They are
// remembered between runs in the settings group "Drives" (letter -> path), beside the recent
// files, and keep their letters, so that the files catalogued from them open again.
namespace ov2 {

// The remembered drives, in letter order. Entries that are not a letter and an absolute path
// are left out.
std::vector<AddedDrive> RememberedDrives();

// Makes `path` (a folder; or an image file: ".cue" a CUE/BIN audio CD, anything else ISO 9660)
// a drive with the first letter no drive uses and remembers it; a path added before keeps its
// drive. None, with a sentence for the user in `error`, when it cannot be read, when no letter
// is free, or while OV2_DRIVES sets the map (an added drive would not show).
std::optional<Drive> AddDrive(const std::string& path, std::string* error);

// Forgets the added drive with that letter; false when there is none.
bool ForgetDrive(char letter);

// The first letter from D: to Z: that none of `drives` uses (A: and B: were floppy drives and C:
// is the system's).
std::optional<char> FirstFreeLetter(const std::vector<Drive>& drives);

// Whether an OV2_DRIVES value (not blank) replaces the machine's map.
bool DriveMapOverridden();

}  // namespace ov2

#pragma once

#include <optional>
#include <string>
#include <string_view>

// `ov2cat scan`: records the disc in a drive as "Start Scan" then "Save Disc" of the program
// do, and appends it with the next disc number to a catalogue (created when missing).
struct ScanCommandResult {
    bool ok = false;
    std::string output;  // ok: "disc N files F size S KB\n"
    std::string what;    // failed: the drive or file the failure concerns
    std::string reason;  // failed: why
};

// `source` is a drive letter ("E", "e:" or "E:\"), or a folder, an ISO 9660 image or a CUE
// sheet (a ".cue" file, its audio in the ".bin" beside it), recorded as a disc in the drive
// `letter` (by default the first letter no drive uses); `name` defaults to the dialog's
// "Untitled".
ScanCommandResult ScanIntoCatalogue(std::string_view source, const std::string& cataloguePath,
                                    std::optional<std::string> name,
                                    std::optional<std::string> letter = std::nullopt);

// `ov2cat drives`: the drive map, one drive a line: "D:", its type (cdrom, removable, fixed,
// remote, ram), its root or image (or device when no disc is mounted) and its label, separated
// by TAB.
std::string DrivesText();

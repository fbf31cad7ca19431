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

// `letter` is "E", "e:" or "E:\"; `name` defaults to the dialog's "Untitled".
ScanCommandResult ScanIntoCatalogue(std::string_view letter, const std::string& cataloguePath,
                                    std::optional<std::string> name);

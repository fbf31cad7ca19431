#pragma once

#include <optional>
#include <string>
#include <string_view>

// `ov2cat scan`: records the disc in a drive as "Start Scan" then "Save Disc" of the program
// do, and appends it with the next disc number to a catalogue (created when missing).
struct ScanCommandResult {
    bool ok = false;
    std::string output;  // ok: "disc N files F size S MB\n", "volume: ext4, 'X', ...\n"
    std::string what;    // failed: the drive or file the failure concerns
    std::string reason;  // failed: why
    std::string warning; // ok: something the user should know, for standard error
};

// `source` is a drive letter ("E", "e:" or "E:\"), or a folder, an ISO 9660 image or a CUE
// sheet (a ".cue" file, its audio in the ".bin" beside it), recorded as a disc in the drive
// `letter` (by default the first letter no drive uses); `name` defaults to the dialog's
// "Untitled". With `listArchives` the files inside archives are recorded too (CDiscWalk), and
// the output goes on with the walk's archive summary when the disc holds archives. The disc
// takes the volume's facts, summed up in a "volume:" line when there are any to show. Files are
// read for their fingerprints when `fingerprint` says so, by default unless the disc is in an
// optical drive.
ScanCommandResult ScanIntoCatalogue(std::string_view source, const std::string& cataloguePath,
                                    std::optional<std::string> name,
                                    std::optional<std::string> letter = std::nullopt,
                                    bool listArchives = true,
                                    std::optional<bool> fingerprint = std::nullopt);

// `ov2cat rescan`: walks the source (as `ScanIntoCatalogue` takes it; a folder or image is
// recorded under the letter the disc's records carry unless `letter` says otherwise) and merges
// the walk with disc `number`, keeping what the user added. The output is the summary line;
// only with `apply` is the merged disc written to the catalogue, with the volume's facts. A
// drive that seems to hold another disc gives a warning. Fingerprints as ScanIntoCatalogue
// takes them; a file that kept its size and time keeps its fingerprint without being read.
ScanCommandResult RescanInCatalogue(std::string_view source, const std::string& cataloguePath,
                                    const std::string& number, std::optional<std::string> letter,
                                    bool apply, bool listArchives = true,
                                    std::optional<bool> fingerprint = std::nullopt);

// `ov2cat drives`: the drive map, one drive a line: "D:", its type (cdrom, removable, fixed,
// remote, ram), its root or image (or device when no disc is mounted) and its label, separated
// by TAB.
std::string DrivesText();

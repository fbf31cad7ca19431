#pragma once

#include <string>

// `ov2cat convert`: converts an old catalogue as "Convert Old Files" does in an empty
// catalogue (discs ascending, the old category names, default settings) and saves it.
struct ConvertCommandResult {
    bool ok = false;
    std::string output;  // ok: "discs D files F categories C\n"
    std::string what;    // failed: the folder the failure concerns; empty when the reason names the file
    std::string reason;  // failed: why; for missing old files, their numbered list
    std::string warning; // ok: discs the conversion left out, for standard error
};

// Nothing is written unless the conversion succeeds; the catalogue is written through the
// program's safe save.
ConvertCommandResult ConvertOldCatalogue(const std::string& oldFolder, const std::string& cataloguePath);

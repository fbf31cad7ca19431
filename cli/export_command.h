#pragma once

#include <string>
#include <vector>

// `ov2cat export` and `ov2cat import`.
struct ExportCommandResult {
    enum class Status { Ok, BadArguments, Failed } status = Status::Ok;
    std::string output;  // ok: "files F"
    std::string what;    // failed: the file
    std::string reason;  // failed: why
};

// export CATALOGUE OUT --format F [--disc N]... [--query Q] [--for-spreadsheets]: the arguments
// after the verb.
ExportCommandResult ExportFromCatalogue(const std::vector<std::string>& arguments);
// import FILE OUT.ovd: the catalogue written only when every row of FILE parses.
ExportCommandResult ImportIntoCatalogue(const std::string& file, const std::string& catalogue);

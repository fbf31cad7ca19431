#pragma once

#include <string>
#include <vector>

// `ov2cat dupes`: the copies of files across one or more catalogue files, or the files that
// have none.
struct DupesCommandResult {
    enum class Status { Ok, BadArguments, Unreadable } status = Status::Ok;
    std::string output;  // ok: the rows
    std::string what;    // unreadable: the file
    std::string reason;  // bad arguments or unreadable: why
};

// Arguments after "dupes": FILE.ovd... [--single] [--min-size SIZE] [--category NAME]...
// Rows: disc number, disc name, folder, name, size (as stored) and the catalogue's file name,
// separated by TAB; the groups of copies separated by an empty line, or with --single the files
// without a copy on another disc, one a line. Nothing is printed unless every catalogue reads.
DupesCommandResult FindCopiesInCatalogues(const std::vector<std::string>& arguments);

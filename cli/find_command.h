#pragma once

#include <string>
#include <string_view>
#include <vector>

// `ov2cat find`: the Find language over one or more catalogue files.
struct FindCommandResult {
    enum class Status { Ok, BadQuery, Unreadable } status = Status::Ok;
    std::string output;  // ok: one row a line (TAB-separated, or JSON Lines)
    std::string what;    // unreadable: the file
    std::string reason;  // bad query or unreadable: why
};

// Rows: catalogue (its file name), disc number, disc name, folder, file name, size (the stored
// texts); for a folder hit (`folder:`) the folder's parent path, its name and no size. The query
// is read before any catalogue; nothing is printed unless every catalogue reads.
FindCommandResult FindInCatalogues(std::string_view query, const std::vector<std::string>& files,
                                   bool json);

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class COvDisc;
class COvDiscDatabase;
class COvFileData;

namespace ov2::exporting {

// Which files an export takes: discs of the catalogue (by their place in its list), each with
// all its files or some of them (by their place in the disc's list).
struct ExportPick {
    std::uint32_t disc = 0;
    bool allFiles = true;
    std::vector<std::uint32_t> files;  // when not allFiles, in disc order
};
using ExportSelection = std::vector<ExportPick>;

ExportSelection WholeCatalogue(const COvDiscDatabase& database);
// The discs with these numbers (as stored, "12"), in catalogue order; none and the reason when a
// number names no disc.
std::optional<ExportSelection> DiscsByNumber(const COvDiscDatabase& database,
                                             const std::vector<std::string>& numbers,
                                             std::string* error);
// The files of a selection that a Find query finds; discs without hits are left out. None and
// the reason when the query is malformed or finds folders rather than files.
std::optional<ExportSelection> FilesFound(const COvDiscDatabase& database,
                                          const ExportSelection& within, std::string_view query,
                                          std::string* error);
std::size_t FileCount(const COvDiscDatabase& database, const ExportSelection& selection);

// Record bytes as UTF-8: UTF-8 stays, anything else is read as Windows-1252, as the window shows
// it.
std::string Utf8(std::string_view bytes);

// A disc's texts decoded once for all its rows.
struct DiscRow {
    const COvDisc* record = nullptr;
    std::string catalogue;  // the name of the disc's catalogue in the rows
    std::string number, name, artist, location, lendDate, savedAt, quality, notes, outline;
    std::vector<std::string> categories;
    std::optional<std::int64_t> numberValue;  // the number as a number, when it is one
};
DiscRow MakeDiscRow(const COvDisc& disc);

// A file's columns, decoded.
struct FileRow {
    std::string folder, name, extension, sizeText;
    std::string modified;  // ModifiedText; empty when the catalogue has no time for the file
    std::optional<std::int64_t> size;  // the stored size as a number, when it is one
    std::vector<std::string> categories;
};
void FillFileRow(const COvFileData& file, FileRow& row);

// A file's modification time as exports write it: ISO 8601 in UTC ("2023-11-14T22:13:20Z")
// while the year has four digits, the seconds since 1970 beyond.
std::string ModifiedText(std::int64_t seconds);
// Either form back, or an ISO 8601 time with another zone; none when the text is neither.
std::optional<std::int64_t> ParseModified(std::string_view text);

// The text after the name's last dot; none for a name without one or a dot file (".profile").
std::string_view Extension(std::string_view name);
std::optional<std::int64_t> WholeNumber(std::string_view text);

}  // namespace ov2::exporting

#pragma once

namespace ov2::exporting {

// The columns of every format, in order: the header of CSV and TSV, the keys of a JSON Lines
// row, the columns of the SQLite view "file_row". "modified" is empty (null) for a file whose
// time the catalogue does not know (ModifiedText gives its form).
inline constexpr const char* kColumns[] = {
    "catalogue", "disc", "discName",  "artist", "location", "discCategories",
    "folder",    "name", "extension", "size",   "modified", "categories",
};
inline constexpr int kColumnCount = sizeof kColumns / sizeof kColumns[0];

// Several categories in one CSV or TSV field.
inline constexpr char kCategorySeparator = ';';

}  // namespace ov2::exporting

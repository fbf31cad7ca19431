#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "export/export_rows.h"
#include "export/export_writer.h"

namespace ov2::exporting {

enum class Format { Csv, Tsv, JsonLines, Html, Sqlite };

// "csv", "tsv", "jsonl", "html", "sqlite"; none for any other name.
std::optional<Format> FormatNamed(std::string_view name);
// The file name extension of a format, without the dot.
const char* FormatExtension(Format format);

struct ExportOptions {
    Format format = Format::Csv;
    // CSV for spreadsheet programs: a byte order mark, and `;` between fields where the
    // locale writes decimal numbers with a comma (those programs then split at `;`).
    bool forSpreadsheets = false;
    std::string catalogue;  // the catalogue's name in the rows (its file name)
    // When the discs come from several catalogues (Find's rows): each disc's catalogue name, by
    // the disc's place in the database; the discs of one catalogue follow each other.
    std::vector<std::string> discCatalogues;
};

// The field separator of CSV for spreadsheet programs in the user's locale.
char SpreadsheetSeparator();

// Told how many files of how many are written, every few thousand files; answers false to
// cancel the export.
using ExportProgress = std::function<bool(std::size_t done, std::size_t total)>;

enum class ExportStatus { Done, Cancelled, Failed };

struct ExportResult {
    ExportStatus status = ExportStatus::Done;
    QString error;          // why, when Failed
    std::size_t files = 0;  // files written
};

std::unique_ptr<CExportWriter> MakeWriter(const ExportOptions& options, const QString& path);

// Writes the selection's files to `path`. The file appears only when the export is Done: a
// cancelled or failed export leaves the destination as it was. Reads the catalogue only, so
// it may run on any thread while nobody changes the catalogue.
ExportResult ExportCatalogue(const COvDiscDatabase& database, const ExportSelection& selection,
                             const ExportOptions& options, const QString& path,
                             const ExportProgress& progress = {});

}  // namespace ov2::exporting

#include "export/catalogue_export.h"

#include <QLocale>

#include "core/disc_database.h"
#include "export/delimited_writer.h"
#include "export/html_writer.h"
#include "export/json_lines_writer.h"
#include "export/sqlite_writer.h"

namespace ov2::exporting {

std::optional<Format> FormatNamed(std::string_view name) {
    if (name == "csv") return Format::Csv;
    if (name == "tsv") return Format::Tsv;
    if (name == "jsonl") return Format::JsonLines;
    if (name == "html") return Format::Html;
    if (name == "sqlite") return Format::Sqlite;
    return std::nullopt;
}

const char* FormatExtension(Format format) {
    switch (format) {
        case Format::Csv:
            return "csv";
        case Format::Tsv:
            return "tsv";
        case Format::JsonLines:
            return "jsonl";
        case Format::Html:
            return "html";
        case Format::Sqlite:
            return "sqlite";
    }
    return "";
}

char SpreadsheetSeparator() {
    return QLocale().decimalPoint() == QStringLiteral(",") ? ';' : ',';
}

std::unique_ptr<CExportWriter> MakeWriter(const ExportOptions& options, const QString& path) {
    switch (options.format) {
        case Format::Csv:
            return std::make_unique<CDelimitedWriter>(
                path, CDelimitedWriter::Kind::Csv,
                options.forSpreadsheets ? SpreadsheetSeparator() : ',', options.forSpreadsheets);
        case Format::Tsv:
            return std::make_unique<CDelimitedWriter>(path, CDelimitedWriter::Kind::Tsv);
        case Format::JsonLines:
            return std::make_unique<CJsonLinesWriter>(path);
        case Format::Html:
            return std::make_unique<CHtmlWriter>(path);
        case Format::Sqlite:
            return std::make_unique<CSqliteWriter>(path);
    }
    return nullptr;
}

ExportResult ExportCatalogue(const COvDiscDatabase& database, const ExportSelection& selection,
                             const ExportOptions& options, const QString& path,
                             const ExportProgress& progress) {
    constexpr std::size_t kProgressEvery = 4096;
    ExportResult result;
    const std::unique_ptr<CExportWriter> writer = MakeWriter(options, path);
    std::vector<std::string> categories;
    for (const std::string& category : database.m_pCategories->m_strings)
        categories.push_back(Utf8(category));
    if (!writer->Begin(Utf8(options.catalogue), categories, &result.error)) {
        result.status = ExportStatus::Failed;
        return result;
    }
    const std::size_t total = FileCount(database, selection);
    const auto cancelled = [&] {
        if (!progress || progress(result.files, total)) return false;
        writer->Abandon();
        result.status = ExportStatus::Cancelled;
        return true;
    };
    if (cancelled()) return result;
    FileRow row;
    for (const ExportPick& pick : selection) {
        const COvDisc& disc = *database.m_lstDiscs.at(pick.disc);
        DiscRow discRow = MakeDiscRow(disc);
        discRow.catalogue = pick.disc < options.discCatalogues.size()
                                ? Utf8(options.discCatalogues[pick.disc])
                                : Utf8(options.catalogue);
        writer->Disc(discRow);
        const std::size_t count = pick.allFiles ? disc.m_lstFiles.size() : pick.files.size();
        for (std::size_t i = 0; i < count; ++i) {
            FillFileRow(*disc.m_lstFiles.at(pick.allFiles ? i : pick.files[i]), row);
            writer->File(discRow, row);
            if (++result.files % kProgressEvery == 0 && cancelled()) return result;
        }
    }
    if (cancelled()) return result;
    if (!writer->Finish(&result.error)) result.status = ExportStatus::Failed;
    return result;
}

}  // namespace ov2::exporting

#include "cli/export_command.h"

#include <QFile>
#include <filesystem>
#include <optional>

#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/disc_database.h"
#include "export/catalogue_export.h"
#include "export/catalogue_import.h"

namespace {

ExportCommandResult Failed(std::string what, std::string reason) {
    ExportCommandResult result;
    result.status = ExportCommandResult::Status::Failed;
    result.what = std::move(what);
    result.reason = std::move(reason);
    return result;
}

ExportCommandResult BadArguments() {
    ExportCommandResult result;
    result.status = ExportCommandResult::Status::BadArguments;
    return result;
}

}  // namespace

ExportCommandResult ExportFromCatalogue(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2) return BadArguments();
    const std::string& file = arguments[0];
    const std::string& out = arguments[1];
    std::optional<ov2::exporting::Format> format;
    std::vector<std::string> discs;
    std::optional<std::string> query;
    bool spreadsheets = false;
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--for-spreadsheets" && !spreadsheets) {
            spreadsheets = true;
            continue;
        }
        if (i + 1 >= arguments.size()) return BadArguments();
        const std::string& value = arguments[++i];
        if (option == "--format" && !format) {
            format = ov2::exporting::FormatNamed(value);
            if (!format)
                return Failed("",
                              "unknown format \"" + value + "\" (csv, tsv, jsonl, html, sqlite)");
        } else if (option == "--disc") {
            discs.push_back(value);
        } else if (option == "--query" && !query) {
            query = value;
        } else {
            return BadArguments();
        }
    }
    if (!format) return BadArguments();

    std::error_code same;
    if (std::filesystem::equivalent(file, out, same))
        return Failed(out, "the export would replace the catalogue itself");
    COvDiscDatabase database;
    std::string error;
    if (!ReadCatalogueFile(file, database, &error)) return Failed(file, error);
    ov2::exporting::ExportSelection selection = ov2::exporting::WholeCatalogue(database);
    if (!discs.empty()) {
        auto picked = ov2::exporting::DiscsByNumber(database, discs, &error);
        if (!picked) return Failed(file, error);
        selection = std::move(*picked);
    }
    if (query) {
        auto found = ov2::exporting::FilesFound(database, selection, *query, &error);
        if (!found) return Failed("", "the query: " + error);
        selection = std::move(*found);
    }
    ov2::exporting::ExportOptions options;
    options.format = *format;
    options.forSpreadsheets = spreadsheets;
    options.catalogue = std::filesystem::path(file).filename().string();
    const ov2::exporting::ExportResult result = ov2::exporting::ExportCatalogue(
        database, selection, options, QFile::decodeName(out.c_str()));
    if (result.status != ov2::exporting::ExportStatus::Done)
        return Failed(out, result.error.toStdString());
    ExportCommandResult done;
    done.output = "files " + std::to_string(result.files) + "\n";
    return done;
}

ExportCommandResult ImportIntoCatalogue(const std::string& file, const std::string& catalogue) {
    QFile source(QFile::decodeName(file.c_str()));
    if (!source.open(QIODevice::ReadOnly)) return Failed(file, source.errorString().toStdString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return Failed(file, source.errorString().toStdString());
    COvDiscDatabase database;
    QString reason;
    if (!ov2::exporting::ImportCatalogue(bytes.toStdString(), database, &reason))
        return Failed(file, reason.toStdString());
    std::string error;
    switch (ov2::SaveCatalogueFile(QFile::decodeName(catalogue.c_str()), database, &error)) {
        case ov2::SaveFault::None:
            break;
        case ov2::SaveFault::Catalogue:
            return Failed(file, error);
        case ov2::SaveFault::File:
            return Failed(catalogue, error);
    }
    std::size_t files = 0;
    for (const auto& disc : database.m_lstDiscs) files += disc->m_lstFiles.size();
    ExportCommandResult done;
    done.output = "discs " + std::to_string(database.m_lstDiscs.size()) + " files " +
                  std::to_string(files) + "\n";
    return done;
}

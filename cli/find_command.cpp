#include "cli/find_command.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <memory>

#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "find/find_index.h"
#include "find/find_query.h"
#include "platform/text.h"

namespace {

// A row is one line: TAB, CR and LF inside a text become blanks.
void AppendField(std::string& line, std::string_view text, bool last) {
    for (char c : text) line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    line += last ? '\n' : '\t';
}

}  // namespace

FindCommandResult FindInCatalogues(std::string_view text, const std::vector<std::string>& files,
                                   bool json) {
    FindCommandResult result;
    const ov2::find::ParseOutcome parsed = ov2::find::ParseQuery(text);
    if (!parsed.query) {
        result.status = FindCommandResult::Status::BadQuery;
        result.reason = parsed.error;
        return result;
    }
    // The databases stay alive with the indexes: a row's texts come from the records.
    std::vector<std::unique_ptr<COvDiscDatabase>> databases;
    std::vector<std::shared_ptr<const ov2::find::CCatalogueIndex>> indexes;
    for (const std::string& file : files) {
        auto database = std::make_unique<COvDiscDatabase>();
        std::string error;
        if (!ReadCatalogueFile(file, *database, &error)) {
            result.status = FindCommandResult::Status::Unreadable;
            result.what = file;
            result.reason = error;
            return result;
        }
        indexes.push_back(ov2::find::CCatalogueIndex::Build(
            *database, std::filesystem::path(file).filename().string()));
        databases.push_back(std::move(database));
    }
    const ov2::find::Outcome outcome = ov2::find::Run(*parsed.query, indexes, nullptr, 2);
    for (const ov2::find::Hit& hit : outcome.hits) {
        const ov2::find::CCatalogueIndex& index = *indexes[hit.catalogue];
        const COvDisc& disc = *index.Disc(hit.disc);
        std::string folder, name, size;
        if (outcome.folders) {
            const std::string path = index.FolderPath(hit.disc, hit.item);
            const std::size_t cut = path.rfind('\\');
            folder = cut == std::string::npos ? std::string() : path.substr(0, cut);
            name = cut == std::string::npos ? path : path.substr(cut + 1);
        } else if (const auto file = index.File(hit.disc, hit.item)) {
            folder = file->m_strFolder.str();
            name = file->m_strFileName.str();
            size = file->m_strSize.str();
        }
        if (json) {
            const QJsonObject row{{QStringLiteral("catalogue"), ov2::DecodeText(index.Label())},
                                  {QStringLiteral("disc"), ov2::DecodeText(disc.m_strNumber)},
                                  {QStringLiteral("discName"), ov2::DecodeText(disc.m_strName)},
                                  {QStringLiteral("folder"), ov2::DecodeText(folder)},
                                  {QStringLiteral("name"), ov2::DecodeText(name)},
                                  {QStringLiteral("size"), ov2::DecodeText(size)}};
            result.output += QJsonDocument(row).toJson(QJsonDocument::Compact).toStdString();
            result.output += '\n';
            continue;
        }
        AppendField(result.output, index.Label(), false);
        AppendField(result.output, disc.m_strNumber, false);
        AppendField(result.output, disc.m_strName, false);
        AppendField(result.output, folder, false);
        AppendField(result.output, name, false);
        AppendField(result.output, size, true);
    }
    return result;
}

#include "cli/find_command.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <memory>

#include "cli/process_end.h"
#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "dupes/duplicates.h"
#include "find/disc_part.h"
#include "find/find_index.h"
#include "find/find_query.h"
#include "platform/text.h"

namespace {

// A row is one line: TAB, CR and LF inside a text become blanks.
void AppendField(std::string& line, std::string_view text, bool last) {
    for (char c : text) line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    line += last ? '\n' : '\t';
}

// The rows of the catalogue's hits, appended to `out`.
void AppendRows(std::string& out, const ov2::find::CQuery& query, const COvDiscDatabase& database,
                const std::string& label, bool json, std::span<const char> copies) {
    const ov2::find::Outcome outcome = ov2::find::RunOnce(query, database, 0, copies);
    std::shared_ptr<const ov2::find::DiscPart> outline;  // the disc of the last folder hit
    std::uint32_t outlineDisc = 0;
    for (const ov2::find::Hit& hit : outcome.hits) {
        const COvDisc& disc = *database.m_lstDiscs[hit.disc];
        std::string folder, name, size;
        if (outcome.folders) {
            if (!outline || outlineDisc != hit.disc) outline = ov2::find::BuildDiscPart(disc, 0);
            outlineDisc = hit.disc;
            const std::string path = outline->FolderPath(hit.item);
            const std::size_t cut = path.rfind('\\');
            folder = cut == std::string::npos ? std::string() : path.substr(0, cut);
            name = cut == std::string::npos ? path : path.substr(cut + 1);
        } else {
            const auto& file = disc.m_lstFiles[hit.item];
            folder = file->m_strFolder.str();
            name = file->m_strFileName.str();
            size = file->m_strSize.str();
        }
        if (json) {
            const QJsonObject row{{QStringLiteral("catalogue"), ov2::DecodeText(label)},
                                  {QStringLiteral("disc"), ov2::DecodeText(disc.m_strNumber)},
                                  {QStringLiteral("discName"), ov2::DecodeText(disc.m_strName)},
                                  {QStringLiteral("folder"), ov2::DecodeText(folder)},
                                  {QStringLiteral("name"), ov2::DecodeText(name)},
                                  {QStringLiteral("size"), ov2::DecodeText(size)}};
            out += QJsonDocument(row).toJson(QJsonDocument::Compact).toStdString();
            out += '\n';
            continue;
        }
        AppendField(out, label, false);
        AppendField(out, disc.m_strNumber, false);
        AppendField(out, disc.m_strName, false);
        AppendField(out, folder, false);
        AppendField(out, name, false);
        AppendField(out, size, true);
    }
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
    // Every catalogue is read before a row is printed: an unreadable one prints nothing.
    std::vector<std::unique_ptr<COvDiscDatabase>> databases;
    for (const std::string& file : files) {
        auto database = std::make_unique<COvDiscDatabase>();
        std::string error;
        if (!ReadCatalogueFile(file, *database, &error)) {
            result.status = FindCommandResult::Status::Unreadable;
            result.what = file;
            result.reason = error;
            return result;
        }
        databases.push_back(std::move(database));
    }
    // dupe: looks for copies in every catalogue named.
    std::vector<std::vector<char>> copies(databases.size());
    if (ov2::find::AsksForCopies(*parsed.query)) {
        std::vector<ov2::dupes::Catalogue> catalogues;
        for (const auto& database : databases) catalogues.push_back({database.get(), {}});
        copies = ov2::dupes::MarkCopies(catalogues);
    }
    // One question: no index is kept, each disc is folded, asked and dropped.
    for (std::size_t c = 0; c < databases.size(); ++c)
        AppendRows(result.output, *parsed.query, *databases[c],
                   std::filesystem::path(files[c]).filename().string(), json, copies[c]);
    for (auto& database : databases) ov2::LeaveToProcessEnd(database);
    return result;
}

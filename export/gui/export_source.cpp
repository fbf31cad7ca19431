#include "export/gui/export_source.h"

#include <QFileInfo>
#include <unordered_map>

#include "core/ov2_doc.h"
#include "find/find_index.h"
#include "find/find_session.h"
#include "platform/text.h"

namespace ov2::exporting {
namespace {

// A catalogue of the same disc records, shared: the export reads them, nobody changes them.
std::shared_ptr<COvDiscDatabase> SharedCopy(const COvDiscDatabase& database) {
    auto copy = std::make_shared<COvDiscDatabase>();
    copy->m_lstDiscs = database.m_lstDiscs;
    copy->m_pCategories->m_strings = database.m_pCategories->m_strings;
    return copy;
}

QString Plural(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%L1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

}  // namespace

std::vector<ExportSource> ExportSources(const COv2Doc& document,
                                        const std::shared_ptr<const find::FindResults>& found,
                                        const std::vector<SearchRows>& searches) {
    std::vector<ExportSource> sources;
    const COvDiscDatabase& database = *document.m_pDatabase;
    const std::string label = document.GetPathName().isEmpty()
                                  ? EncodeText(document.GetTitle())
                                  : EncodeText(QFileInfo(document.GetPathName()).fileName());
    auto whole = SharedCopy(database);
    ExportSource all;
    all.title = QStringLiteral("The whole catalogue (%1, %2)")
                    .arg(Plural(database.m_lstDiscs.size(), "disc", "discs"))
                    .arg(Plural(FileCount(database, WholeCatalogue(database)), "file", "files"));
    all.objectName = QStringLiteral("sourceCatalogue");
    all.database = whole;
    all.selection = WholeCatalogue(database);
    all.catalogue = label;
    all.catalogueFile = document.GetPathName();
    sources.push_back(all);

    const std::string number = document.m_pCurrentDisc->m_strNumber.str();
    std::string error;
    if (!number.empty())
        if (auto disc = DiscsByNumber(database, {number}, &error)) {
            const COvDisc& record = *database.m_lstDiscs[disc->front().disc];
            ExportSource selected = all;
            selected.title = QStringLiteral("The selected disc: %1 %2 (%3)")
                                 .arg(DecodeText(record.m_strNumber), DecodeText(record.m_strName),
                                      Plural(record.m_lstFiles.size(), "file", "files"));
            selected.objectName = QStringLiteral("sourceDisc");
            selected.selection = std::move(*disc);
            sources.push_back(std::move(selected));
        }

    if (found && !found->outcome.folders && !found->outcome.hits.empty()) {
        auto rows = std::make_shared<COvDiscDatabase>();
        ExportSource find;
        std::uint32_t lastCatalogue = UINT32_MAX, lastDisc = UINT32_MAX;
        for (const find::Hit& hit : found->outcome.hits) {
            if (hit.catalogue != lastCatalogue || hit.disc != lastDisc) {
                const auto& index = *found->catalogues[hit.catalogue];
                rows->AddTail(index.Disc(hit.disc));
                find.selection.push_back(
                    {static_cast<std::uint32_t>(rows->m_lstDiscs.size() - 1), false, {}});
                find.discCatalogues.push_back(index.Label().empty() ? label : index.Label());
                lastCatalogue = hit.catalogue;
                lastDisc = hit.disc;
            }
            find.selection.back().files.push_back(hit.item);
        }
        find.title = QStringLiteral("The rows of Find: \"%1\" (%2)")
                         .arg(found->text, Plural(found->outcome.hits.size(), "file", "files"));
        find.objectName = QStringLiteral("sourceFind");
        find.database = rows;
        find.catalogue = label;
        find.catalogueFile = document.GetPathName();
        sources.push_back(std::move(find));
    }
    for (const SearchRows& search : searches) {
        auto rows = std::make_shared<COvDiscDatabase>();
        ExportSource window;
        const COvDisc* last = nullptr;
        std::unordered_map<const COvFileData*, std::uint32_t> places;  // the files of the last disc
        for (const SearchHit& hit : *search.hits) {
            if (hit.disc.get() != last) {
                rows->AddTail(hit.disc);
                window.selection.push_back(
                    {static_cast<std::uint32_t>(rows->m_lstDiscs.size() - 1), !hit.file, {}});
                last = hit.disc.get();
                places.clear();
                for (std::size_t i = 0; hit.file && i < hit.disc->m_lstFiles.size(); ++i)
                    places.emplace(hit.disc->m_lstFiles[i].get(), static_cast<std::uint32_t>(i));
            }
            // A file the catalogue no longer holds on its disc (deleted since the search) is left
            // out.
            if (const auto at = hit.file ? places.find(hit.file.get()) : places.end();
                at != places.end())
                window.selection.back().files.push_back(at->second);
        }
        window.title =
            QStringLiteral("The rows of the search window \"%1\" (%2)")
                .arg(search.title, Plural(FileCount(*rows, window.selection), "file", "files"));
        window.objectName = QStringLiteral("sourceSearch");
        window.database = rows;
        window.catalogue = label;
        window.catalogueFile = document.GetPathName();
        sources.push_back(std::move(window));
    }
    return sources;
}

}  // namespace ov2::exporting

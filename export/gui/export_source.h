#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "catalog_ops/catalogue_search.h"
#include "export/export_rows.h"

class COv2Doc;
class COvDiscDatabase;
namespace ov2::find {
struct FindResults;
}

namespace ov2::exporting {

// What an export can take: the whole catalogue, the disc selected in the tree, the rows of Find.
// Holds the records it names (shared), so that it stays valid while the export runs.
struct ExportSource {
    QString title;       // for the dialog's list: "The whole catalogue (3 discs)"
    QString objectName;  // the list entry's name for scripts and tests
    std::shared_ptr<const COvDiscDatabase> database;
    ExportSelection selection;
    std::string catalogue;  // the catalogue's name in the rows
    QString catalogueFile;  // the open catalogue's file, which an export must not replace
    std::vector<std::string>
        discCatalogues;  // per disc, when the discs come from several catalogues
};

// The rows of a search result window: its title and hits (a disc hit stands for its files).
struct SearchRows {
    QString title;
    const std::vector<SearchHit>* hits = nullptr;
};

// The sources the open catalogue, Find and the search result windows offer now: the whole
// catalogue always, the selected disc when one is selected, Find's rows when it shows files,
// each result window's rows.
std::vector<ExportSource> ExportSources(const COv2Doc& document,
                                        const std::shared_ptr<const find::FindResults>& found,
                                        const std::vector<SearchRows>& searches = {});

}  // namespace ov2::exporting

#pragma once

#include <QString>
#include <memory>
#include <vector>

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
    std::vector<std::string>
        discCatalogues;  // per disc, when the discs come from several catalogues
};

// The sources the open catalogue and Find offer now: the whole catalogue always, the selected
// disc when one is selected, Find's rows when it shows files.
std::vector<ExportSource> ExportSources(const COv2Doc& document,
                                        const std::shared_ptr<const find::FindResults>& found);

}  // namespace ov2::exporting

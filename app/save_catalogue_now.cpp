#include "app/save_catalogue_now.h"

#include <QFileInfo>
#include <string>

#include "core/catalogue_save.h"
#include "platform/message_box.h"

namespace ov2 {

bool RefuseUnsavedCatalogue(const QString& docPath) {
    if (!docPath.isEmpty()) return false;
    OvMessageBox("Please, save your document first.", MsgButtons::Ok, MsgIcon::Information);
    return true;
}

bool SaveCatalogueNow(COvDiscDatabase& database, const QString& docPath) {
    if (RefuseUnsavedCatalogue(docPath)) return false;
    // The catalogue goes back into its own file only: one that was moved or deleted since it
    // was saved is not made again behind the user's back.
    std::string reason;
    const QFileInfo file(docPath);
    if (!file.exists())
        reason = "the file no longer exists";
    else if (!file.isFile())
        reason = "this is not a catalogue file";
    else if (SaveCatalogueFile(docPath, database, &reason) == SaveFault::None)
        return true;
    OvMessageBox("Failed to save document.\n\n" + docPath.toStdString() + ": " + reason,
                 MsgButtons::Ok, MsgIcon::Error);
    return false;
}

}  // namespace ov2

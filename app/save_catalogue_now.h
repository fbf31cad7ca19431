#pragma once

#include <QString>

class COvDiscDatabase;

namespace ov2 {

// Writes the catalogue into the file it was last saved to, from the settings sheet, without
// touching the document's name or modified mark. A catalogue never saved is refused with a
// message; so is a file that has gone or that may not be written, and then no file is made.
// True when the file now holds the catalogue.
bool SaveCatalogueNow(COvDiscDatabase& database, const QString& docPath);

// The refusal of a catalogue without a file, shown by both pages before anything else.
bool RefuseUnsavedCatalogue(const QString& docPath);

}  // namespace ov2

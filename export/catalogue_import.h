#pragma once

#include <QString>
#include <string>

class COvDiscDatabase;

namespace ov2::exporting {

// Rebuilds a catalogue from the JSON Lines or CSV (or TSV) that an export wrote: discs with
// their labels, lending and categories, their files with folders, sizes and categories, the
// catalogue's categories. From JSON Lines the catalogue comes back whole (the disc lines carry
// the outline, notes and dates); CSV has only the columns, so each disc's outline is made from
// its files' folders. Texts are stored as UTF-8; the new catalogue has a new one's settings.
//
// Fills an empty database; false and the reason ("line 7: ...", the line where the bad row
// starts) when a row does not parse, and then the database should be thrown away.
bool ImportCatalogue(const std::string& bytes, COvDiscDatabase& database, QString* error);

}  // namespace ov2::exporting

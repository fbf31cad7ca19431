#pragma once

#include <QString>
#include <string>
#include <string_view>

class COvDiscDatabase;

namespace ov2 {

// What kept a catalogue from being saved: nothing, the file (another place may do), or the
// catalogue itself (its bytes would not read back, wherever they went).
enum class SaveFault { None, File, Catalogue };

// Saves the catalogue over the file. Its bytes go to a temporary file beside it, are read back
// from there and must pass the reader's checks; only then does it replace the file. A file marked read-only (no write permission
// for anyone) is left alone even where the file system would let the user replace it. On a
// fault, error receives the reason and the old file is as it was.
SaveFault SaveCatalogueFile(const QString& path, COvDiscDatabase& database, std::string* error);

// The same safe save of bytes already made (CatalogueBytes), for a caller that made them on one
// thread and writes them on another: checked as they lie in the temporary file, then put in place.
SaveFault SaveCatalogueBytes(const QString& path, std::string_view bytes, std::string* error);

}  // namespace ov2

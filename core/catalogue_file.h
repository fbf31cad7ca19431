#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/archive.h"

class COvDiscDatabase;

// Reading and writing whole catalogues. A catalogue file is the archive of its database and
// nothing else: no header, no version, no checksum.
//
// Reading adds to the database as the file says (discs and categories appended, settings entries
// replacing those of the same key). On failure the database is emptied, error receives the
// reason and false is returned; bytes after the settings map are ignored.
bool ReadCatalogue(std::string_view bytes, COvDiscDatabase& database, std::string* error);
bool ReadCatalogueFile(const std::filesystem::path& path, COvDiscDatabase& database, std::string* error);

// Writing hands the bytes to the sink in pieces; false and the reason when the sink refuses.
bool WriteCatalogue(COvDiscDatabase& database, const CArchive::Sink& sink, std::string* error);
std::string CatalogueBytes(COvDiscDatabase& database);

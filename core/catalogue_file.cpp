#include "core/catalogue_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>

#include "core/disc_database.h"

namespace {

bool Load(CArchive& ar, COvDiscDatabase& database, std::string* error) {
    try {
        database.Serialize(ar);
        return true;
    } catch (const CArchiveException& e) {
        if (error) *error = e.what();
    } catch (const std::bad_alloc&) {
        if (error) *error = "not enough memory";
    }
    database.RemoveAll();
    return false;
}

}  // namespace

bool ReadCatalogue(std::string_view bytes, COvDiscDatabase& database, std::string* error) {
    CArchive ar(bytes);
    return Load(ar, database, error);
}

bool ReadCatalogueFile(const std::filesystem::path& path, COvDiscDatabase& database, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored)) {
        // A folder opens for reading on Linux; it is no catalogue all the same.
        if (error) *error = std::strerror(in ? EISDIR : errno);
        database.RemoveAll();
        return false;
    }
    try {
        CArchive ar(in);
        return Load(ar, database, error);
    } catch (const CArchiveException& e) {
        if (error) *error = e.what();
        database.RemoveAll();
        return false;
    }
}

bool WriteCatalogue(COvDiscDatabase& database, const CArchive::Sink& sink, std::string* error) {
    try {
        CArchive ar(sink);
        database.Serialize(ar);
        ar.Flush();
        return true;
    } catch (const CArchiveException& e) {
        if (error) *error = e.what();
        return false;
    }
}

std::string CatalogueBytes(COvDiscDatabase& database) {
    std::string bytes;
    WriteCatalogue(database, [&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
        return true;
    }, nullptr);
    return bytes;
}

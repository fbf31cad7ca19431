// Feeds arbitrary bytes to the catalogue reader. A read must either fail cleanly (an empty
// catalogue and a reason) or give a catalogue that writes, reads back and writes again to the
// same bytes (after at most two rounds, see below). Reading from memory and from a stream, and
// the save's check, must agree. Anything else aborts.
//
// OV2_FUZZ_EXPECT_VALID=1 makes a failed read abort too: the seed check runs the valid seed
// files that way, so that a reader which starts rejecting good files is noticed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <sstream>
#include <string>
#include <string_view>

#include "core/archive.h"
#include "core/catalogue_check.h"
#include "core/catalogue_file.h"
#include "core/disc_database.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz_catalogue_reader: %s %s\n", what, detail.c_str());
    std::abort();
}

bool IsEmpty(const COvDiscDatabase& database) {
    return database.IsEmpty() && database.m_pCategories->m_strings.empty() && database.m_pSettings->m_map.IsEmpty();
}

// Reads through the stream path (the one files take), as ReadCatalogueFile does.
bool ReadFromStream(std::string_view bytes, COvDiscDatabase& database) {
    std::istringstream in{std::string(bytes)};
    try {
        CArchive ar(in);
        database.Serialize(ar);
        return true;
    } catch (const CArchiveException&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

// The bytes of the catalogue that `bytes` reads as; they must read.
std::string ReadAndWrite(const std::string& bytes) {
    COvDiscDatabase database;
    std::string error;
    if (!ReadCatalogue(bytes, database, &error)) Fail("a written catalogue does not read back:", error);
    return CatalogueBytes(database);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool expectValid = [] {
        const char* value = std::getenv("OV2_FUZZ_EXPECT_VALID");
        return value && std::string_view(value) == "1";
    }();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    COvDiscDatabase database;
    std::string error;
    const bool read = ReadCatalogue(bytes, database, &error);
    if (!read) {
        if (expectValid) Fail("a valid file was rejected:", error);
        if (error.empty()) Fail("a failed read gave no reason");
        if (!IsEmpty(database)) Fail("a failed read left records behind");
    }

    // A save trusts this check instead of a read: it must agree, reason and all.
    std::string checkError;
    if (CatalogueBytesValid(bytes, &checkError) != read || checkError != error)
        Fail("the save's check and the reader disagree:", error + " / " + checkError);

    COvDiscDatabase fromStream;
    if (ReadFromStream(bytes, fromStream) != read) Fail("the memory and stream readers disagree");
    if (!read) return 0;

    const std::string first = CatalogueBytes(database);
    if (CatalogueBytes(fromStream) != first) Fail("the memory and stream readers read different catalogues");
    const std::string second = ReadAndWrite(first);
    // Map keys that share a bucket come back in reverse order from every read (a new key goes
    // first in its bucket), so such a catalogue alternates between two forms; a second round
    // must restore the first.
    if (second != first && ReadAndWrite(second) != first) Fail("a catalogue written again gives different bytes");
    return 0;
}

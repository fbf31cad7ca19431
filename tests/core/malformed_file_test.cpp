// Files that are not what they claim: every one must fail cleanly, at once, without a large
// allocation, and leave an empty catalogue.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <sstream>

#include "core/catalogue_check.h"
#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "tests/support/bytes.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

// The largest single allocation made while a test watches; the reader must never size an
// allocation from a count or length it has not checked against the file.
namespace {
std::atomic<bool> g_watching{false};
std::atomic<std::size_t> g_largest{0};
}  // namespace

// The replacement pair below is matched; the compiler cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (g_watching.load(std::memory_order_relaxed) && size > g_largest.load(std::memory_order_relaxed))
        g_largest = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace ov2::test;

// Reads the bytes, expecting failure; returns the reason.
std::string ReadError(std::string_view bytes) {
    COvDiscDatabase db;
    AddDefaultSettings(db);
    std::string error;
    g_largest = 0;
    g_watching = true;
    const bool ok = ReadCatalogue(bytes, db, &error);
    g_watching = false;
    EXPECT_FALSE(ok) << Hex(bytes.substr(0, 64));
    EXPECT_TRUE(db.IsEmpty());
    EXPECT_EQ(db.m_pSettings->m_map.GetCount(), 0u);
    EXPECT_LT(g_largest.load(), std::size_t{1} << 20) << "allocation of " << g_largest.load() << " bytes";
    std::string checked;  // the save's check refuses them for the same reason
    EXPECT_FALSE(CatalogueBytesValid(bytes, &checked));
    EXPECT_EQ(checked, error);
    return error;
}

// One disc "1" with one file; the settings follow.
Bytes OneDisc() {
    Bytes b;
    b.Word(1).NewClass("COvDisc").Word(1).NewClass("COvFileData").Str("a.txt").Str("d:\\").Str("5").Str("d:").Word(0);
    b.Str("1").Raw({0, 0, 0, 0}).Str("home").Raw({0, 0}).Str("1 \r\n").Word(0);
    return b;
}

TEST(MalformedFile, EveryTruncationFailsInMemoryAndFromAStream) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "one", {MakeFile("a.txt", "d:\\", "5", {"cat"}), MakeFile("b", "d:\\x\\", "7")}, {"\tx"}));
    db.AddTail(MakeDisc("2", std::string(300, 'n'), {MakeFile("c", "d:\\", "1")}));
    db.m_pCategories->m_strings = {"cat"};
    AddDefaultSettings(db);
    const std::string bytes = CatalogueBytes(db);
    ASSERT_GT(bytes.size(), 400u);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_FALSE(ReadError(bytes.substr(0, n)).empty()) << "at " << n;

        std::istringstream stream(bytes.substr(0, n));
        CArchive ar(stream);
        COvDiscDatabase streamed;
        EXPECT_THROW(streamed.Serialize(ar), CArchiveException) << "at " << n;
    }
}

// The save's check takes exactly what the reader takes, refusing the rest for the reader's
// reason: the fuzz seeds, and every truncation and bit flip of a small catalogue and of them.
TEST(MalformedFile, TheSaveCheckAgreesWithTheReader) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "one", {MakeFile("a.txt", "d:\\", "5", {"cat"}), MakeFile("b", "d:\\x\\", "7")}));
    db.m_pCategories->m_strings = {"cat"};
    AddDefaultSettings(db);
    std::vector<std::string> seeds = {CatalogueBytes(db)};
    for (const char* corpus : {OV2_FUZZ_CORPUS, OV2_FUZZ_CORPUS "-old"})
        for (const auto& seed : std::filesystem::directory_iterator(corpus)) seeds.push_back(ReadFileBytes(seed.path()));
    int accepted = 0, refused = 0;
    auto agree = [&](const std::string& bytes) {
        COvDiscDatabase read;
        std::string readError, checkError;
        const bool reads = ReadCatalogue(bytes, read, &readError);
        EXPECT_EQ(CatalogueBytesValid(bytes, &checkError), reads) << Hex(bytes.substr(0, 64));
        EXPECT_EQ(checkError, readError);
        ++(reads ? accepted : refused);
    };
    for (const std::string& seed : seeds) {
        agree(seed);
        const std::size_t step = 1 + seed.size() / 512;  // every bit of a small seed, a sample of a large one
        for (std::size_t n = 0; n < seed.size(); n += step) agree(seed.substr(0, n));
        for (std::size_t bit = 0; bit < 8 * seed.size(); bit += step) {
            std::string flipped = seed;
            flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
            agree(flipped);
        }
    }
    EXPECT_GT(accepted, 1000);  // flips inside texts keep a file readable
    EXPECT_GT(refused, 1000);
}

TEST(MalformedFile, ClassDescriptionsMustNameKnownClassesAtSchemaZero) {
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("CFoo").str()), "unknown class \"CFoo\"");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass(std::string(63, 'C')).str()),
              "unknown class \"" + std::string(63, 'C') + "\"");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass(std::string(64, 'C')).str()),
              "a class name of 64 characters is too long");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("COvDisc", 1).str()),
              "class \"COvDisc\" has schema 1, expected 0");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("COvdisc").str()), "unknown class \"COvdisc\"");
}

TEST(MalformedFile, IndexesMustNameWhatWasReadBefore) {
    EXPECT_EQ(ReadError(Bytes().Word(1).Word(0x8001).str()), "class index 1 has not been assigned");
    EXPECT_EQ(ReadError(Bytes().Word(1).Word(0x0005).str()), "object index 5 has not been assigned");
    EXPECT_EQ(ReadError(Bytes().Word(1).Word(0x7FFF).DWord(0x80000009).str()), "class index 9 has not been assigned");
    EXPECT_EQ(ReadError(Bytes().Word(1).Word(0x7FFF).DWord(0x00010000).str()), "object index 65536 has not been assigned");
    // Index 1 is the class COvDisc, not an object.
    EXPECT_EQ(ReadError(Bytes().Word(2).Text(OneDisc().str().substr(2)).Word(0x0001).str()),
              "index 1 names a class, not an object");
    // A file where a disc belongs, and a disc where a file belongs.
    EXPECT_EQ(ReadError(Bytes().Word(2).Text(OneDisc().str().substr(2)).Word(0x0004).str()),
              "object 4 is a COvFileData, expected a COvDisc");
    EXPECT_EQ(ReadError(Bytes().Word(2).Text(OneDisc().str().substr(2)).Word(0x8003).str()),
              "a COvFileData stands where a COvDisc belongs");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("COvDisc").Word(1).Word(0x0002).str()),
              "object 2 refers to itself");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("COvDisc").Word(1).Word(0x8001).str()),
              "a COvDisc stands where a COvFileData belongs");
    EXPECT_EQ(ReadError(Bytes().Word(1).Word(0).str()), "a COvDisc is missing");
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("CStringList").Word(0).str()),
              "a CStringList stands where a COvDisc belongs");
}

TEST(MalformedFile, SettingsMustHoldCollectionsOfTheirKind) {
    const Bytes start = Bytes().Word(0).Word(0).Word(1);
    EXPECT_EQ(ReadError(Bytes(start).Str("SearchCombo").NewClass("CMapStringToString").Word(0).str()),
              "the setting \"SearchCombo\" is not a CStringList");
    EXPECT_EQ(ReadError(Bytes(start).Str("CDDB").NewClass("CStringList").Word(0).str()),
              "the setting \"CDDB\" is not a CMapStringToString");
    EXPECT_EQ(ReadError(Bytes(start).Str("other").Word(0).str()), "a collection is missing");
    EXPECT_EQ(ReadError(Bytes(start).Str("other").NewClass("CObList").Word(1).NewClass("COvDisc").str()),
              "a COvDisc stands where a collection belongs");
    // A list that contains itself would never end.
    EXPECT_EQ(ReadError(Bytes(start).Str("other").NewClass("CObList").Word(1).Word(2).str()),
              "object 2 refers to itself");
}

TEST(MalformedFile, NestingIsBounded) {
    auto nested = [](int depth) {
        Bytes b = Bytes().Word(0).Word(0).Word(1).Str("deep").NewClass("CObList").Word(1);
        for (int i = 1; i < depth; ++i) b.Word(0x8001).Word(1);
        b.Word(0);  // the innermost list holds a null entry
        return b.str();
    };
    COvDiscDatabase db;
    std::string error;
    EXPECT_TRUE(ReadCatalogue(nested(CArchive::kMaxDepth), db, &error)) << error;
    EXPECT_TRUE(CatalogueBytesValid(nested(CArchive::kMaxDepth), &error)) << error;
    EXPECT_EQ(ReadError(nested(CArchive::kMaxDepth + 1)), "objects are nested too deeply");
    EXPECT_EQ(ReadError(nested(100000)), "objects are nested too deeply");
}

TEST(MalformedFile, HugeCountsAndLengthsFailAtOnce) {
    EXPECT_EQ(ReadError(Bytes().Word(0xFFFF).DWord(1000000000).Raw({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).str()),
              "a count of 1000000000 elements exceeds the rest of the file");
    EXPECT_EQ(ReadError(Bytes().Word(0).Word(0xFFFF).DWord(0xFFFFFFFF).str()),
              "a count of 4294967295 elements exceeds the rest of the file");
    // A disc whose number claims 4 GiB.
    Bytes hugeText = Bytes().Word(1).NewClass("COvDisc").Word(0).Byte(0xFF).Word(0xFFFF).DWord(0xFFFFFFFF).Text("12");
    EXPECT_EQ(ReadError(hugeText.str()), "a text of 4294967295 characters exceeds the rest of the file");
    // Wide text counts two bytes a character.
    Bytes wide = Bytes().Word(1).NewClass("COvDisc").Word(0).Byte(0xFF).Word(0xFFFE).Byte(4).Text("abcdef");
    EXPECT_EQ(ReadError(wide.str()), "a text of 4 characters exceeds the rest of the file");
    // A disc claiming more files than the file could hold.
    EXPECT_EQ(ReadError(Bytes().Word(1).NewClass("COvDisc").Word(0xFFFF).DWord(100).Text(std::string(150, '\0')).str()),
              "a count of 100 elements exceeds the rest of the file");
}

}  // namespace

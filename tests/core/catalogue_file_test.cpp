// Whole catalogues: the file layout, round trips, and large catalogues.
#include "core/catalogue_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/disc_database.h"
#include "core/map_string_to_string.h"
#include "tests/support/bytes.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;

std::shared_ptr<COvDisc> ExampleDisc(std::string_view number) {
    auto disc = MakeDisc(number, "", {MakeFile("a.txt", "d:\\", "5")});
    return disc;
}

// The settings of a new catalogue as they follow the category list.
Bytes& DefaultSettingsBytes(Bytes& b, std::uint16_t firstIndex) {
    return b.Word(3)
        .Str("SearchCombo").NewClass("CStringList").Word(0)
        .Str("LendCombo").Word(static_cast<std::uint16_t>(0x8000 | firstIndex)).Word(0)
        .Str("CDDB").NewClass("CMapStringToString").Word(1).Str("active").Str("central (Central Server)");
}

TEST(CatalogueFile, OneDiscWithOneFileGivesTheDocumentedBytes) {
    COvDiscDatabase db;
    db.AddTail(ExampleDisc("1"));
    AddDefaultSettings(db);
    Bytes expected;
    expected.Word(1)
        .NewClass("COvDisc").Word(1)
        .NewClass("COvFileData").Str("a.txt").Str("d:\\").Str("5").Str("d:").Word(0)
        .Str("1").Raw({0, 0, 0, 0}).Str("home").Raw({0, 0}).Str("1 \r\n").Word(0)
        .Word(0);
    DefaultSettingsBytes(expected, 5);
    EXPECT_EQ(Hex(CatalogueBytes(db)), Hex(expected));
}

TEST(CatalogueFile, LaterDiscsAndFilesReferToTheirClasses) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "empty"));  // a disc without files: the file class comes later
    db.AddTail(ExampleDisc("2"));
    db.AddTail(ExampleDisc("3"));
    db.AddTail(MakeDisc("4", "", {db.m_lstDiscs[2]->m_lstFiles[0]}));  // a record held twice
    const std::string bytes = CatalogueBytes(db);
    const std::string second = Bytes().Word(0x8001).Word(1).NewClass("COvFileData").str();
    const std::string third = Bytes().Word(0x8001).Word(1).Word(0x8004).str();
    const std::string fourth = Bytes().Word(0x8001).Word(1).Word(7).str();  // refers to the third's file
    EXPECT_NE(bytes.find(second), std::string::npos);
    EXPECT_NE(bytes.find(third), std::string::npos);
    EXPECT_NE(bytes.find(fourth), std::string::npos);
}

TEST(CatalogueFile, EmptyCatalogueIsThreeZeroCounts) {
    COvDiscDatabase db;
    EXPECT_EQ(Hex(CatalogueBytes(db)), "00 00 00 00 00 00");
    COvDiscDatabase read;
    std::string error;
    EXPECT_TRUE(ReadCatalogue(std::string(6, '\0'), read, &error)) << error;
    EXPECT_TRUE(read.IsEmpty());
}

void ExpectSameCatalogue(const COvDiscDatabase& a, const COvDiscDatabase& b) {
    ASSERT_EQ(a.GetCount(), b.GetCount());
    for (int i = 0; i < a.GetCount(); ++i) {
        const COvDisc& x = *a.m_lstDiscs[i];
        const COvDisc& y = *b.m_lstDiscs[i];
        const OvString COvDisc::*texts[] = {&COvDisc::m_strNumber, &COvDisc::m_strName, &COvDisc::m_strArtist,
                                            &COvDisc::m_strQuality, &COvDisc::m_strNotes, &COvDisc::m_strLocation,
                                            &COvDisc::m_strSavedAt, &COvDisc::m_strLendDate,
                                            &COvDisc::m_strFolderTree};
        for (auto text : texts) EXPECT_EQ(x.*text, y.*text) << "disc " << i;
        EXPECT_EQ(x.m_lstCategories, y.m_lstCategories);
        ASSERT_EQ(x.GetCount(), y.GetCount());
        for (int f = 0; f < x.GetCount(); ++f) {
            const COvFileData& p = *x.m_lstFiles[f];
            const COvFileData& q = *y.m_lstFiles[f];
            EXPECT_EQ(p.m_strFileName, q.m_strFileName);
            EXPECT_EQ(p.m_strFolder, q.m_strFolder);
            EXPECT_EQ(p.m_strSize, q.m_strSize);
            EXPECT_EQ(p.m_strDrive, q.m_strDrive);
            EXPECT_EQ(p.m_lstCategories, q.m_lstCategories);
        }
    }
    EXPECT_EQ(a.m_pCategories->m_strings, b.m_pCategories->m_strings);
}

TEST(CatalogueFile, OddTextsSurviveAFileRoundTrip) {
    COvDiscDatabase db;
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) high += static_cast<char>(c);
    const std::string texts[] = {"", std::string(254, 'a'), std::string(255, 'b'), std::string(65533, 'c'),
                                 std::string(65534, 'd'), high, "line\r\nnext\tcol", std::string("nul\0in", 6)};
    int number = 1;
    for (const std::string& t : texts) {
        auto disc = MakeDisc(std::to_string(number++), t, {MakeFile(t, "e:\\" + t + "\\", t, {t, "x"})}, {"\t" + t});
        disc->m_strNotes = t;
        disc->m_strArtist = t;
        disc->m_strLendDate = t;
        disc->m_lstCategories = {t};
        db.AddTail(disc);
    }
    db.m_pCategories->m_strings = {texts[0], texts[2], texts[5]};
    AddDefaultSettings(db, high);

    TempDir dir;
    const std::string bytes = CatalogueBytes(db);
    WriteFileBytes(dir / "odd.ovd", bytes);
    COvDiscDatabase read;
    std::string error;
    ASSERT_TRUE(ReadCatalogueFile(dir / "odd.ovd", read, &error)) << error;
    ExpectSameCatalogue(db, read);
    auto* cddb = read.m_pSettings->m_map.Lookup("CDDB");
    ASSERT_TRUE(cddb);
    EXPECT_EQ(*std::static_pointer_cast<CMapStringToString>(*cddb)->m_map.Lookup("active"), high);
    EXPECT_EQ(CatalogueBytes(read), bytes);  // and written again, the same bytes
}

TEST(CatalogueFile, RunningIndexPast0x7FFFKeepsShortClassReferences) {
    COvDiscDatabase db;
    std::vector<std::shared_ptr<COvFileData>> files;
    for (int i = 0; i < 40000; ++i) files.push_back(MakeFile("f" + std::to_string(i), "d:\\x\\", std::to_string(i)));
    db.AddTail(MakeDisc("1", "many", files));
    db.AddTail(ExampleDisc("2"));  // written after the index passed 0x7FFF
    AddDefaultSettings(db);
    const std::string bytes = CatalogueBytes(db);
    // The second disc and its file still refer to their classes with one word.
    EXPECT_NE(bytes.find(Bytes().Word(0x8001).Word(1).Word(0x8003).Str("a.txt").str()), std::string::npos);
    EXPECT_EQ(bytes.find(Bytes().Word(0x7FFF).DWord(0x80000001).str()), std::string::npos);

    COvDiscDatabase read;
    std::string error;
    ASSERT_TRUE(ReadCatalogue(bytes, read, &error)) << error;
    ExpectSameCatalogue(db, read);
    EXPECT_EQ(CatalogueBytes(read), bytes);
}

TEST(CatalogueFile, FilesOfAFolderShareTheFolderTextAfterReading) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "", {MakeFile("a", "d:\\photos\\2002\\", "1"), MakeFile("b", "d:\\photos\\2002\\", "2")}));
    COvDiscDatabase read;
    ASSERT_TRUE(ReadCatalogue(CatalogueBytes(db), read, nullptr));
    const auto& files = read.m_lstDiscs[0]->m_lstFiles;
    EXPECT_TRUE(files[0]->m_strFolder.SharesBlockWith(files[1]->m_strFolder));
}

TEST(CatalogueFile, ReadingReplacesSettingsInPlaceAndIgnoresTrailingBytes) {
    COvDiscDatabase written;
    auto search = std::make_shared<CStringList>();
    search->m_strings = {"rock", "jazz"};
    written.m_pSettings->m_map.SetAt("SearchCombo", search);
    written.m_pCategories->m_strings = {"Rock"};
    const std::string bytes = CatalogueBytes(written) + "trailing garbage";

    COvDiscDatabase read;
    AddDefaultSettings(read);
    std::string error;
    ASSERT_TRUE(ReadCatalogue(bytes, read, &error)) << error;
    EXPECT_EQ(read.m_pSettings->m_map.GetCount(), 3u);
    auto* value = read.m_pSettings->m_map.Lookup("SearchCombo");
    ASSERT_TRUE(value);
    EXPECT_EQ(std::static_pointer_cast<CStringList>(*value)->m_strings, search->m_strings);
    EXPECT_EQ(read.m_pCategories->m_strings, std::vector<std::string>{"Rock"});
}

// The seeds of the fuzz corpus, among them a file whose shared list was once written deeper than
// it was read, and a list one level short of the bound that a list written before it refers to.
TEST(CatalogueFile, WhatReadsWritesBytesThatReadBack) {
    Bytes shared = Bytes().Word(0).Word(0).Word(2).Str("b").NewClass("CObList").Word(1);
    for (int i = 2; i < CArchive::kMaxDepth; ++i) shared.Word(0x8001).Word(1);
    std::vector<std::string> inputs = {shared.Word(0).Str("a").Word(0x8001).Word(1).Word(2).str()};
    for (const auto& seed : std::filesystem::directory_iterator(OV2_FUZZ_CORPUS))
        inputs.push_back(ReadFileBytes(seed.path()));
    int read = 0;
    for (const std::string& bytes : inputs) {
        COvDiscDatabase db, again;
        std::string error;
        if (!ReadCatalogue(bytes, db, &error)) continue;
        ++read;
        EXPECT_TRUE(ReadCatalogue(CatalogueBytes(db), again, &error)) << error;
    }
    EXPECT_EQ(read, 9);
}

TEST(CatalogueFile, DiscSizesAndCounts) {
    auto disc = MakeDisc("1", "");
    EXPECT_EQ(disc->GetFileCountText(), "0");
    EXPECT_EQ(disc->GetFullSizeText(), "0.000 MB");
    // Sizes of old catalogues may be negative (the low 32 bits of a large file); they add up.
    disc->m_lstFiles = {MakeFile("a", "d:\\", "3145728"), MakeFile("b", "d:\\", "-1048576"),
                        MakeFile("c", "d:\\", "4294967296")};
    EXPECT_EQ(disc->GetFileCountText(), "3");
    EXPECT_EQ(disc->GetFullSizeText(), "4098.000 MB");
}

TEST(CatalogueFile, MissingFileIsAReadErrorNamingTheCause) {
    TempDir dir;
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", ""));
    std::string error;
    EXPECT_FALSE(ReadCatalogueFile(dir / "absent.ovd", db, &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_TRUE(db.IsEmpty());
    EXPECT_FALSE(ReadCatalogueFile(dir.path(), db, &error));
    EXPECT_EQ(error, "Is a directory");
}

}  // namespace

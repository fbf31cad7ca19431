// Facts of files and discs, kept in the settings of a catalogue of the unchanged format.
#include "core/file_facts.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/catalogue_check.h"
#include "core/catalogue_file.h"
#include "core/string_list.h"
#include "tests/support/sample_catalogue.h"

namespace {

using namespace ov2::test;

void AddFactsDisc(COvDiscDatabase& db, std::string_view number, std::string_view second) {
    auto disc = MakeDisc(number, "backup", {MakeFile("a.txt", "d:\\docs\\", "5"), MakeFile(second, "d:\\", "70000"),
                                            MakeFile("old.txt", "d:\\", "1")});
    disc->m_lstFiles[0]->m_facts.modified = 4102444800;  // 2100-01-01, past 32 bits
    disc->m_lstFiles[0]->m_facts.fingerprint = 0x0123456789abcdefull;
    disc->m_lstFiles[1]->m_facts.modified = -86400;  // before 1970
    disc->m_lstFiles[1]->m_facts.encrypted = true;
    // the third has no facts
    disc->m_facts = {"ext4", "BACKUP\t2023", "1b2c-3d4e", "WD Elements", 999653638144, 225686003712,
                     "2026-12-08T14:03:09+01:00"};
    db.AddTail(std::move(disc));
}

TEST(FileFacts, RideInTheSettingsOfAValidCatalogueAndReadBack) {
    COvDiscDatabase db;
    AddFactsDisc(db, "1", "b.txt");
    db.AddTail(MakeDisc("2", "plain", {MakeFile("c.txt", "d:\\", "3")}));  // no facts: no text
    AddDefaultSettings(db);
    const std::string bytes = CatalogueBytes(db);

    std::string error;
    EXPECT_TRUE(CatalogueBytesValid(bytes, &error)) << error;
    COvDiscDatabase read;
    ASSERT_TRUE(ReadCatalogue(bytes, read, &error)) << error;
    EXPECT_EQ(read.m_pSettings->m_map.Lookup(ov2::kFileFactsKey), nullptr);  // taken into the records
    const auto& files = read.m_lstDiscs[0]->m_lstFiles;
    EXPECT_EQ(files[0]->m_facts.modified, 4102444800);
    EXPECT_EQ(files[0]->m_facts.fingerprint, 0x0123456789abcdefull);
    EXPECT_FALSE(files[0]->m_facts.encrypted);
    EXPECT_EQ(files[1]->m_facts.modified, -86400);
    EXPECT_TRUE(files[1]->m_facts.encrypted);
    EXPECT_FALSE(files[1]->m_facts.HasFingerprint());
    EXPECT_TRUE(files[2]->m_facts.IsEmpty());
    const ov2::DiscFacts& disc = read.m_lstDiscs[0]->m_facts;
    EXPECT_EQ(disc.label, "BACKUP 2023");  // a TAB cannot stand in a field
    EXPECT_EQ(disc.scannedAt, "2026-12-08T14:03:09+01:00");
    EXPECT_EQ(disc.Summary(), "ext4, 'BACKUP 2023', 931.0 GiB, 210.2 GiB free");
    EXPECT_TRUE(read.m_lstDiscs[1]->m_facts.IsEmpty());
    EXPECT_EQ(CatalogueBytes(read), bytes);
}

TEST(FileFacts, ADiscChangedByAnotherProgramLosesOnlyItsOwnFacts) {
    COvDiscDatabase db;
    AddFactsDisc(db, "1", "b.txt");
    AddFactsDisc(db, "2", "q.txt");
    AddDefaultSettings(db);
    std::string bytes = CatalogueBytes(db);
    // A program that knows nothing of the facts renames disc 2's file and keeps the settings.
    const std::size_t at = bytes.find("q.txt");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 5, "r.txt");

    COvDiscDatabase read;
    std::string error;
    ASSERT_TRUE(ReadCatalogue(bytes, read, &error)) << error;
    EXPECT_EQ(read.m_lstDiscs[0]->m_lstFiles[0]->m_facts.modified, 4102444800);
    EXPECT_FALSE(read.m_lstDiscs[0]->m_facts.IsEmpty());
    for (const auto& file : read.m_lstDiscs[1]->m_lstFiles) EXPECT_TRUE(file->m_facts.IsEmpty());
    EXPECT_TRUE(read.m_lstDiscs[1]->m_facts.IsEmpty());
}

TEST(FileFacts, MalformedFactsAreDroppedAndTheCatalogueStillReads) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("1", "x", {MakeFile("a.txt", "d:\\", "5")}));
    AddDefaultSettings(db);
    char checksum[17];
    std::snprintf(checksum, sizeof checksum, "%016llx",
                  static_cast<unsigned long long>(ov2::RecordsChecksum(*db.m_lstDiscs[0])));
    const std::string head = std::string("1\t") + checksum + "\t1\t1\t\t\t\t\t\t\t\t";
    for (const std::string& text : {head + "AQ==",        // a time flag without its time
                                    head + "CA==",        // an unknown flag
                                    head + "AQAA",        // bytes left over
                                    head + "A?==",        // not base64
                                    std::string("1\tzz\t1\t1"), std::string(5000, '\t')}) {
        auto list = std::make_shared<CStringList>();
        list->m_strings.push_back(text);
        // Written as a foreign program would keep it: among the settings, under a key the
        // writer does not take for its own, renamed in the bytes.
        db.m_pSettings->m_map.SetAt("FileFactX", list);
        std::string bytes = CatalogueBytes(db);
        bytes.replace(bytes.find("FileFactX"), 9, ov2::kFileFactsKey);
        COvDiscDatabase read;
        std::string error;
        ASSERT_TRUE(ReadCatalogue(bytes, read, &error)) << error;
        EXPECT_TRUE(read.m_lstDiscs[0]->m_lstFiles[0]->m_facts.IsEmpty()) << text;
        EXPECT_EQ(read.m_pSettings->m_map.Lookup(ov2::kFileFactsKey), nullptr);
    }
    // The same head with a well-formed entry does give the file its time: the cases above
    // fail for their fault, not for the head.
    auto list = std::make_shared<CStringList>();
    list->m_strings.push_back(head + "AQI=");  // time flag, zig-zag 2: one second past 1970
    db.m_pSettings->m_map.SetAt("FileFactX", list);
    std::string bytes = CatalogueBytes(db);
    bytes.replace(bytes.find("FileFactX"), 9, ov2::kFileFactsKey);
    COvDiscDatabase read;
    ASSERT_TRUE(ReadCatalogue(bytes, read, nullptr));
    EXPECT_EQ(read.m_lstDiscs[0]->m_lstFiles[0]->m_facts.modified, 1);
}

}  // namespace

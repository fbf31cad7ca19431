#include <gtest/gtest.h>

#include <QDateTime>
#include <atomic>

#include "find/find_index.h"
#include "find/find_query.h"
#include "tests/support/sample_catalogue.h"

namespace ov2::find {
namespace {

using ov2::test::MakeDisc;
using ov2::test::MakeFile;

// Disc 1 at home, with a Windows-made name ("Caf\xE9" in Windows-1252) and a negative stored
// size; disc 12 lent to Anna.
void FillSample(COvDiscDatabase& database) {
    database.AddTail(MakeDisc(
        "1", "Holiday 2003",
        {MakeFile("Song One.mp3", "e:\\music\\rock\\", "1048576", {"Jazz"}),
         MakeFile("Caf\xE9.FLAC", "e:\\music\\rock\\", "1048577"),
         MakeFile("STRASSE.txt", "e:\\", "-5"), MakeFile("img_0001.jpg", "e:\\photos\\", "0"),
         MakeFile("src.tar.gz", "e:\\", "5000")},
        {"\tMusic", "\t\tRock", "\tPhotos"}));
    database.AddTail(MakeDisc("12", "Backup",
                              {MakeFile("readme.txt", "e:\\docs\\", "10"),
                               MakeFile("song two.MP3", "e:\\docs\\", "2000")}));
    database.m_lstDiscs.back()->m_strLocation = "Anna";
}

// The names the query finds, in result order, separated by ","; or the parse error. A query
// without an index (ov2cat's) must find the same.
std::string Found(std::string_view text, const std::shared_ptr<const CCatalogueIndex>& index,
                  const COvDiscDatabase* database = nullptr) {
    const ParseOutcome parsed = ParseQuery(text);
    if (!parsed.query) return "error: " + parsed.error;
    const std::shared_ptr<const CCatalogueIndex> list[] = {index};
    const Outcome outcome = Run(*parsed.query, list);
    if (database) {
        const Outcome once = RunOnce(*parsed.query, *database);
        EXPECT_EQ(once.hits.size(), outcome.hits.size()) << text;
        for (std::size_t i = 0; i < std::min(once.hits.size(), outcome.hits.size()); ++i)
            EXPECT_TRUE(once.hits[i].disc == outcome.hits[i].disc &&
                        once.hits[i].item == outcome.hits[i].item)
                << text;
        EXPECT_EQ(once.discs, outcome.discs) << text;
    }
    std::string names;
    for (const Hit& hit : outcome.hits)
        names += (names.empty() ? "" : ",") +
                 (outcome.folders ? index->FolderPath(hit.disc, hit.item)
                                  : index->File(hit.disc, hit.item)->m_strFileName.str());
    return names;
}

TEST(FindQuery, WordsPhrasesOrNotWildcardsAndEachFilterAtItsBoundary) {
    COvDiscDatabase database;
    FillSample(database);
    const auto index = CCatalogueIndex::Build(database, "Sample.ovd");
    const std::pair<const char*, const char*> cases[] = {
        {"song", "Song One.mp3,song two.MP3"},
        {"SONG one", "Song One.mp3"},
        {"\"song one\"", "Song One.mp3"},
        {"\"one song\"", ""},
        {"one|two readme|mp3", "Song One.mp3,song two.MP3"},
        {"song !two", "Song One.mp3"},
        {"*.mp3", "Song One.mp3,song two.MP3"},
        {"img_????.jpg", "img_0001.jpg"},
        {"caf?.flac", "Caf\xE9.FLAC"},  // ? is one character, é two bytes once decoded
        {"mp3*", ""},                   // a wildcard covers the whole name
        {"stra\xC3\x9F"
         "e",
         "STRASSE.txt"},                  // typed ß meets a stored SS
        {"caf\xC3\xA9", "Caf\xE9.FLAC"},  // typed UTF-8 meets Windows-1252
        {"ext:mp3;.flac", "Song One.mp3,Caf\xE9.FLAC,song two.MP3"},
        {"ext:gz", "src.tar.gz"},
        {"ext:tar.gz|txt !readme", "STRASSE.txt,src.tar.gz"},
        {"size:>1mb", "Caf\xE9.FLAC"},  // exactly 1 MiB is not more
        {"size:1mb..1048577", "Song One.mp3,Caf\xE9.FLAC"},
        {"size:<=10", "img_0001.jpg,readme.txt"},  // the negative size matches no size: filter
        {"!size:>=0", "STRASSE.txt"},
        {"disc:12", "readme.txt,song two.MP3"},
        {"disc:2..12 song", "song two.MP3"},
        {"disc:\"HOLIDAY 2003\" song", "Song One.mp3"},
        {"disc:\"12\"", ""},  // quoted: a part of the name, not the number
        {"path:music/ROCK", "Song One.mp3,Caf\xE9.FLAC"},
        {"cat:Jazz", "Song One.mp3"},
        {"cat:jazz", ""},
        {"lent:", "readme.txt,song two.MP3"},
        {"lent:anna", "readme.txt,song two.MP3"},
        {"lent:ann", ""},
        {"regex:^s.*\\.(mp3|txt)$", "Song One.mp3,STRASSE.txt,song two.MP3"},
        {"folder: o", "Music\\Rock,Photos"},
        {"folder: path:music", "Music\\Rock"},
    };
    for (const auto& [query, expected] : cases)
        EXPECT_EQ(Found(query, index, &database), expected) << query;
}

TEST(FindQuery, MalformedQueriesGiveAnErrorInsteadOfAQuery) {
    for (const char* text :
         {"size:>>", "size:2mb..1mb", "size:5xb", "\"abc", "regex:(", "colour:red", "a |", "| a",
          "a || b", "!", "ext:", "disc:", "disc:9..x", "folder: ext:mp3"}) {
        const ParseOutcome parsed = ParseQuery(text);
        EXPECT_FALSE(parsed.query) << text;
        EXPECT_FALSE(parsed.error.empty()) << text;
    }
    EXPECT_TRUE(ParseQuery("\"colour:red\" a|b").query);
    for (const char* text : {"dm:23", "dm:2023-13", "dm:2023-02-30", "dm:2024..2023", "dm:..",
                             "dupe:yes", "folder: dm:2023"})
        EXPECT_FALSE(ParseQuery(text).query) << text;
}

TEST(FindIndex, ATakenOverIndexSeesTheChangedDiscAndKeepsTheOthers) {
    COvDiscDatabase database;
    FillSample(database);
    const auto before = CCatalogueIndex::Build(database, "Sample.ovd");
    database.m_lstDiscs.back()->m_lstFiles.front()->m_strFileName = "notes.txt";
    database.m_lstDiscs.front()->m_lstFiles.front()->m_lstCategories.clear();
    database.AddTail(MakeDisc("13", "New", {MakeFile("readme.txt", "e:\\", "1")}));
    const auto after = CCatalogueIndex::Build(database, "Sample.ovd", before);
    EXPECT_EQ(after->ReusedDiscCount(),
              0u);  // a file renamed on one, a category gone from the other

    database.m_lstDiscs[1]->m_strLocation = "home";
    const auto again = CCatalogueIndex::Build(database, "Sample.ovd", after);
    EXPECT_EQ(again->ReusedDiscCount(), 2u);
    EXPECT_EQ(Found("readme|notes", again), "notes.txt,readme.txt");
    EXPECT_EQ(Found("lent:", again), "");
    EXPECT_EQ(Found("cat:Jazz", again), "");
    EXPECT_EQ(Found("notes", before), "");  // the old index stays as it was built
}

TEST(FindRun, SeveralCataloguesOnTwoThreadsCountedAndCancelled) {
    COvDiscDatabase small, large;
    FillSample(small);
    for (int d = 1; d <= 300; ++d) {
        std::vector<std::shared_ptr<COvFileData>> files;
        for (int f = 0; f < 20; ++f)
            files.push_back(
                MakeFile("track " + std::to_string(f) + ".mp3", "e:\\", std::to_string(d)));
        large.AddTail(MakeDisc(std::to_string(d), "Disc", std::move(files)));
    }
    const std::shared_ptr<const CCatalogueIndex> list[] = {
        CCatalogueIndex::Build(small, "Small.ovd"), CCatalogueIndex::Build(large, "Large.ovd")};
    const auto query = ParseQuery("mp3 !size:100..200").query;
    const Outcome one = find::Run(*query, list, nullptr, 1),
                  two = find::Run(*query, list, nullptr, 2);
    EXPECT_EQ(one.hits.size(), 2u + 199u * 20u);
    EXPECT_EQ(one.discs, 2u + 199u);
    EXPECT_EQ(one.catalogues, 2u);
    EXPECT_FALSE(one.cancelled);
    ASSERT_EQ(two.hits.size(), one.hits.size());
    for (std::size_t i = 0; i < one.hits.size(); ++i) {
        EXPECT_EQ(two.hits[i].catalogue, one.hits[i].catalogue);
        EXPECT_EQ(two.hits[i].disc, one.hits[i].disc);
        EXPECT_EQ(two.hits[i].item, one.hits[i].item);
        if (one.hits[i].catalogue == 1) {  // each hit is the file whose name was found
            EXPECT_EQ(list[1]->File(one.hits[i].disc, one.hits[i].item)->m_strFileName,
                      "track " + std::to_string(one.hits[i].item) + ".mp3");
        }
    }
    const std::atomic<bool> cancel{true};
    const Outcome cancelled = find::Run(*query, list, &cancel, 2);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.hits.empty());
}

TEST(FindQuery, ModifiedDatesInLocalTimeAndCopiesAcrossTheCataloguesSearched) {
    const auto local = [](int y, int m, int d, int h) {
        return QDateTime(QDate(y, m, d), QTime(h, 0)).toSecsSinceEpoch();
    };
    COvDiscDatabase database, other;
    database.AddTail(MakeDisc("1", "Mixed",
                              {MakeFile("a.jpg", "e:\\", "10"), MakeFile("b.jpg", "e:\\", "10"),
                               MakeFile("c.jpg", "e:\\", "10"), MakeFile("d.jpg", "e:\\", "20"),
                               MakeFile("old.jpg", "e:\\", "10")}));
    const auto& files = database.m_lstDiscs[0]->m_lstFiles;
    files[0]->m_facts.modified = local(2022, 12, 31, 23);
    files[1]->m_facts.modified = local(2023, 1, 1, 0);
    files[2]->m_facts.modified = local(2023, 6, 30, 23);
    files[2]->m_facts.fingerprint = 5;
    files[3]->m_facts.modified = local(2024, 2, 29, 12);
    other.AddTail(MakeDisc("2", "Other", {MakeFile("x.jpg", "e:\\", "10"), MakeFile("D.JPG", "e:\\", "20")}));
    other.m_lstDiscs[0]->m_lstFiles[0]->m_facts.fingerprint = 5;  // c.jpg under another name
    const auto index = CCatalogueIndex::Build(database, "Dates.ovd");
    const std::pair<const char*, const char*> cases[] = {
        {"dm:2023", "b.jpg,c.jpg"},
        {"dm:2023-01", "b.jpg"},
        {"dm:2022-12-31..2023-01-01", "a.jpg,b.jpg"},
        {"dm:2023-01-02..", "c.jpg,d.jpg"},
        {"dm:>2023", "d.jpg"},
        {"dm:>=2023-06-30", "c.jpg,d.jpg"},
        {"dm:<2023", "a.jpg"},
        {"dm:<=2024-02", "a.jpg,b.jpg,c.jpg,d.jpg"},
        {"!dm:2023", "a.jpg,d.jpg,old.jpg"},  // a file without a time is outside every period
        {"dupe:", ""},
    };
    for (const auto& [query, expected] : cases)
        EXPECT_EQ(Found(query, index, &database), expected) << query;

    // Over both catalogues, on the index and without one.
    const std::shared_ptr<const CCatalogueIndex> both[] = {
        index, CCatalogueIndex::Build(other, "Other.ovd")};
    const auto query = ParseQuery("dupe: !x").query;
    std::string names;
    for (const Hit& hit : ov2::find::Run(*query, both).hits)
        names += both[hit.catalogue]->File(hit.disc, hit.item)->m_strFileName.str() + ",";
    EXPECT_EQ(names, "c.jpg,d.jpg,D.JPG,");
    const char marks[] = {0, 0, 1, 1, 0};
    EXPECT_EQ(RunOnce(*query, database, 0, marks).hits.size(), 2u);
}

}  // namespace
}  // namespace ov2::find

#include <gtest/gtest.h>

#include "dupes/duplicates.h"
#include "tests/support/sample_catalogue.h"

namespace ov2::dupes {
namespace {

using ov2::test::MakeDisc;
using ov2::test::MakeFile;

std::shared_ptr<COvFileData> Printed(std::string_view name, std::string_view size,
                                     std::uint64_t fingerprint) {
    auto file = MakeFile(name, "e:\\", size);
    file->m_facts.fingerprint = fingerprint;
    return file;
}

// Each group as "disc:name disc:name", groups separated by " | ".
std::string Text(const std::vector<Group>& groups, std::span<const Catalogue> catalogues) {
    std::string text;
    for (const Group& group : groups) {
        if (!text.empty()) text += " | ";
        for (std::size_t i = 0; i < group.files.size(); ++i)
            text += (i ? " " : "") +
                    catalogues[group.files[i].catalogue].database->m_lstDiscs[group.files[i].disc]
                        ->m_strNumber.str() +
                    ":" + FileOf(catalogues, group.files[i])->m_strFileName.str();
    }
    return text;
}

TEST(Duplicates, FingerprintsOutweighNamesAndNamesWithSizesStandInWhenOneIsMissing) {
    COvDiscDatabase music, backup;
    music.AddTail(MakeDisc("1", "Music",
                           {Printed("Song.mp3", "5000", 11), Printed("Live.mp3", "5000", 22),
                            Printed("Intro.mp3", "300", 33), MakeFile("notes.txt", "e:\\", "70"),
                            MakeFile("empty.log", "e:\\", "0"), MakeFile("Track01.cda", "e:\\", "9")}));
    backup.AddTail(MakeDisc("7", "Backup",
                            {Printed("renamed.mp3", "5000", 11),   // same content, new name
                             Printed("Live.mp3", "5000", 44),      // same name, other content
                             MakeFile("INTRO.MP3", "e:\\old\\", "300"),  // no fingerprint
                             MakeFile("Notes.TXT", "e:\\", "70"), MakeFile("notes.txt", "e:\\", "71"),
                             MakeFile("empty.log", "e:\\", "0"), MakeFile("Track01.cda", "e:\\", "9")}));
    const Catalogue catalogues[] = {{&music, "Music.ovd"}, {&backup, "Backup.ovd"}};
    EXPECT_EQ(Text(FindDuplicates(catalogues, {}), catalogues),
              "1:Song.mp3 7:renamed.mp3 | 1:Intro.mp3 7:INTRO.MP3 | 1:notes.txt 7:Notes.TXT");
    Options large;
    large.minSize = 301;
    EXPECT_EQ(Text(FindDuplicates(catalogues, large), catalogues), "1:Song.mp3 7:renamed.mp3");

    // B without a fingerprint between A and C of different ones: A and C stay apart, and B
    // is grouped with neither; a second unknown copy of the name joins B.
    const CopyKey keys[] = {{"a.mp3", 5, 1}, {"a.mp3", 5, 0}, {"a.mp3", 5, 2}, {"a.mp3", 5, 0}};
    std::vector<std::uint32_t> groups;
    EXPECT_EQ(GroupCopies(keys, groups), 3u);
    EXPECT_NE(groups[0], groups[2]);
    EXPECT_NE(groups[1], groups[0]);
    EXPECT_NE(groups[1], groups[2]);
    EXPECT_EQ(groups[1], groups[3]);
}

TEST(SingleCopies, FilesOfTheChosenDiscsWithoutACopyOnAnotherDiscAnywhere) {
    COvDiscDatabase database;
    database.AddTail(MakeDisc("1", "Backup 1",
                              {MakeFile("a.doc", "e:\\", "10"), MakeFile("b.doc", "e:\\", "20"),
                               MakeFile("c.doc", "e:\\", "30"), MakeFile("c.doc", "e:\\x\\", "30")}));
    database.AddTail(MakeDisc("2", "Photos", {MakeFile("A.DOC", "e:\\", "10"), MakeFile("p.jpg", "e:\\", "5")}));
    database.AddTail(MakeDisc("3", "Backup 2", {MakeFile("b.doc", "e:\\", "21")}));
    database.m_lstDiscs[0]->m_lstCategories = {"Backup"};
    database.m_lstDiscs[2]->m_lstCategories = {"Backup"};
    const Catalogue catalogues[] = {{&database, "Cat.ovd"}};
    Options backups;
    backups.categories = {"Backup"};
    // a.doc has its copy on a disc of another category; c.doc is twice on one disc.
    std::string names;
    for (const FileRef& ref : FindSingleCopies(catalogues, backups))
        names += std::to_string(ref.disc) + ":" + FileOf(catalogues, ref)->m_strFileName.str() + " ";
    EXPECT_EQ(names, "0:b.doc 0:c.doc 0:c.doc 2:b.doc ");
    // Duplicates with the same option look among the Backup discs only.
    EXPECT_EQ(Text(FindDuplicates(catalogues, backups), catalogues), "1:c.doc 1:c.doc");
}

}  // namespace
}  // namespace ov2::dupes

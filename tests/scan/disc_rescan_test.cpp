// Rescanning a disc: two walks of a tree that the test changes between them, merged.
#include "scan/disc_rescan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/ov_disc.h"
#include "scan/disc_walk.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::shared_ptr<COvFileData>>;

Files Walk(const fs::path& root, std::string_view drive, std::string* outline = nullptr,
           bool archives = false) {
    CDiscWalk walk(drive);
    walk.SetListArchives(archives);
    EXPECT_TRUE(walk.WalkFolder(root.string()));
    if (outline) *outline = walk.FolderOutline("ignored");
    return walk.TakeFiles();
}

// "folder|name" → categories, for the records that carry any.
std::map<std::string, std::vector<std::string>> Categories(const Files& files) {
    std::map<std::string, std::vector<std::string>> out;
    for (const auto& f : files)
        if (!f->m_lstCategories.empty())
            out[f->m_strFolder.str() + "|" + f->m_strFileName.str()] = f->m_lstCategories;
    return out;
}

TEST(DiscRescanTest, KeepsWhatTheUserAddedAcrossChangesToTheTree) {
    TempDir dir;
    const fs::path root = dir / "stick";
    PutFile(root / "a" / "keep.txt", 3);
    PutFile(root / "a" / "gone.txt", 4);
    PutFile(root / "b" / "grow.txt", 5);
    PutFile(root / "Case.txt", 6);
    PutFile(root / "m" / "moved.jpg", 7);
    PutFile(root / "p" / "same.bin", 8);
    PutFile(root / "q" / "same.bin", 8);
    Files old = Walk(root, "e:\\");
    for (const auto& f : old) f->m_lstCategories = {"cat " + f->m_strFileName.str()};

    PutFile(root / "a" / "new.txt", 1);
    fs::remove(root / "a" / "gone.txt");
    PutFile(root / "b" / "grow.txt", 50);
    fs::rename(root / "Case.txt", root / "CASE.txt");
    fs::create_directories(root / "n");
    fs::rename(root / "m" / "moved.jpg", root / "n" / "moved.jpg");
    fs::create_directories(root / "r");
    fs::create_directories(root / "s");
    fs::rename(root / "p" / "same.bin", root / "r" / "same.bin");
    fs::rename(root / "q" / "same.bin", root / "s" / "same.bin");
    std::string outline;
    // The stick came back under another letter.
    RescanMerge merge = MergeRescan(old, Walk(root, "f:\\", &outline));

    EXPECT_TRUE(merge.sameDisc);
    // Two same-named files of one size moved: no guess, their categories stay behind.
    EXPECT_EQ(RescanSummaryLine("7", merge.summary),
              "Rescan of disc 7: 3 files added, 3 removed, 1 changed, 1 moved; "
              "categories kept on 4 files.");
    const std::map<std::string, std::vector<std::string>> expected = {
        {"f:\\a\\|keep.txt", {"cat keep.txt"}},
        {"f:\\b\\|grow.txt", {"cat grow.txt"}},
        {"f:\\|CASE.txt", {"cat Case.txt"}},
        {"f:\\n\\|moved.jpg", {"cat moved.jpg"}},
    };
    EXPECT_EQ(Categories(merge.files), expected);
    for (const auto& f : merge.files) EXPECT_EQ(f->m_strDrive.view(), "f:");

    // Applied, the disc keeps its labels and root line; records and folders are the new walk's.
    COvDisc disc;
    disc.m_strNumber = "7";
    disc.m_strName = "Holiday";
    disc.m_strLocation = "Anna";
    disc.m_lstCategories = {"Photos"};
    disc.m_strFolderTree = "7 Holiday\r\n\ta\r\n\tb\r\n\tm\r\n\tp\r\n\tq\r\n";  // n, r, s are new
    disc.m_strSavedAt = "May 01 2020";
    const std::size_t count = merge.files.size();
    ApplyRescan(disc, std::move(merge), outline, "December 07 2026");
    EXPECT_EQ(disc.m_strFolderTree.view(),
              "7 Holiday\r\n\ta\r\n\tb\r\n\tm\r\n\tn\r\n\tp\r\n\tq\r\n\tr\r\n\ts\r\n");
    EXPECT_EQ(disc.m_lstFiles.size(), count);
    EXPECT_EQ(disc.m_strSavedAt.view(), "December 07 2026");
    EXPECT_EQ(disc.m_strLocation.view(), "Anna");
    EXPECT_EQ(disc.m_lstCategories, std::vector<std::string>{"Photos"});
}

TEST(DiscRescanTest, AudioTitlesStayAndAnotherDiscIsNoticed) {
    CDiscWalk first("e:\\");
    first.WalkAudioTracks({1, 2, 3});
    Files old = first.TakeFiles();
    old[1]->m_strFileName = "02 Intro.cda";

    CDiscWalk again("e:\\");
    again.WalkAudioTracks({1, 2, 3});
    const RescanMerge same = MergeRescan(old, again.TakeFiles());
    EXPECT_TRUE(same.sameDisc);
    EXPECT_EQ(same.files[1]->m_strFileName.view(), "02 Intro.cda");
    EXPECT_EQ(same.files[2]->m_strFileName.view(), "Track03.cda");
    EXPECT_EQ(RescanSummaryLine("1", same.summary),
              "Rescan of disc 1: 0 files added, 0 removed, 0 changed, 0 moved; "
              "categories kept on 0 files.");

    CDiscWalk fewer("e:\\");
    fewer.WalkAudioTracks({1, 2});
    EXPECT_FALSE(MergeRescan(old, fewer.TakeFiles()).sameDisc);

    // A data disc that shares neither a folder nor a file with the recorded one.
    TempDir dir;
    PutFile(dir / "one" / "photos" / "a.jpg", 1);
    PutFile(dir / "two" / "music" / "b.mp3", 1);
    PutFile(dir / "two" / "a.jpg", 1);
    EXPECT_FALSE(MergeRescan(Walk(dir / "one", "e:\\"), Walk(dir / "two", "e:\\")).sameDisc);
    EXPECT_TRUE(MergeRescan(Walk(dir / "one", "e:\\"), Walk(dir / "one", "g:\\")).sameDisc);
}

TEST(DiscRescanTest, FilesInsideAnArchiveKeepTheirCategoriesAndMoveWithIt) {
    TempDir dir;
    PutFile(dir / "tree" / "summer" / "a.jpg", 3);
    PutFile(dir / "tree" / "b.jpg", 4);
    const fs::path root = dir / "stick";
    WriteArchive(root / "photos.zip", dir / "tree", "--format zip");
    Files old = Walk(root, "e:\\", nullptr, true);
    for (const auto& f : old) f->m_lstCategories = {"cat " + f->m_strFileName.str()};

    fs::create_directories(root / "backup");
    fs::rename(root / "photos.zip", root / "backup" / "photos.zip");
    const RescanMerge merge = MergeRescan(old, Walk(root, "e:\\", nullptr, true));
    EXPECT_EQ(Categories(merge.files),
              (std::map<std::string, std::vector<std::string>>{
                  {"e:\\backup\\photos.zip\\summer\\|a.jpg", {"cat a.jpg"}},
                  {"e:\\backup\\photos.zip\\|b.jpg", {"cat b.jpg"}},
                  {"e:\\backup\\|photos.zip", {"cat photos.zip"}}}));
    EXPECT_EQ(merge.summary.moved, 3);
}

}  // namespace
}  // namespace ov2::test

// The drive walk on trees made here: the order of records and outline lines, folders inside
// folders of the same name, empty and unreadable drives, full 64-bit sizes, the ".cda" mark,
// links and loops, and names that hold bytes Windows never allowed.
#include "scan/disc_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/ov_disc.h"
#include "platform/text.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;
using Record = std::pair<std::string, std::string>;  // folder, name

std::vector<Record> Records(const CDiscWalk& walk) {
    std::vector<Record> records;
    for (const auto& file : walk.Files())
        records.emplace_back(file->m_strFolder.str(), file->m_strFileName.str());
    return records;
}

std::vector<std::string> ListedFiles(const fs::path& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && !fs::is_directory(folder / name)) names.push_back(name);
    }
    closedir(dir);
    return names;
}

bool SortedNoCase(const std::vector<std::string>& names) {
    return std::is_sorted(
        names.begin(), names.end(),
        [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
}

TEST(DiscWalkTest, RecordsFollowTheFileSystemOrderWhileTheOutlineSortsWithoutRegardToCase) {
    TempDir dir;
    const fs::path root = dir / "disc";
    // Folders listed by the file system in an order that is not the alphabetical one.
    std::vector<std::string> names = {"Delta", "alpha", "Charlie", "bravo", "Echo"};
    for (const std::string& name : names) PutFile(root / name / (name + ".txt"), name.size());
    PutFile(root / "alpha" / "Zed" / "in-zed.dat", 3);
    PutFile(root / "alpha" / "yak" / "in-yak.dat", 4);
    PutFile(root / "alpha" / "late.txt", 2);  // listed among the sub-folders, yet recorded first
    PutFile(root / "Root.TXT", 7);
    for (int extra = 0; SortedNoCase(ListedFolders(root)) && extra < 20; ++extra) {
        names.push_back("extra" + std::to_string(extra));
        fs::create_directory(root / names.back());
    }
    const std::vector<std::string> listed = ListedFolders(root);
    ASSERT_FALSE(SortedNoCase(listed)) << "the file system lists these folders alphabetically";

    CDiscWalk walk("E:\\");
    ASSERT_TRUE(walk.WalkFolder(root.string()));

    // Each folder's own files, then its sub-folders, in the file system's order; the root's
    // files last.
    std::vector<Record> expected;
    for (const std::string& top : listed) {
        const std::string folder = "e:\\" + LowerText(top) + "\\";
        for (const std::string& file : ListedFiles(root / top)) expected.emplace_back(folder, file);
        for (const std::string& sub : ListedFolders(root / top))
            for (const std::string& file : ListedFiles(root / top / sub))
                expected.emplace_back(folder + LowerText(sub) + "\\", file);
    }
    expected.emplace_back("e:\\", "Root.TXT");
    EXPECT_EQ(Records(walk), expected);
    EXPECT_EQ(walk.Files().back()->m_strFolder, std::string_view("e:\\"));
    EXPECT_EQ(walk.Files().front()->m_strDrive, std::string_view("e:"));

    std::string outline =
        "7 Jazz\r\n\talpha\r\n\t\tyak\r\n\t\tZed\r\n\tbravo\r\n\tCharlie\r\n\tDelta\r\n\tEcho\r\n";
    for (std::size_t i = 5; i < names.size(); ++i) outline += "\t" + names[i] + "\r\n";
    EXPECT_EQ(walk.FolderOutline("7 Jazz"), outline);

    // The files of one folder share one folder text.
    const auto inAlpha = std::find_if(walk.Files().begin(), walk.Files().end(), [](const auto& f) {
        return f->m_strFileName == std::string_view("late.txt");
    });
    const auto alphaOwn = std::find_if(walk.Files().begin(), walk.Files().end(), [](const auto& f) {
        return f->m_strFileName == std::string_view("alpha.txt");
    });
    ASSERT_NE(inAlpha, walk.Files().end());
    ASSERT_NE(alphaOwn, walk.Files().end());
    EXPECT_TRUE((*inAlpha)->m_strFolder.SharesBlockWith((*alphaOwn)->m_strFolder));
}

TEST(DiscWalkTest, AFolderInsideAFolderOfTheSameNameIsWalkedOnceEach) {
    TempDir dir;
    PutFile(dir / "A" / "one.txt", 1);
    PutFile(dir / "A" / "A" / "two.txt", 2);
    CDiscWalk walk("f:\\");
    ASSERT_TRUE(walk.WalkFolder(dir.path().string()));
    EXPECT_EQ(Records(walk),
              (std::vector<Record>{{"f:\\a\\", "one.txt"}, {"f:\\a\\a\\", "two.txt"}}));
    EXPECT_EQ(walk.FolderOutline("3 X"), "3 X\r\n\tA\r\n\t\tA\r\n");

    // Deeper than the walk keeps folders open: the bottom is reached all the same.
    fs::path deep = dir / "A" / "A";
    std::string record = "f:\\a\\a\\";
    for (int level = 0; level < 80; ++level) deep /= "d", record += "d\\";
    PutFile(deep / "end.txt", 3);
    CDiscWalk deepWalk("f:\\");
    ASSERT_TRUE(deepWalk.WalkFolder(dir.path().string()));
    EXPECT_EQ(Records(deepWalk).at(2), (Record{record, "end.txt"}));
    EXPECT_EQ(deepWalk.TotalBytes(), 6);
}

TEST(DiscWalkTest, AnEmptyDriveRecordsNothingAndAnUnreadableOneSaysSo) {
    TempDir dir;
    CDiscWalk empty("E:\\");
    EXPECT_TRUE(empty.WalkFolder(dir.path().string()));
    EXPECT_EQ(empty.FileCount(), 0);
    EXPECT_EQ(empty.TotalBytes(), 0);
    EXPECT_FALSE(empty.IsAudioDisc());
    EXPECT_EQ(empty.FolderOutline("1 Untitled"), "1 Untitled\r\n");

    CDiscWalk missing("E:\\");
    EXPECT_FALSE(missing.WalkFolder((dir / "gone").string()));
    EXPECT_FALSE(missing.RootError().empty());
    EXPECT_EQ(missing.FileCount(), 0);

    // A file given as the root is no drive either.
    PutFile(dir / "plain.txt");
    CDiscWalk file("E:\\");
    EXPECT_FALSE(file.WalkFolder((dir / "plain.txt").string()));
    EXPECT_EQ(file.FileCount(), 0);
}

TEST(DiscWalkTest, SizesAreRecordedInFullAndTheTotalAddsThemInFull) {
    TempDir dir;
    const fs::path big = dir / "DVD" / "big.iso";
    fs::create_directories(big.parent_path());
    { std::ofstream{big}; }
    fs::resize_file(big, 3ull << 30);  // sparse: 3 GiB that take no space
    PutFile(dir / "small.txt", 5);
    CDiscWalk walk("E:\\");
    ASSERT_TRUE(walk.WalkFolder(dir.path().string()));
    ASSERT_EQ(walk.FileCount(), 2);
    EXPECT_EQ(walk.Files()[0]->m_strSize, std::string_view("3221225472"));
    EXPECT_EQ(walk.Files()[1]->m_strSize, std::string_view("5"));
    EXPECT_EQ(walk.TotalBytes(), 3221225477.0);

    COvDisc disc;
    disc.m_lstFiles = walk.TakeFiles();
    EXPECT_EQ(disc.GetFullSizeText(), "3072.000 MB");
}

TEST(DiscWalkTest, OnlyALowerCaseDotCdaMarksAnAudioDisc) {
    struct Case {
        const char* name;
        bool audio;
    };
    for (const Case& c :
         {Case{"Track01.CDA", false}, Case{"x.cdab", true}, Case{"Track01.cda", true},
          Case{"cda.txt", false}, Case{"notes.Cda", false}}) {
        TempDir dir;
        PutFile(dir / "sub" / c.name, 44);
        CDiscWalk walk("E:\\");
        ASSERT_TRUE(walk.WalkFolder(dir.path().string()));
        EXPECT_EQ(walk.IsAudioDisc(), c.audio) << c.name;
    }
}

TEST(DiscWalkTest, LinksToFoldersAreLeftAloneAndLinksToFilesCountWithTheirTargetsSize) {
    TempDir dir;
    const fs::path root = dir / "disc";
    PutFile(root / "real" / "file.bin", 10);
    fs::create_directory_symlink("..", root / "real" / "loop");  // back to the root
    fs::create_directory_symlink("real", root / "linkdir");
    fs::create_symlink("real/file.bin", root / "linkfile");
    fs::create_symlink("nowhere", root / "dangling");

    CDiscWalk walk("E:\\");
    ASSERT_TRUE(walk.WalkFolder(root.string()));
    std::vector<std::pair<std::string, std::string>> sizes;
    for (const auto& f : walk.Files())
        sizes.emplace_back(f->m_strFolder.str() + f->m_strFileName.str(), f->m_strSize.str());
    std::sort(sizes.begin() + 1, sizes.end());  // the root's own files, in any order
    EXPECT_EQ(sizes,
              (std::vector<std::pair<std::string, std::string>>{
                  {"e:\\real\\file.bin", "10"}, {"e:\\dangling", "0"}, {"e:\\linkfile", "10"}}));
    EXPECT_EQ(walk.FolderOutline("1 L"), "1 L\r\n\treal\r\n");
    EXPECT_EQ(walk.TotalBytes(), 20);
}

TEST(DiscWalkTest, BackslashesAndControlCharactersBecomeUnderscoresOtherBytesStay) {
    TempDir dir;
    const fs::path root = dir / "disc";
    PutFile(root / "a\\b" / "tab\there", 1);
    PutFile(root / "a\\b" / "new\nline", 1);
    PutFile(root / "\xC9t\xE9" / "caf\xE9.txt", 1);  // Windows-1252 bytes, not UTF-8
    PutFile(root / "\xC3\x89t\xC3\xA9" / "x", 1);    // UTF-8 "Été"

    CDiscWalk walk("E:\\");
    ASSERT_TRUE(walk.WalkFolder(root.string()));
    std::vector<Record> records = Records(walk);
    std::sort(records.begin(), records.end());
    EXPECT_EQ(records, (std::vector<Record>{{"e:\\a_b\\", "new_line"},
                                            {"e:\\a_b\\", "tab_here"},
                                            {"e:\\\xC3\xA9t\xC3\xA9\\", "x"},
                                            {"e:\\\xC9t\xE9\\", "caf\xE9.txt"}}));
    const std::string outline = walk.FolderOutline("1 N");
    EXPECT_NE(outline.find("\r\n\ta_b\r\n"), std::string::npos) << outline;
    EXPECT_NE(outline.find("\r\n\t\xC9t\xE9\r\n"), std::string::npos) << outline;
    EXPECT_NE(outline.find("\r\n\t\xC3\x89t\xC3\xA9\r\n"), std::string::npos) << outline;
    EXPECT_EQ(std::count(outline.begin(), outline.end(), '\n'), 4) << outline;
    EXPECT_EQ(CDiscWalk::SafeName(std::string("a\x7F\x01\\z", 5)), "a___z");
}

TEST(DiscWalkTest, AnAudioCdIsItsTrackFilesInTheRoot) {
    CDiscWalk walk("G:\\");
    walk.WalkAudioTracks({2, 3, 12});
    EXPECT_EQ(Records(walk),
              (std::vector<Record>{
                  {"g:\\", "Track02.cda"}, {"g:\\", "Track03.cda"}, {"g:\\", "Track12.cda"}}));
    for (const auto& f : walk.Files()) {
        EXPECT_EQ(f->m_strSize, std::string_view("44"));
        EXPECT_EQ(f->m_strDrive, std::string_view("g:"));
    }
    EXPECT_TRUE(walk.IsAudioDisc());
    EXPECT_EQ(walk.TotalBytes(), 132);
}

}  // namespace
}  // namespace ov2::test

// Archives on a disc, written here with bsdtar: their contents walked as folders named like them,
// the ones that cannot be listed counted by reason, and their files copied out into the cache.
#include "platform/archive_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "scan/disc_walk.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

// "folder|name|size" of every record, in the walk's order.
std::vector<std::string> Records(const CDiscWalk& walk) {
    std::vector<std::string> records;
    for (const auto& f : walk.Files())
        records.push_back(f->m_strFolder.str() + "|" + f->m_strFileName.str() + "|" +
                          f->m_strSize.str());
    return records;
}

bool Holds(const std::vector<std::string>& records, const std::string& record) {
    return std::find(records.begin(), records.end(), record) != records.end();
}

// A 7z archive whose header is encrypted with AES: no name in it can be read.
void PutEncryptedHeader7z(const fs::path& path) {
    const std::string hex =
        "377abcaf271c000455411080100000000000000018000000000000003e5dd00f0000000000000000"
        "000000000000000017060001091000070b0100012406f107010200000c100000";
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    WriteFileBytes(path, bytes);
}

TEST(ArchiveListingTest, ZipTarGzAnd7zAreWalkedAsFoldersWithTheirNestedFoldersAndSizes) {
    TempDir dir;
    const fs::path tree = dir / "tree";
    PutFile(tree / "Summer" / "deep" / "b.bin", 5000);
    PutFile(tree / "Summer" / "a.txt", 6);
    fs::create_directories(tree / "empty");
    PutFile(tree / "inner" / "x.txt", 1);
    WriteArchive(tree / "inner.zip", tree / "inner",
                 "--format zip");  // an archive inside the archives
    const fs::path disc = dir / "disc";
    WriteArchive(disc / "backup" / "photos-2003.zip", tree, "--format zip");
    WriteArchive(disc / "projects.tar.gz", tree, "-z");
    WriteArchive(disc / "mail.7z", tree, "--format 7zip");

    CDiscWalk walk("E:\\");
    walk.SetListArchives(true);
    ASSERT_TRUE(walk.WalkFolder(disc.string()));
    const std::vector<std::string> records = Records(walk);
    for (const std::string folder :
         {"e:\\backup\\photos-2003.zip\\", "e:\\projects.tar.gz\\", "e:\\mail.7z\\"}) {
        EXPECT_TRUE(Holds(records, folder + "summer\\deep\\|b.bin|5000")) << folder;
        EXPECT_TRUE(Holds(records, folder + "summer\\|a.txt|6")) << folder;
        EXPECT_TRUE(Holds(records, folder + "inner\\|x.txt|1")) << folder;
        EXPECT_TRUE(Holds(
            records, folder + "|inner.zip|" + std::to_string(fs::file_size(tree / "inner.zip"))))
            << folder;
    }
    EXPECT_TRUE(
        Holds(records, "e:\\backup\\|photos-2003.zip|" +
                           std::to_string(fs::file_size(disc / "backup" / "photos-2003.zip"))));
    EXPECT_EQ(records.size(), 3u + 3 * 4);
    // The archive's own folders, its explicit empty one too, under a folder named like it; the
    // archive inside is a file, never opened.
    EXPECT_EQ(walk.FolderOutline("1 Backup"),
              "1 "
              "Backup\r\n\tbackup\r\n\t\tphotos-2003."
              "zip\r\n\t\t\tempty\r\n\t\t\tinner\r\n\t\t\tSummer\r\n\t\t\t\tdeep\r\n"
              "\tmail.7z\r\n\t\tempty\r\n\t\tinner\r\n\t\tSummer\r\n\t\t\tdeep\r\n"
              "\tprojects.tar.gz\r\n\t\tempty\r\n\t\tinner\r\n\t\tSummer\r\n\t\t\tdeep\r\n");
    EXPECT_EQ(walk.Archives().Summary(), "3 archives listed.");

    // The same disc as an ISO image: the same records.
    CDiscWalk image("E:\\");
    image.SetListArchives(true);
    ASSERT_TRUE(image.WalkIsoImage(WriteIso(dir / "disc.iso", disc))) << image.RootError();
    std::vector<std::string> fromImage = Records(image), fromFolder = records;
    std::sort(fromImage.begin(), fromImage.end());
    std::sort(fromFolder.begin(), fromFolder.end());
    EXPECT_EQ(fromImage, fromFolder);

    // Without the option an archive is a file like any other.
    CDiscWalk plain("E:\\");
    ASSERT_TRUE(plain.WalkFolder(disc.string()));
    EXPECT_EQ(plain.FileCount(), 3);
    EXPECT_EQ(plain.FolderOutline("1"), "1\r\n\tbackup\r\n");
    EXPECT_TRUE(plain.Archives().Summary().empty());
}

TEST(ArchiveListingTest, EncryptedDamagedAndOversizedArchivesAreFilesOnlyAndTheScanGoesOn) {
    TempDir dir;
    const fs::path tree = dir / "tree";
    PutFile(tree / "a.txt", 3);
    for (int i = 0; i < 40; ++i) PutFile(tree / "many" / ("f" + std::to_string(i) + ".bin"), 20000);
    const fs::path disc = dir / "disc";
    const std::string zip = WriteArchive(disc / "good.zip", tree, "--format zip");
    const std::string tarGz = WriteArchive(dir / "big.tar.gz", tree, "-z");
    PutEncryptedHeader7z(disc / "mail.7z");
    // Cut inside its entries: what came before the cut is not listed either.
    fs::create_directories(disc / "old");
    ASSERT_EQ(::mkfifo((disc / "pipe.zip").c_str(), 0600),
              0);  // opening it to read would wait for ever
    WriteFileBytes(disc / "old" / "broken.zip",
                   ReadFileBytes(zip).substr(0, fs::file_size(zip) / 2));

    CDiscWalk walk("E:\\");
    walk.SetListArchives(true);
    ASSERT_TRUE(walk.WalkFolder(disc.string()));
    EXPECT_EQ(walk.Archives().Summary(),
              "1 archive listed.\n2 archives not listed: 1 encrypted, 1 damaged\n"
              "e:\\old\\broken.zip: damaged\ne:\\mail.7z: encrypted");
    EXPECT_EQ(walk.FolderOutline("1"), "1\r\n\tgood.zip\r\n\t\tmany\r\n\told\r\n");
    EXPECT_EQ(walk.FileCount(), 4 + 41);

    std::vector<ImageEntry> entries;
    std::string error;
    EXPECT_EQ(ListArchive(tarGz, entries, &error, {std::uint64_t{1} << 20, 30, 100}),
              ArchiveOutcome::Listed)
        << error;
    EXPECT_EQ(ListArchive(tarGz, entries, &error, {std::uint64_t{1} << 20, 30, 10}),
              ArchiveOutcome::TooLarge);
    EXPECT_EQ(error, "more than 10 entries");
    EXPECT_EQ(ListArchive(tarGz, entries, &error, {100000, 30, 100}), ArchiveOutcome::TooLarge);
    EXPECT_EQ(error, "more than 0 MiB to decompress");
    EXPECT_TRUE(entries.empty());
}

TEST(ArchiveListingTest, NamesThatClimbOutAreRecordedInsideAndNeverExtracted) {
    TempDir dir;
    PutFile(dir / "src" / "evil.txt", 4);
    PutFile(dir / "src" / "fine.txt", 5);
    const fs::path archive = dir / "disc" / "dots.zip";
    fs::create_directories(archive.parent_path());
    const std::string command = "cd '" + (dir / "src").string() + "' && bsdtar -cf '" +
                                archive.string() +
                                "' --format zip -P -s ',^evil,../../evil,' evil.txt fine.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);

    CDiscWalk walk("E:\\");
    walk.SetListArchives(true);
    ASSERT_TRUE(walk.WalkFolder((dir / "disc").string()));
    EXPECT_TRUE(Holds(Records(walk), "e:\\dots.zip\\|evil.txt|4"));
    EXPECT_TRUE(Holds(Records(walk), "e:\\dots.zip\\|fine.txt|5"));

    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    std::string error;
    EXPECT_FALSE(ExtractFromArchive(archive.string(), "evil.txt", &error));
    EXPECT_EQ(error, archive.string() +
                         ": refused to extract ../../evil.txt: its name leads outside " +
                         archive.string());
    EXPECT_FALSE(ExtractFromArchive(archive.string(), "..\\..\\evil.txt", &error));
    const std::optional<std::string> copy =
        ExtractFromArchive(archive.string(), "FINE.txt", &error);
    unsetenv("XDG_CACHE_HOME");
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(ReadFileBytes(*copy), "xxxxx");
    struct stat st {};
    ASSERT_EQ(::stat(copy->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(fs::exists(dir / "evil.txt") || fs::exists(dir / "cache" / "evil.txt"));
}

}  // namespace
}  // namespace ov2::test

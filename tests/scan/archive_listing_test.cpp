// Archives on a disc, written here with bsdtar: their contents walked as folders named like them,
// the ones that cannot be listed counted by reason, and their files copied out into the cache.
#include "platform/archive_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "scan/disc_walk.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

// "folder|name|size" of every record, sorted.
std::vector<std::string> Records(const CDiscWalk& walk) {
    std::vector<std::string> records;
    for (const auto& f : walk.Files())
        records.push_back(f->m_strFolder.str() + "|" + f->m_strFileName.str() + "|" +
                          f->m_strSize.str());
    std::sort(records.begin(), records.end());
    return records;
}

TEST(ArchiveListingTest, ZipTarGzAnd7zAreWalkedAsFoldersWithTheirNestedFoldersAndSizes) {
    TempDir dir;
    const fs::path tree = dir / "tree", disc = dir / "disc";
    PutFile(tree / "Summer" / "deep" / "b.bin", 5000);
    fs::create_directories(tree / "empty");
    WriteArchive(dir / "inner.zip", tree / "Summer", "--format zip");
    fs::rename(dir / "inner.zip", tree / "inner.zip");  // an archive inside the archives: a file
    const std::string inner = std::to_string(fs::file_size(tree / "inner.zip"));
    WriteArchive(disc / "backup" / "photos-2003.zip", tree, "--format zip");
    WriteArchive(disc / "projects.tar.gz", tree, "-z");
    WriteArchive(disc / "mail.7z", tree, "--format 7zip");

    CDiscWalk walk("E:\\");
    walk.SetListArchives(true);
    ASSERT_TRUE(walk.WalkFolder(disc.string()));
    const std::vector<std::string> records = Records(walk);
    EXPECT_EQ(records.size(), 9u);
    for (const std::string folder :
         {"e:\\backup\\photos-2003.zip\\", "e:\\projects.tar.gz\\", "e:\\mail.7z\\"}) {
        EXPECT_EQ(std::count(records.begin(), records.end(), folder + "summer\\deep\\|b.bin|5000"),
                  1);
        EXPECT_EQ(std::count(records.begin(), records.end(), folder + "|inner.zip|" + inner), 1);
    }
    // The explicit empty folder stands in the outline too.
    EXPECT_EQ(
        walk.FolderOutline("1"),
        "1\r\n\tbackup\r\n\t\tphotos-2003.zip\r\n\t\t\tempty\r\n\t\t\tSummer\r\n\t\t\t\tdeep\r\n"
        "\tmail.7z\r\n\t\tempty\r\n\t\tSummer\r\n\t\t\tdeep\r\n"
        "\tprojects.tar.gz\r\n\t\tempty\r\n\t\tSummer\r\n\t\t\tdeep\r\n");
    EXPECT_EQ(walk.Archives().Summary(), "3 archives listed.");

    CDiscWalk image("E:\\");  // archives on an ISO image: the same records
    image.SetListArchives(true);
    ASSERT_TRUE(image.WalkIsoImage(WriteIso(dir / "disc.iso", disc))) << image.RootError();
    EXPECT_EQ(Records(image), records);
}

TEST(ArchiveListingTest, EncryptedDamagedAndOversizedArchivesAreFilesOnlyAndTheScanGoesOn) {
    TempDir dir;
    const fs::path tree = dir / "tree", disc = dir / "disc";
    for (int i = 0; i < 40; ++i) PutFile(tree / "many" / ("f" + std::to_string(i)), 20000);
    const std::string zip = WriteArchive(disc / "good.zip", tree, "--format zip");
    const std::string tarGz = WriteArchive(dir / "big.tar.gz", tree, "-z");
    const std::string hex =
        "377abcaf271c000455411080100000000000000018000000000000003e5dd00f"
        "0000000000000000000000000000000017060001091000070b0100012406f107010200000c100000";
    std::string encrypted;  // a 7z whose header is AES-encrypted: no name in it can be read
    for (std::size_t i = 0; i < hex.size(); i += 2)
        encrypted += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    WriteFileBytes(disc / "mail.7z", encrypted);
    fs::create_directories(disc / "old");  // cut inside its entries: none of them is listed
    WriteFileBytes(disc / "old" / "broken.zip",
                   ReadFileBytes(zip).substr(0, fs::file_size(zip) / 2));
    ASSERT_EQ(::mkfifo((disc / "pipe.zip").c_str(), 0600), 0);  // reading it would wait for ever

    CDiscWalk walk("E:\\");
    walk.SetListArchives(true);
    ASSERT_TRUE(walk.WalkFolder(disc.string()));
    EXPECT_EQ(walk.Archives().Summary(),
              "1 archive listed.\n2 archives not listed: 1 encrypted, 1 damaged\n"
              "e:\\old\\broken.zip: damaged\ne:\\mail.7z: encrypted");
    EXPECT_EQ(walk.FolderOutline("1"), "1\r\n\tgood.zip\r\n\t\tmany\r\n\told\r\n");
    EXPECT_EQ(walk.FileCount(), 4 + 40);

    std::vector<ImageEntry> entries;
    std::string error;
    EXPECT_EQ(ListArchive(tarGz, entries, &error, {1 << 20, 30, 41}), ArchiveOutcome::Listed)
        << error;
    EXPECT_EQ(ListArchive(tarGz, entries, &error, {1 << 20, 30, 40}), ArchiveOutcome::TooLarge);
    EXPECT_EQ(error, "more than 40 entries");
    EXPECT_EQ(ListArchive(tarGz, entries, &error, {100000, 30, 100}), ArchiveOutcome::TooLarge);
    EXPECT_TRUE(entries.empty());
}

TEST(ArchiveListingTest, NamesThatClimbOutAreRecordedInsideAndNeverExtracted) {
    TempDir dir;
    PutFile(dir / "src" / "evil.txt", 4);
    PutFile(dir / "src" / "fine.txt", 5);
    const fs::path archive = dir / "disc" / "dots.zip";
    fs::create_directories(archive.parent_path());
    ASSERT_EQ(
        std::system(("cd '" + (dir / "src").string() + "' && bsdtar -cf '" + archive.string() +
                     "' --format zip -P -s ',^evil,../../evil,' evil.txt fine.txt")
                        .c_str()),
        0);
    CDiscWalk walk("E:\\");
    walk.SetListArchives(true);
    ASSERT_TRUE(walk.WalkFolder((dir / "disc").string()));
    EXPECT_EQ(Records(walk)[0], "e:\\dots.zip\\|evil.txt|4");

    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    std::string error;
    EXPECT_FALSE(ExtractFromArchive(archive.string(), "evil.txt", &error));
    EXPECT_EQ(error, archive.string() +
                         ": refused to extract ../../evil.txt: its name leads outside " +
                         archive.string());
    const std::optional<std::string> copy =
        ExtractFromArchive(archive.string(), "FINE.txt", &error);
    unsetenv("XDG_CACHE_HOME");
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(ReadFileBytes(*copy), "xxxxx");
    struct stat st {};
    EXPECT_TRUE(::stat(copy->c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
    EXPECT_FALSE(fs::exists(dir / "evil.txt") || fs::exists(dir / "cache" / "evil.txt"));
}

}  // namespace
}  // namespace ov2::test

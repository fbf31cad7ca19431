// ISO 9660 images written here with bsdtar (libarchive's writer): walked as their tree is walked
// on disk, their files found again and copied out into the cache, and broken images refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "platform/iso_image.h"
#include "scan/disc_walk.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;
using Record = std::tuple<std::string, std::string, std::string>;  // folder, name, size

std::vector<Record> Records(const CDiscWalk& walk) {
    std::vector<Record> records;
    for (const auto& f : walk.Files()) records.emplace_back(f->m_strFolder.str(), f->m_strFileName.str(), f->m_strSize.str());
    return records;
}

// A disc with nested folders, names Windows never allowed, folders of every letter case, links.
fs::path PutDisc(const TempDir& dir) {
    const fs::path root = dir / "disc";
    PutFile(root / "Photos" / "Summer Holiday 2003.jpeg", 3000);
    for (const char* name : {"c.txt", "back\\slash.txt", "A.txt", "b.txt"}) PutFile(root / "Photos" / name, 2);
    fs::create_directories(root / "Photos" / "Deep" / "er");
    WriteFileBytes(root / "Photos" / "Deep" / "er" / "most.txt", "the content");
    PutFile(root / "music" / "Rock" / "tab\there.mp3", 5);
    PutFile(root / "\xC3\x89t\xC3\xA9" / "caf\xC3\xA9.txt", 6);  // UTF-8 "Été/café.txt"
    fs::create_directories(root / "Empty");
    PutFile(root / "Root.TXT", 7);
    fs::create_directory_symlink("Photos", root / "toPhotos");  // left out, as on disk
    fs::create_symlink("Photos/Deep/er/most.txt", root / "toMost");
    fs::create_symlink("toMost", root / "chain");
    fs::create_symlink("nowhere", root / "dangling");
    return root;
}

TEST(IsoImageTest, AnImageIsWalkedAsItsTreeIsOnDiskWithTheNamesItStores) {
    TempDir dir;
    const fs::path root = PutDisc(dir);
    CDiscWalk folder("E:\\"), image("E:\\");
    ASSERT_TRUE(folder.WalkFolder(root.string()));
    ASSERT_TRUE(image.WalkIsoImage(WriteIso(dir / "rr.iso", root))) << image.RootError();

    std::vector<Record> fromImage = Records(image), fromFolder = Records(folder);
    const auto filesIn = [&](const std::string& folder) {  // in the order of the image's directory
        std::string names;
        for (const Record& r : fromImage) names += std::get<0>(r) == folder ? std::get<1>(r) + "|" : "";
        return names;
    };
    EXPECT_EQ(filesIn("e:\\photos\\"), "A.txt|b.txt|back_slash.txt|c.txt|Summer Holiday 2003.jpeg|");
    EXPECT_EQ(filesIn("e:\\"), "chain|dangling|Root.TXT|toMost|");
    EXPECT_TRUE(std::is_partitioned(fromImage.begin(), fromImage.end(),
                                    [](const Record& r) { return std::get<0>(r) != "e:\\"; }));  // the root's files last
    // Otherwise as on disk, whose order within a folder is the file system's own.
    std::sort(fromFolder.begin(), fromFolder.end());
    std::sort(fromImage.begin(), fromImage.end());
    EXPECT_EQ(fromImage, fromFolder);
    EXPECT_EQ(image.FolderOutline("4 Disc"), folder.FolderOutline("4 Disc"));
    EXPECT_EQ(image.TotalBytes(), folder.TotalBytes());

    // Joliet alone keeps long names and letter case, as UTF-8 even in a session without a UTF-8
    // locale; plain ISO 9660 names are short and upper case.
    CDiscWalk joliet("F:\\"), plain("G:\\");
    const std::string locale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    EXPECT_TRUE(joliet.WalkIsoImage(WriteIso(dir / "joliet.iso", root, "iso9660:!rockridge"))) << joliet.RootError();
    std::setlocale(LC_CTYPE, locale.c_str());
    ASSERT_TRUE(plain.WalkIsoImage(WriteIso(dir / "plain.iso", root, "iso9660:!rockridge,iso9660:!joliet")));
    const std::vector<Record> jolietRecords = Records(joliet), plainRecords = Records(plain);
    for (const Record& r : {Record("f:\\photos\\", "Summer Holiday 2003.jpeg", "3000"),
                            Record("f:\\\xC3\xA9t\xC3\xA9\\", "caf\xC3\xA9.txt", "6"),
                            Record("g:\\photos\\", "SUMMER_H.JPE", "3000")}) {
        const std::vector<Record>& records = std::get<0>(r)[0] == 'f' ? jolietRecords : plainRecords;
        EXPECT_EQ(std::count(records.begin(), records.end(), r), 1) << std::get<1>(r);
    }
}

TEST(IsoImageTest, AFileIsFoundWithoutRegardToCaseAndCopiedPrivatelyIntoTheCache) {
    TempDir dir;
    const std::string iso = WriteIso(dir / "rr.iso", PutDisc(dir));
    std::vector<ImageEntry> entries;
    std::string error;
    ASSERT_TRUE(ListIsoImage(iso, entries, &error)) << error;
    EXPECT_EQ(ResolveInImage(entries, "photos\\SUMMER holiday 2003.jpeg"), "Photos/Summer Holiday 2003.jpeg");
    EXPECT_EQ(ResolveInImage(entries, "photos\\back_slash.txt"), "Photos/back\\slash.txt");  // record form
    EXPECT_EQ(ResolveInImage(entries, "photos\\deep\\"), "Photos/Deep");
    EXPECT_EQ(ResolveInImage(entries, ""), "");
    for (const char* absent : {"photos\\a.txt\\", "photos\\..\\Root.TXT", "photos\\gone.txt"})
        EXPECT_EQ(ResolveInImage(entries, absent), std::nullopt) << absent;

    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    const std::optional<std::string> copy = ExtractFromIsoImage(iso, "PHOTOS\\deep\\ER\\Most.txt", &error);
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(ReadFileBytes(*copy), "the content");
    for (fs::path p = *copy; p != dir / "cache"; p = p.parent_path()) {
        struct stat st {};
        ASSERT_EQ(lstat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 077, 0u) << p << " is open to others";
    }
    // A link planted where the copy goes is replaced, not written through.
    WriteFileBytes(dir / "victim", "untouched");
    fs::remove(*copy);
    fs::create_symlink(dir / "victim", *copy);
    EXPECT_EQ(ExtractFromIsoImage(iso, "photos\\deep\\er\\most.txt", &error), copy) << error;
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "untouched");
    EXPECT_EQ(ReadFileBytes(*copy), "the content");
    EXPECT_EQ(ReadFileBytes(ExtractFromIsoImage(iso, "chain", &error).value_or("")), "the content") << error;
    EXPECT_FALSE(ExtractFromIsoImage(iso, "photos\\deep", &error));  // a folder
    EXPECT_FALSE(ExtractFromIsoImage(iso, "photos\\gone.txt", &error) || error.find("gone.txt") == std::string::npos);
    unsetenv("XDG_CACHE_HOME");
}

TEST(IsoImageTest, TruncatedForeignLoopingAndEscapingImagesAreRefusedWithAReasonAndRecordNothing) {
    TempDir dir;
    const fs::path root = PutDisc(dir);
    PutFile(root / "AAAAAAevil.txt", 4);
    const std::string good = WriteIso(dir / "rr.iso", root);
    // Both byte orders, as the image stores a number.
    const auto put32 = [](std::string& image, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) image[at + i] = image[at + 7 - i] = static_cast<char>(value >> (8 * i));
    };

    std::string bytes = ReadFileBytes(good);  // a Rock Ridge name that climbs out: "../../evil.txt"
    ASSERT_NE(bytes.find("AAAAAAevil"), std::string::npos);
    WriteFileBytes(dir / "escape.iso", bytes.replace(bytes.find("AAAAAAevil"), 6, "../../"));
    bytes = ReadFileBytes(good);  // cut short after its folders: libarchive alone would not notice
    WriteFileBytes(dir / "short.iso", bytes.substr(0, bytes.size() - 3 * 2048));
    put32(bytes, 32768 + 156 + 10, 0xFFFFFFFF);  // a root folder of 4 GiB, which libarchive allocates
    WriteFileBytes(dir / "huge.iso", bytes);
    bytes = ReadFileBytes(WriteIso(dir / "plain.iso", root, "iso9660:!rockridge,iso9660:!joliet"));
    const std::size_t photos = bytes.find("\x06PHOTOS");  // a folder whose extent is the root's
    ASSERT_NE(photos, std::string::npos);
    const auto root16 = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[32768 + 158 + i])); };
    put32(bytes, photos - 32 + 2, root16(0) | root16(1) << 8);
    WriteFileBytes(dir / "loop.iso", bytes);

    for (const char* name : {"escape.iso", "short.iso", "huge.iso", "loop.iso", "disc/Root.TXT", "disc", "gone.iso"}) {
        std::vector<ImageEntry> entries{ImageEntry{"left over", 1, false}};
        std::string error;
        EXPECT_FALSE(ListIsoImage((dir / name).string(), entries, &error)) << name;
        EXPECT_TRUE(entries.empty() && !error.empty()) << name;
        CDiscWalk walk("E:\\");
        EXPECT_FALSE(walk.WalkIsoImage((dir / name).string())) << name;
        EXPECT_TRUE(walk.FileCount() == 0 && walk.Root().children.empty() && !walk.RootError().empty()) << name;
    }
    std::string error;
    setenv("XDG_CACHE_HOME", (dir / "deep" / "cache").c_str(), 1);
    for (const char* relative : {"..\\..\\evil.txt", "Root.TXT"})
        EXPECT_FALSE(ExtractFromIsoImage((dir / "escape.iso").string(), relative, &error)) << relative;
    unsetenv("XDG_CACHE_HOME");
    EXPECT_NE(error.find("../../evil.txt"), std::string::npos) << error;
    for (const auto& item : fs::recursive_directory_iterator(dir.path()))
        EXPECT_NE(item.path().filename(), "evil.txt") << item.path();
}

}  // namespace
}  // namespace ov2::test

// ISO 9660 images written here with libarchive: walked as their tree is walked on disk, their
// files found again and copied out into the cache, and broken images refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/iso_image.h"
#include "scan/disc_walk.h"
#include "tests/scan/iso_test_image.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;
using Record = std::tuple<std::string, std::string, std::string>;  // folder, name, size

std::vector<Record> Records(const CDiscWalk& walk) {
    std::vector<Record> records;
    for (const auto& file : walk.Files())
        records.emplace_back(file->m_strFolder.str(), file->m_strFileName.str(), file->m_strSize.str());
    return records;
}

// The extraction cache under a folder of the test's own.
class CacheHome {
public:
    explicit CacheHome(const fs::path& path) {
        if (const char* old = std::getenv("XDG_CACHE_HOME")) m_previous = old;
        setenv("XDG_CACHE_HOME", path.c_str(), 1);
    }
    ~CacheHome() {
        if (m_previous)
            setenv("XDG_CACHE_HOME", m_previous->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }

private:
    std::optional<std::string> m_previous;
};

// A disc with nested folders, names Windows never allowed and folders of every letter case.
void PutDisc(const fs::path& root) {
    PutFile(root / "Photos" / "Summer Holiday 2003.jpeg", 3000);
    PutFile(root / "Photos" / "back\\slash.txt", 2);
    for (const char* name : {"c.txt", "A.txt", "b.txt"}) PutFile(root / "Photos" / name, 1);
    PutFile(root / "Photos" / "Deep" / "er" / "most.txt", 4);
    PutFile(root / "music" / "Rock" / "tab\there.mp3", 5);
    PutFile(root / "\xC3\x89t\xC3\xA9" / "caf\xC3\xA9.txt", 6);  // UTF-8 "Été/café.txt"
    fs::create_directories(root / "Empty");
    PutFile(root / "Root.TXT", 7);
}

TEST(IsoImageTest, AnImageIsWalkedAsItsTreeIsOnDiskWithTheNamesItStores) {
    TempDir dir;
    PutDisc(dir / "disc");
    WriteIsoImage(dir / "rr.iso", dir / "disc");

    CDiscWalk folder("E:\\");
    ASSERT_TRUE(folder.WalkFolder((dir / "disc").string()));
    CDiscWalk image("E:\\");
    ASSERT_TRUE(image.WalkIsoImage((dir / "rr.iso").string())) << image.RootError();

    // The same records (a folder's order on disk is the file system's own) and the same outline.
    std::vector<Record> fromFolder = Records(folder);
    std::vector<Record> fromImage = Records(image);
    EXPECT_EQ(fromImage.back(), Record("e:\\", "Root.TXT", "7"));  // the root's files last
    std::vector<Record> photos;
    std::copy_if(fromImage.begin(), fromImage.end(), std::back_inserter(photos),
                 [](const Record& r) { return std::get<0>(r) == "e:\\photos\\"; });
    std::vector<std::string> photoNames;
    for (const Record& r : photos) photoNames.push_back(std::get<1>(r));
    EXPECT_EQ(photoNames, (std::vector<std::string>{"A.txt", "b.txt", "back_slash.txt", "c.txt",
                                                    "Summer Holiday 2003.jpeg"}));
    std::sort(fromFolder.begin(), fromFolder.end());
    std::sort(fromImage.begin(), fromImage.end());
    EXPECT_EQ(fromImage, fromFolder);
    EXPECT_EQ(image.FolderOutline("4 Disc"), folder.FolderOutline("4 Disc"));
    EXPECT_EQ(image.TotalBytes(), folder.TotalBytes());
    EXPECT_NE(image.FolderOutline("4 Disc").find("\r\n\t\t\ter\r\n"), std::string::npos);

    // Joliet alone keeps long names and letter case (and has no "\"); plain ISO 9660 names
    // are short and upper case.
    WriteIsoImage(dir / "joliet.iso", dir / "disc", IsoName{false, true});
    WriteIsoImage(dir / "plain.iso", dir / "disc", IsoName{false, false});
    CDiscWalk joliet("F:\\"), plain("G:\\");
    // Joliet's UTF-16 names reach the records as UTF-8 even in a session without a UTF-8 locale.
    const std::string locale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    const bool jolietWalked = joliet.WalkIsoImage((dir / "joliet.iso").string());
    std::setlocale(LC_CTYPE, locale.c_str());
    ASSERT_TRUE(jolietWalked) << joliet.RootError();
    ASSERT_TRUE(plain.WalkIsoImage((dir / "plain.iso").string())) << plain.RootError();
    const std::vector<Record> jolietRecords = Records(joliet);
    for (const Record& expected : {Record("f:\\photos\\", "Summer Holiday 2003.jpeg", "3000"),
                                   Record("f:\\\xC3\xA9t\xC3\xA9\\", "caf\xC3\xA9.txt", "6")})
        EXPECT_NE(std::find(jolietRecords.begin(), jolietRecords.end(), expected), jolietRecords.end())
            << std::get<1>(expected);
    const std::vector<Record> plainRecords = Records(plain);
    EXPECT_NE(std::find(plainRecords.begin(), plainRecords.end(), Record("g:\\photos\\", "SUMMER_H.JPE", "3000")),
              plainRecords.end());
}

TEST(IsoImageTest, AFileIsFoundWithoutRegardToCaseAndCopiedPrivatelyIntoTheCache) {
    TempDir dir;
    PutDisc(dir / "disc");
    WriteFileBytes(dir / "disc" / "Photos" / "Deep" / "er" / "most.txt", "the content");
    WriteIsoImage(dir / "rr.iso", dir / "disc");
    const std::string iso = (dir / "rr.iso").string();
    std::vector<ImageEntry> entries;
    std::string error;
    ASSERT_TRUE(ListIsoImage(iso, entries, &error)) << error;

    EXPECT_EQ(ResolveInImage(entries, "photos\\SUMMER holiday 2003.jpeg"), "Photos/Summer Holiday 2003.jpeg");
    EXPECT_EQ(ResolveInImage(entries, "photos\\back_slash.txt"), "Photos/back\\slash.txt");  // record form
    EXPECT_EQ(ResolveInImage(entries, "photos\\deep\\"), "Photos/Deep");
    EXPECT_EQ(ResolveInImage(entries, ""), "");
    EXPECT_EQ(ResolveInImage(entries, "photos\\a.txt\\"), std::nullopt);  // a file is no folder
    EXPECT_EQ(ResolveInImage(entries, "photos\\..\\Root.TXT"), std::nullopt);
    EXPECT_EQ(ResolveInImage(entries, "photos\\gone.txt"), std::nullopt);

    const CacheHome cache(dir / "cache");
    const std::optional<std::string> copy = ExtractFromIsoImage(iso, "PHOTOS\\deep\\ER\\Most.txt", &error);
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(ReadFileBytes(*copy), "the content");
    EXPECT_EQ(fs::path(*copy).lexically_relative(dir / "cache").begin()->string(), "ov2");
    for (fs::path p = *copy; p != dir / "cache"; p = p.parent_path()) {
        struct stat st {};
        ASSERT_EQ(lstat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 077, 0u) << p << " is readable by others";
    }

    // A link planted where the copy goes is replaced, not written through.
    WriteFileBytes(dir / "victim", "untouched");
    fs::remove(*copy);
    fs::create_symlink(dir / "victim", *copy);
    ASSERT_EQ(ExtractFromIsoImage(iso, "photos\\deep\\er\\most.txt", &error), copy) << error;
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "untouched");
    EXPECT_FALSE(fs::is_symlink(*copy));
    EXPECT_EQ(ReadFileBytes(*copy), "the content");

    EXPECT_FALSE(ExtractFromIsoImage(iso, "photos\\deep", &error));  // a folder
    EXPECT_FALSE(ExtractFromIsoImage(iso, "photos\\gone.txt", &error));
    EXPECT_NE(error.find("gone.txt"), std::string::npos) << error;
}

TEST(IsoImageTest, TruncatedForeignAndEscapingImagesAreRefusedWithAReasonAndRecordNothing) {
    TempDir dir;
    PutDisc(dir / "disc");
    PutFile(dir / "disc" / "AAAAAAevil.txt", 4);
    WriteIsoImage(dir / "rr.iso", dir / "disc");
    const CacheHome cache(dir / "deep" / "cache");

    // A Rock Ridge name that climbs out of the image: "../../evil.txt".
    std::string bytes = ReadFileBytes(dir / "rr.iso");
    const std::size_t at = bytes.find("AAAAAAevil");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 6, "../../");
    WriteFileBytes(dir / "escape.iso", bytes);

    // Cut short after its directories: the listing alone would not notice.
    fs::copy_file(dir / "rr.iso", dir / "short.iso");
    fs::resize_file(dir / "short.iso", fs::file_size(dir / "rr.iso") - 3 * 2048);

    for (const char* name : {"escape.iso", "short.iso", "disc/Root.TXT", "disc", "missing.iso"}) {
        SCOPED_TRACE(name);
        std::vector<ImageEntry> entries{ImageEntry{"left over", 1, false}};
        std::string error;
        EXPECT_FALSE(ListIsoImage((dir / name).string(), entries, &error));
        EXPECT_TRUE(entries.empty());
        EXPECT_FALSE(error.empty());
        CDiscWalk walk("E:\\");
        EXPECT_FALSE(walk.WalkIsoImage((dir / name).string()));
        EXPECT_EQ(walk.FileCount(), 0);
        EXPECT_TRUE(walk.Root().children.empty());
        EXPECT_FALSE(walk.RootError().empty());
    }
    std::string error;
    std::vector<ImageEntry> entries;
    ListIsoImage((dir / "escape.iso").string(), entries, &error);
    EXPECT_NE(error.find("../../evil.txt"), std::string::npos) << error;
    ListIsoImage((dir / "short.iso").string(), entries, &error);
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;

    for (const char* relative : {"..\\..\\evil.txt", "Root.TXT"})
        EXPECT_FALSE(ExtractFromIsoImage((dir / "escape.iso").string(), relative, &error)) << relative;
    for (const auto& item : fs::recursive_directory_iterator(dir.path()))
        EXPECT_NE(item.path().filename(), "evil.txt") << item.path();
}

}  // namespace
}  // namespace ov2::test

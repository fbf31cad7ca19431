// What a scan records beyond names and sizes, on real files: times from folders, images and
// archives, encrypted archive entries, fingerprints, and what a rescan keeps of them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "core/ov_file_data.h"
#include "platform/file_fingerprint.h"
#include "scan/disc_rescan.h"
#include "scan/disc_walk.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

void SetTime(const fs::path& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

const COvFileData* Find(const CDiscWalk& walk, std::string_view folder, std::string_view name) {
    for (const auto& file : walk.Files())
        if (file->m_strFolder.view() == folder && file->m_strFileName.view() == name) return file.get();
    ADD_FAILURE() << folder << name << " not recorded";
    return nullptr;
}

TEST(RecordedFactsTest, ImagesAndArchivesGiveTheirEntriesTimesAndEncryptedEntriesAreMarked) {
    TempDir dir;
    PutFile(dir / "tree" / "docs" / "a.txt", 5);
    SetTime(dir / "tree" / "docs" / "a.txt", 1234567890);
    const std::string image = WriteIso(dir / "disc.iso", dir / "tree");
    WriteArchive(dir / "disc" / "t.tar", dir / "tree", "--format ustar");

    CDiscWalk walk("E:\\");
    walk.SetFingerprints(true);
    ASSERT_TRUE(walk.WalkIsoImage(image));
    const COvFileData* inImage = Find(walk, "e:\\docs\\", "a.txt");
    ASSERT_TRUE(inImage);
    EXPECT_EQ(inImage->m_facts.modified, 1234567890);
    EXPECT_FALSE(inImage->m_facts.HasFingerprint());  // the image is not read through for it

    const int sevenZip = std::system("command -v 7z >/dev/null");
    if (sevenZip == 0) {
        const std::string command = "cd '" + (dir / "tree" / "docs").string() + "' && 7z a -tzip -psecret '" +
                                    (dir / "disc" / "locked.zip").string() + "' a.txt >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    CDiscWalk archives("E:\\");
    archives.SetListArchives(true);
    ASSERT_TRUE(archives.WalkFolder((dir / "disc").string()));
    const COvFileData* inTar = Find(archives, "e:\\t.tar\\docs\\", "a.txt");
    ASSERT_TRUE(inTar);
    EXPECT_EQ(inTar->m_facts.modified, 1234567890);
    EXPECT_FALSE(inTar->m_facts.encrypted);
    if (sevenZip != 0) GTEST_SKIP() << "7z (p7zip-full) is not installed: no encrypted zip";
    const COvFileData* locked = Find(archives, "e:\\locked.zip\\", "a.txt");
    ASSERT_TRUE(locked);
    EXPECT_TRUE(locked->m_facts.encrypted);
    EXPECT_EQ(locked->m_strSize.view(), "5");
}

// The fingerprint reads the first and last 64 KiB: a change between them goes unseen.
TEST(RecordedFactsTest, FingerprintsFindCopiesAndSeeChangesInTheHeadAndTailOnly) {
    TempDir dir;
    std::string bytes(300 * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
    WriteFileBytes(dir / "a.bin", bytes);
    WriteFileBytes(dir / "copy with another name.bin", bytes);
    const std::uint64_t original = FileFingerprint((dir / "a.bin").string());
    EXPECT_NE(original, 0u);
    EXPECT_EQ(FileFingerprint((dir / "copy with another name.bin").string()), original);

    const auto changedAt = [&](std::size_t at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 1);
        WriteFileBytes(dir / "changed.bin", changed);
        return FileFingerprint((dir / "changed.bin").string());
    };
    EXPECT_NE(changedAt(10), original);
    EXPECT_NE(changedAt(bytes.size() - 10), original);
    EXPECT_EQ(changedAt(bytes.size() / 2), original);
    // A file of up to 128 KiB is read whole; one byte more is another file.
    WriteFileBytes(dir / "small.bin", bytes.substr(0, 100 * 1024));
    const std::uint64_t small = FileFingerprint((dir / "small.bin").string());
    WriteFileBytes(dir / "small.bin", bytes.substr(0, 50 * 1024) + "x" + bytes.substr(50 * 1024 + 1, 50 * 1024 - 1));
    EXPECT_NE(FileFingerprint((dir / "small.bin").string()), small);
    EXPECT_NE(FileFingerprint((dir / "small.bin").string()), FileFingerprint((dir / "a.bin").string()));
    EXPECT_EQ(FileFingerprint((dir / "missing.bin").string()), 0u);
}

TEST(RecordedFactsTest, RescanKeepsFingerprintsOfUnchangedFilesAndCountsChangedTimes) {
    TempDir dir;
    const fs::path root = dir / "stick";
    PutFile(root / "same.bin", 1000);
    PutFile(root / "touched.bin", 1000);
    PutFile(root / "untimed.bin", 1000);
    for (const char* name : {"same.bin", "touched.bin", "untimed.bin"}) SetTime(root / name, 1600000000);
    CDiscWalk first("E:\\");
    first.SetFingerprints(true);
    ASSERT_TRUE(first.WalkFolder(root.string()));
    std::vector<std::shared_ptr<COvFileData>> old = first.TakeFiles();
    for (const auto& file : old) ASSERT_TRUE(file->m_facts.HasFingerprint());
    const auto oldOf = [&](std::string_view name) {
        for (const auto& file : old)
            if (file->m_strFileName.view() == name) return file;
        return std::shared_ptr<COvFileData>();
    };
    oldOf("untimed.bin")->m_facts.modified = FileFacts::kNoTime;  // from an older catalogue

    // Other bytes under the same size and time: a kept fingerprint shows the file was not read.
    WriteFileBytes(root / "same.bin", std::string(1000, 'y'));
    SetTime(root / "same.bin", 1600000000);
    ASSERT_NE(FileFingerprint((root / "same.bin").string()), oldOf("same.bin")->m_facts.fingerprint);
    SetTime(root / "touched.bin", 1700000000);
    SetTime(root / "untimed.bin", 1700000000);
    CDiscWalk again("E:\\");
    again.SetFingerprints(true, KnownFingerprints(old));
    ASSERT_TRUE(again.WalkFolder(root.string()));
    EXPECT_EQ(again.FingerprintsKept(), 1);
    EXPECT_EQ(again.FingerprintsRead(), 2);
    const RescanMerge merge = MergeRescan(old, again.TakeFiles());
    EXPECT_EQ(merge.summary.changed, 1);  // touched.bin; untimed.bin had no time to compare
    for (const auto& file : merge.files) {
        const std::uint64_t before = oldOf(file->m_strFileName.view())->m_facts.fingerprint;
        EXPECT_EQ(file->m_facts.fingerprint, before) << file->m_strFileName.view();  // same bytes
        EXPECT_EQ(file->m_facts.modified, file->m_strFileName.view() == "same.bin" ? 1600000000 : 1700000000);
    }
}

}  // namespace
}  // namespace ov2::test

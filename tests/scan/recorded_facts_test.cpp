// What a scan records beyond names and sizes, on real files: times from images and archives,
// encrypted archive entries, fingerprints, and what a rescan keeps of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "core/ov_file_data.h"
#include "platform/file_fingerprint.h"
#include "platform/volume_facts.h"
#include "scan/disc_rescan.h"
#include "tests/scan/scan_test_support.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

const COvFileData& Find(const CDiscWalk& walk, std::string_view folder) {
    for (const auto& file : walk.Files())
        if (file->m_strFolder.view() == folder) return *file;
    throw std::runtime_error("nothing recorded in " + std::string(folder));
}

TEST(RecordedFactsTest, ImagesAndArchivesGiveTheirEntriesTimesAndEncryptedEntriesAreMarked) {
    TempDir dir;
    PutFile(dir / "tree" / "docs" / "a.txt", 5);
    SetTime(dir / "tree" / "docs" / "a.txt", 1234567890);
    const std::string image =
        WriteIso(dir / "disc.iso", dir / "tree", "joliet,volume-id=Backup 23");
    WriteArchive(dir / "disc" / "t.tar", dir / "tree", "--format ustar");
    EXPECT_EQ(ImageVolumeFacts(image).Summary(),
              "iso9660, 'Backup 23', " + BinarySizeText(fs::file_size(image)) + ", 0 bytes free");

    CDiscWalk walk("E:\\");
    walk.SetFingerprints(true);
    ASSERT_TRUE(walk.WalkIsoImage(image));
    const FileFacts inImage = Find(walk, "e:\\docs\\").m_facts;
    EXPECT_TRUE(inImage.modified == 1234567890 && !inImage.HasFingerprint());  // not read through

    const bool sevenZip = std::system("command -v 7z >/dev/null") == 0;
    const std::string zip = "cd '" + (dir / "tree" / "docs").string() +
                            "' && 7z a -tzip -psecret '" + (dir / "disc" / "locked.zip").string() +
                            "' a.txt >/dev/null";
    ASSERT_TRUE(!sevenZip || std::system(zip.c_str()) == 0) << zip;
    CDiscWalk archives("E:\\");
    archives.SetListArchives(true);
    ASSERT_TRUE(archives.WalkFolder((dir / "disc").string()));
    const FileFacts inTar = Find(archives, "e:\\t.tar\\docs\\").m_facts;
    EXPECT_TRUE(inTar.modified == 1234567890 && !inTar.encrypted);
    if (!sevenZip) GTEST_SKIP() << "7z (p7zip-full) is not installed: no encrypted zip";
    EXPECT_TRUE(Find(archives, "e:\\locked.zip\\").m_facts.encrypted);
    EXPECT_EQ(Find(archives, "e:\\locked.zip\\").m_strFileName.view(), "a.txt");
}

// The fingerprint reads the first and last 64 KiB: a change between them goes unseen.
TEST(RecordedFactsTest, FingerprintsFindCopiesAndSeeChangesInTheHeadAndTailOnly) {
    TempDir dir;
    std::string bytes(300 * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
    int files = 0;  // each content in a file of its own name
    const auto fingerprint = [&](const std::string& content, std::size_t flip = std::string::npos) {
        std::string changed = content;
        if (flip < changed.size()) changed[flip] = static_cast<char>(changed[flip] ^ 1);
        const fs::path file = dir / ("file " + std::to_string(++files));
        WriteFileBytes(file, changed);
        return FileFingerprint(file.string());
    };
    const std::uint64_t original = fingerprint(bytes);
    EXPECT_NE(original, 0u);
    EXPECT_EQ(fingerprint(bytes), original);  // a copy under another name
    EXPECT_NE(fingerprint(bytes, 10), original);
    EXPECT_NE(fingerprint(bytes, bytes.size() - 10), original);
    EXPECT_EQ(fingerprint(bytes, bytes.size() / 2), original);
    const std::string small = bytes.substr(0, 100 * 1024);  // read whole
    EXPECT_NE(fingerprint(small, small.size() / 2), fingerprint(small));
    EXPECT_EQ(FileFingerprint((dir / "missing").string()), 0u);
}

TEST(RecordedFactsTest, RescanKeepsFingerprintsOfUnchangedFilesUnreadAndCountsChangedTimes) {
    TempDir dir;
    const fs::path root = dir / "stick";
    const char* names[] = {"same.bin", "touched.bin", "untimed.bin"};
    for (const char* name : names) PutFile(root / name, 1000), SetTime(root / name, 1600000000);
    CDiscWalk first("E:\\");
    first.SetFingerprints(true);
    ASSERT_TRUE(first.WalkFolder(root.string()));
    std::vector<std::shared_ptr<COvFileData>> old = first.TakeFiles();
    std::map<std::string, std::uint64_t> before;
    for (const auto& file : old) before[file->m_strFileName.str()] = file->m_facts.fingerprint;
    for (const auto& file : old)  // a record of an older catalogue, without a time
        if (file->m_strFileName.view() == "untimed.bin")
            file->m_facts.modified = FileFacts::kNoTime;

    // Other bytes under the same size and time: a kept fingerprint shows the file was not read.
    WriteFileBytes(root / "same.bin", std::string(1000, 'y'));
    SetTime(root / "same.bin", 1600000000);
    ASSERT_NE(FileFingerprint((root / "same.bin").string()), before["same.bin"]);
    SetTime(root / "touched.bin", 1700000000);
    SetTime(root / "untimed.bin", 1700000000);
    CDiscWalk again("E:\\");
    again.SetFingerprints(true, KnownFingerprints(old));
    ASSERT_TRUE(again.WalkFolder(root.string()));
    const RescanMerge merge = MergeRescan(old, again.TakeFiles());
    EXPECT_EQ(merge.summary.changed, 1);  // touched.bin; untimed.bin had no time to compare
    for (const auto& file : merge.files)  // the others' bytes are as they were
        EXPECT_EQ(file->m_facts.fingerprint, before[file->m_strFileName.str()])
            << file->m_strFileName.str();
}

// Fingerprints are read on other threads: each lands on its own record, in folders read by
// several threads, below the depth at which folders are opened by path, and not from a FIFO; a
// walk stopped meanwhile ends with what it recorded intact.
TEST(RecordedFactsTest, FingerprintsReadAlongsideTheWalkLandOnTheirRecordsAndStopEndsIt) {
    TempDir dir;
    std::string deep = "deep";
    for (int level = 0; level < 70; ++level) deep += "/d";
    for (int i = 0; i < 900; ++i)  // each of its own size: all fingerprints differ
        PutFile(dir / (i < 10 ? deep : "f" + std::to_string(i % 3)) / std::to_string(i), i + 1);
    ASSERT_EQ(::mkfifo((dir / "f0" / "pipe").c_str(), 0600), 0);
    const auto onDisk = [&](const COvFileData& file) {
        std::string path = file.m_strFolder.str().substr(3) + file.m_strFileName.str();
        std::replace(path.begin(), path.end(), '\\', '/');
        return FileFingerprint((dir / path).string());
    };

    struct StopAt : CDiscWalk::Listener {
        CDiscWalk* walk = nullptr;
        int files = 0, stopAt = 0;
        void OnFolder(const CDiscWalk::Folder&, int) override {}
        void OnFile(const COvFileData&) override {
            if (++files == stopAt) walk->Stop();
        }
    };
    for (const int stopAt : {0, 400}) {
        StopAt listener;
        listener.stopAt = stopAt;
        CDiscWalk walk("E:\\", &listener);
        listener.walk = &walk;
        walk.SetFingerprints(true);
        ASSERT_TRUE(walk.WalkFolder(dir.path().string()));
        EXPECT_EQ(walk.FileCount(), stopAt ? stopAt : 901);
        int read = 0;
        for (const auto& file : walk.Files()) {
            const std::uint64_t fingerprint = file->m_facts.fingerprint;
            read += fingerprint != 0;
            if (fingerprint != 0 || !stopAt) {  // stopped: some are left unread
                EXPECT_EQ(fingerprint, onDisk(*file)) << file->m_strFileName.str();
            }
        }
        if (!stopAt) {
            EXPECT_EQ(read, 900);  // the FIFO has none
        }
    }
}

}  // namespace
}  // namespace ov2::test

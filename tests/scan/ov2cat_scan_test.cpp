// `ov2cat scan` run as a program: the disc it appends, the catalogue it creates, and failures
// that leave the catalogue alone.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <algorithm>
#include <fstream>
#include <map>

#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/disc_database.h"
#include "core/map_string_to_ob.h"
#include "tests/scan/scan_test_support.h"
#include "tests/support/cue_image.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

struct ScanRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ScanRun Ov2cat(const std::string& driveMap, const QStringList& args) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OV2_DRIVES"), QString::fromStdString(driveMap));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(OV2CAT_PATH), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    ScanRun run;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << run.err;
    if (process.exitStatus() == QProcess::NormalExit) run.exitCode = process.exitCode();
    return run;
}

ScanRun Ov2catScan(const std::string& driveMap, const QStringList& args) {
    return Ov2cat(driveMap, QStringList{QStringLiteral("scan")} + args);
}

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

TEST(Ov2catScanTest, AppendsTheDiscWithTheNextNumberToANewThenAnExistingCatalogue) {
    TempDir dir;
    const fs::path disc = dir / "disc";
    PutFile(disc / "Photos" / "2003" / "a.jpg", 100);
    PutFile(disc / "readme.txt", 10);
    const fs::path big = disc / "big.iso";
    { std::ofstream{big}; }
    fs::resize_file(big, 3ull << 30);
    const fs::path catalogue = dir / "discs.ovd";
    const std::string map = "E=cdrom:" + disc.string();

    const ScanRun first = Ov2catScan(map, {QStringLiteral("E"), Q(catalogue),
                                           QStringLiteral("--name"), QStringLiteral("Backup")});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_TRUE(first.out.starts_with("disc 1 files 3 size 3072.000 MB\nvolume: ")) << first.out;
    const ScanRun second = Ov2catScan(map, {QStringLiteral("e:"), Q(catalogue)});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(second.out.starts_with("disc 2 files 3 size 3072.000 MB\nvolume: ")) << second.out;

    COvDiscDatabase database;
    std::string error;
    ASSERT_TRUE(ReadCatalogueFile(catalogue, database, &error)) << error;
    ASSERT_EQ(database.GetCount(), 2);
    const COvDisc& backup = *database.m_lstDiscs[0];
    EXPECT_EQ(backup.m_strNumber, std::string_view("1"));
    EXPECT_EQ(backup.m_strName, std::string_view("Backup"));
    EXPECT_EQ(backup.m_strLocation, std::string_view("home"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]+ \\d\\d \\d{4}$"))
                    .match(QString::fromStdString(backup.m_strSavedAt.str()))
                    .hasMatch())
        << backup.m_strSavedAt.str();
    EXPECT_EQ(backup.m_strFolderTree, std::string_view("1 Backup\r\n\tPhotos\r\n\t\t2003\r\n"));
    ASSERT_EQ(backup.GetCount(), 3);
    EXPECT_EQ(backup.m_lstFiles[0]->m_strFolder, std::string_view("e:\\photos\\2003\\"));
    std::vector<std::string> rootSizes;
    for (int i = 1; i < 3; ++i) rootSizes.push_back(backup.m_lstFiles[i]->m_strSize.str());
    std::sort(rootSizes.begin(), rootSizes.end());
    EXPECT_EQ(rootSizes, (std::vector<std::string>{"10", "3221225472"}));
    EXPECT_EQ(database.m_lstDiscs[1]->m_strName, std::string_view("Untitled"));
    // A catalogue made here carries the settings of a new catalogue of the program.
    for (const char* key : {"SearchCombo", "LendCombo", "CDDB"})
        EXPECT_NE(database.m_pSettings->m_map.Lookup(key), nullptr) << key;
}

TEST(Ov2catScanTest, ArchivesAreListedUnlessTurnedOffAndTheOnesThatCannotBeAreNamed) {
    TempDir dir;
    PutFile(dir / "tree" / "a.txt", 100);
    WriteArchive(dir / "disc" / "good.zip", dir / "tree", "--format zip");
    WriteFileBytes(dir / "disc" / "broken.tar.gz", "\x1f\x8b\x08 cut short");
    const std::string map = "E=cdrom:" + (dir / "disc").string();
    const ScanRun listed =
        Ov2catScan(map, {QStringLiteral("E"), Q(dir / "a.ovd"), QStringLiteral("--archives")});
    EXPECT_TRUE(listed.out.starts_with("disc 1 files 3 size ")) << listed.out << listed.err;
    EXPECT_TRUE(listed.out.ends_with(
        " free\n1 archive listed.\n1 archive not listed: 1 damaged\ne:\\broken.tar.gz: damaged\n"));
    const ScanRun plain =
        Ov2catScan(map, {QStringLiteral("E"), Q(dir / "a.ovd"), QStringLiteral("--no-archives")});
    EXPECT_TRUE(plain.out.starts_with("disc 2 files 2 size ") && plain.out.ends_with(" free\n"))
        << plain.out;
}

TEST(Ov2catScanTest, TimesFingerprintsAndTheVolumeAreKeptInTheCatalogue) {
    TempDir dir;
    const fs::path disc = dir / "disc", catalogue = dir / "facts.ovd";
    PutFile(disc / "old.txt", 10);
    PutFile(disc / "sub" / "later.bin", 20);
    SetTime(disc / "old.txt", 946684800);             // 2000-01-01
    SetTime(disc / "sub" / "later.bin", 4102444800);  // 2100-01-01, past 32-bit seconds
    const ScanRun run = Ov2catScan("", {Q(disc), Q(catalogue)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(Ov2catScan("", {Q(disc), Q(catalogue), QStringLiteral("--no-fingerprint")}).exitCode,
              0);

    COvDiscDatabase database;
    ASSERT_TRUE(ReadCatalogueFile(catalogue, database, nullptr));
    ASSERT_EQ(database.GetCount(), 2);
    std::map<std::string, FileFacts> facts;
    for (const auto& file : database.m_lstDiscs[0]->m_lstFiles)
        facts[file->m_strFileName.str()] = file->m_facts;
    EXPECT_EQ(facts["old.txt"].modified, 946684800);
    EXPECT_EQ(facts["later.bin"].modified, 4102444800);
    EXPECT_TRUE(facts["old.txt"].HasFingerprint());
    EXPECT_NE(facts["later.bin"].fingerprint, facts["old.txt"].fingerprint);
    EXPECT_FALSE(database.m_lstDiscs[1]->m_lstFiles[0]->m_facts.HasFingerprint());
    const DiscFacts& volume = database.m_lstDiscs[0]->m_facts;
    const QString scanned = QString::fromStdString(volume.scannedAt);  // with its zone
    EXPECT_NE(QDateTime::fromString(scanned, Qt::ISODate).timeSpec(), Qt::LocalTime)
        << volume.scannedAt;
    EXPECT_NE(run.out.find("\nvolume: " + volume.Summary() + "\n"), std::string::npos) << run.out;
}

TEST(Ov2catScanTest, AnAudioImageIsRecordedAsItsTrackFiles) {
    TempDir dir;
    const fs::path cue = WriteCueImage(dir.path(), "album", {{true, 0}, {true, 900}}, 2000);
    const fs::path catalogue = dir / "audio.ovd";
    const ScanRun run =
        Ov2catScan("F=cdrom:" + cue.string(), {QStringLiteral("F:\\"), Q(catalogue)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "disc 1 files 2 size 0.000 MB\n");
    COvDiscDatabase database;
    std::string error;
    ASSERT_TRUE(ReadCatalogueFile(catalogue, database, &error)) << error;
    ASSERT_EQ(database.GetCount(), 1);
    const COvDisc& album = *database.m_lstDiscs[0];
    ASSERT_EQ(album.GetCount(), 2);
    EXPECT_EQ(album.m_lstFiles[1]->m_strFileName, std::string_view("Track02.cda"));
    EXPECT_EQ(album.m_lstFiles[1]->m_strFolder, std::string_view("f:\\"));
    EXPECT_EQ(album.m_strFolderTree, std::string_view("1 Untitled\r\n"));
}

TEST(Ov2catScanTest, FailuresSayWhyAndLeaveTheCatalogueAlone) {
    TempDir dir;
    const fs::path disc = dir / "disc";
    PutFile(disc / "a.txt");
    const std::string map = "E=cdrom:" + disc.string() + ";G=cdrom:" + (dir / "gone").string() +
                            ";H=cdrom:" + (dir / "broken.cue").string();
    const fs::path missing = dir / "new.ovd";

    struct Case {
        QStringList args;
        std::string mentions;
    };
    const fs::path garbage = dir / "garbage.ovd";
    WriteFileBytes(garbage, "not a catalogue");
    for (const Case& c : {Case{{QStringLiteral("Z"), Q(missing)}, "Z"},
                          Case{{QStringLiteral("EE"), Q(missing)}, "EE"},
                          Case{{QStringLiteral("G"), Q(missing)}, "gone"},
                          Case{{QStringLiteral("H"), Q(missing)}, "H:\\"},
                          Case{{QStringLiteral("E"), Q(garbage)}, "garbage.ovd"}}) {
        const ScanRun run = Ov2catScan(map, c.args);
        EXPECT_EQ(run.exitCode, 1) << c.mentions;
        EXPECT_EQ(run.out, "") << c.mentions;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(ReadFileBytes(garbage), "not a catalogue");

    const ScanRun usage = Ov2catScan(map, {QStringLiteral("E")});
    EXPECT_EQ(usage.exitCode, 2);
}

TEST(Ov2catScanTest, RescanOfAnAudioImageKeepsTitlesAndWritesOnlyWithYes) {
    TempDir dir;
    const fs::path cue = WriteCueImage(dir.path(), "album", {{true, 0}, {true, 900}}, 2000);
    const fs::path catalogue = dir / "audio.ovd";
    ASSERT_EQ(Ov2catScan("", {Q(cue), Q(catalogue), QStringLiteral("--letter"), QStringLiteral("F")})
                  .exitCode, 0);
    {
        COvDiscDatabase database;
        ASSERT_TRUE(ReadCatalogueFile(catalogue, database, nullptr));
        database.m_lstDiscs[0]->m_lstFiles[1]->m_strFileName = "02 Intro.cda";
        ASSERT_EQ(SaveCatalogueFile(Q(catalogue), database, nullptr), SaveFault::None);
    }
    const std::string before = ReadFileBytes(catalogue);
    const QStringList rescan = {QStringLiteral("rescan"), Q(cue), Q(catalogue), QStringLiteral("--disc")};
    const std::string summary =
        "Rescan of disc 1: 0 files added, 0 removed, 0 changed, 0 moved; categories kept "
        "on 0 files.\n";

    ScanRun run = Ov2cat("", rescan + QStringList{QStringLiteral("1")});
    EXPECT_EQ(run.out, summary);
    EXPECT_EQ(ReadFileBytes(catalogue), before);
    run = Ov2cat("", rescan + QStringList{QStringLiteral("2")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("2: no disc with this number"), std::string::npos) << run.err;

    run = Ov2cat("", rescan + QStringList{QStringLiteral("1"), QStringLiteral("--yes")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, summary);
    COvDiscDatabase database;
    ASSERT_TRUE(ReadCatalogueFile(catalogue, database, nullptr));
    EXPECT_EQ(database.m_lstDiscs[0]->m_lstFiles[1]->m_strFileName, std::string_view("02 Intro.cda"));
    EXPECT_EQ(database.m_lstDiscs[0]->m_lstFiles[1]->m_strFolder, std::string_view("f:\\"));
}

}  // namespace
}  // namespace ov2::test

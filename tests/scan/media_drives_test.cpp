// Media beyond the optical drive, on this machine's map (read from files the tests write): added
// folders and images remembered across a restart and scanned, a file opened again from an image
// and from a USB stick that came back at another mount point, and ov2cat on a folder.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "app/ov2_view.h"
#include "platform/drives_sources.h"
#include "platform/shell_open.h"
#include "scan/dialog_scan.h"
#include "tests/scan/scan_test_support.h"
#include "tests/support/message_recorder.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

struct MediaTest : testing::Test {
    TempDir dir;
    DriveMap noMap{""};  // blank: the machine's map
    MachineFiles previous = SetMachineFiles({dir / "block", dir / "info", dir / "mountinfo", "me"});
    MessageRecorder messages;
    std::vector<std::string> opened;
    OpenHandler previousOpener = SetOpenHandler([this](const QString& target) {
        opened.push_back(target.toStdString());
        return true;
    });

    MediaTest() { QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2")).remove(QStringLiteral("Drives")); }
    ~MediaTest() override {
        SetMachineFiles(previous);
        SetOpenHandler(std::move(previousOpener));
        QSettings(QStringLiteral("Ov2"), QStringLiteral("Ov2")).remove(QStringLiteral("Drives"));
    }
    std::unique_ptr<CDialogScan> Open() {
        auto dialog = std::make_unique<CDialogScan>();
        dialog->m_strDiscNumber = "7";
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    static QStringList Items(const CDialogScan& dialog) {
        QStringList texts;
        const auto* list = dialog.findChild<QListWidget*>(QStringLiteral("listDrives"));
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
        return texts;
    }
    static void Click(const CDialogScan& dialog, const char* name) {
        QTest::mouseClick(dialog.findChild<QAbstractButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
};

TEST_F(MediaTest, AddedFolderAndImageAreRememberedScannedAndOpenedAfterARestart) {
    PutFile(dir / "photos" / "a.jpg", 3);
    PutFile(dir / "disc" / "Music" / "Live" / "Song.mp3", 5);
    PutFile(dir / "disc" / "Music" / "back\\slash.txt", 2);
    WriteIso(dir / "album.iso", dir / "disc");
    {
        auto dialog = Open();
        const auto* stack = dialog->findChild<QStackedWidget*>(QStringLiteral("stackDrives"));
        const auto* hint = dialog->findChild<QLabel*>(QStringLiteral("labelNoDrives"));
        EXPECT_EQ(stack->currentWidget(), hint);
        EXPECT_TRUE(hint->text().contains(QStringLiteral("Add Folder\u2026")) &&
                    hint->text().contains(QStringLiteral("Add Image\u2026")));
        dialog->m_chooseFolder = [&](QWidget*) { return QString::fromStdString((dir / "photos").string()); };
        dialog->m_chooseImage = [&](QWidget*) { return QString::fromStdString((dir / "gone.iso").string()); };
        Click(*dialog, "buttonAddFolder");
        Click(*dialog, "buttonAddImage");  // cannot be read: said, and not added
        dialog->m_chooseImage = [&](QWidget*) { return QString::fromStdString((dir / "album.iso").string()); };
        Click(*dialog, "buttonAddImage");
        Click(*dialog, "buttonAddFolder");  // the same folder twice is one drive
        EXPECT_EQ(stack->currentIndex(), 0);
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_NE(messages.Texts()[0].find("\"" + (dir / "gone.iso").string() + "\" cannot be read"),
                  std::string::npos);
    }
    auto dialog = Open();  // as after a restart: everything comes back from the settings
    EXPECT_EQ(Items(*dialog), (QStringList{QStringLiteral("E:\\ album.iso"), QStringLiteral("D:\\ photos")}));
    dialog->findChild<QListWidget*>(QStringLiteral("listDrives"))->setCurrentRow(0);
    Click(*dialog, "buttonStartScan");
    Click(*dialog, "buttonSaveDisc");
    std::vector<std::string> records;
    for (const auto& file : dialog->m_pDisc->m_lstFiles)
        records.push_back(file->m_strFolder.str() + file->m_strFileName.str() + " " + file->m_strSize.str());
    EXPECT_EQ(records, (std::vector<std::string>{"e:\\music\\back_slash.txt 2", "e:\\music\\live\\Song.mp3 5"}));
    EXPECT_EQ(dialog->m_pDisc->m_strFolderTree.str(), "7 Untitled\r\n\tMusic\r\n\t\tLive\r\n");

    // Opened from a private copy out of the image; an image that is gone is a disc to insert.
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    ASSERT_TRUE(COv2View::OpenFromDrive(*dialog->m_pDisc->m_lstFiles[1]));
    unsetenv("XDG_CACHE_HOME");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(ReadFileBytes(opened[0]), "xxxxx");
    EXPECT_EQ(fs::path(opened[0]).lexically_relative(dir / "cache").begin()->string(), "ov2");
    fs::rename(dir / "album.iso", dir / "moved.iso");
    EXPECT_FALSE(COv2View::OpenFromDrive(*dialog->m_pDisc->m_lstFiles[1]));

    dialog->OnForgetDrive('E');
    EXPECT_EQ(Items(*Open()), QStringList{QStringLiteral("D:\\ photos")});
    EXPECT_EQ(messages.Texts().size(), 1u);
}

TEST_F(MediaTest, AFileFromAUsbStickOpensAfterItCameBackAtAnotherMountPoint) {
    fs::create_directories(dir / "block" / "sdb" / "sdb1");
    fs::create_directories(dir / "block" / "sdc" / "sdc1");
    WriteFileBytes(dir / "block" / "sdb" / "removable", "1\n");
    WriteFileBytes(dir / "block" / "sdc" / "removable", "1\n");
    PutFile(dir / "first" / "Photos" / "A.jpg", 4);
    const std::string line = " rw - vfat /dev/sdb1 rw\n";
    WriteFileBytes(dir / "mountinfo", "90 22 8:17 / " + (dir / "first").string() + line);
    auto dialog = Open();
    ASSERT_EQ(Items(*dialog), QStringList{QStringLiteral("D:\\ first")});
    dialog->findChild<QListWidget*>(QStringLiteral("listDrives"))->setCurrentRow(0);
    Click(*dialog, "buttonStartScan");
    ASSERT_EQ(dialog->m_lstScannedFiles.size(), 1u);
    const COvFileData& photo = *dialog->m_lstScannedFiles[0];
    EXPECT_EQ(photo.m_strFolder.str(), "d:\\photos\\");

    // Another stick takes D: now, and this one is mounted elsewhere as E:.
    fs::rename(dir / "first", dir / "again");
    fs::create_directories(dir / "other");
    WriteFileBytes(dir / "mountinfo", "91 22 8:33 / " + (dir / "other").string() +
                                          " rw - vfat /dev/sdc1 rw\n90 22 8:17 / " +
                                          (dir / "again").string() + line);
    ASSERT_TRUE(COv2View::OpenFromDrive(photo));
    EXPECT_EQ(opened, std::vector<std::string>{(dir / "again" / "Photos" / "A.jpg").string()});
}

TEST_F(MediaTest, Ov2catRecordsAFolderUnderTheFirstFreeLetterAndListsTheDrives) {
    PutFile(dir / "stick" / "Docs" / "cv.txt", 10);
    const auto run = [](const QStringList& args) {
        QProcess process;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("OV2_DRIVES"), QStringLiteral("D=cdrom:/d;E=removable:/media/me/KEY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(OV2CAT_PATH), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return std::to_string(process.exitCode()) + " " + process.readAll().toStdString();
    };
    EXPECT_EQ(run({QStringLiteral("drives")}), "0 D:\tcdrom\t/d\t\nE:\tremovable\t/media/me/KEY\tKEY\n");
    const QString catalogue = QString::fromStdString((dir / "c.ovd").string());
    EXPECT_TRUE(
        run({QStringLiteral("scan"), QString::fromStdString((dir / "stick").string()), catalogue})
            .starts_with("0 disc 1 files 1 size 0.000 MB\nvolume: "));
    EXPECT_TRUE(run({QStringLiteral("scan"), QString::fromStdString((dir / "stick").string()),
                     catalogue, QStringLiteral("--letter"), QStringLiteral("k")})
                    .starts_with("0 disc 2 files 1 size 0.000 MB\nvolume: "));
    const std::string dump = run({QStringLiteral("dump"), catalogue});
    EXPECT_NE(dump.find("\"f:\\\\docs\\\\\""), std::string::npos) << dump;  // after D: and E:
    EXPECT_NE(dump.find("\"k:\\\\docs\\\\\""), std::string::npos) << dump;
}

}  // namespace
}  // namespace ov2::test

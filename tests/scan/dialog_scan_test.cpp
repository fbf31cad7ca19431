// The real "Scan New Discs" dialog on drives mapped to folders and images made here: the drive
// list, Start Scan and its texts, label editing of the disc's name, Save Disc and Abort, and
// a window that keeps being served but cannot be closed while the walk runs.
#include "scan/dialog_scan.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "core/number_text.h"
#include "platform/text.h"
#include "tests/scan/scan_test_support.h"
#include "tests/support/cue_image.h"
#include "tests/support/message_recorder.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

struct DialogScanTest : testing::Test {
    TempDir dir;
    fs::path disc = dir / "disc";
    MessageRecorder messages;
    FixedToday today;
    std::unique_ptr<DriveMap> map;

    DialogScanTest() { fs::create_directories(disc); }

    // The dialog, shown, with the drive map in force for the rest of the test.
    std::unique_ptr<CDialogScan> Open(const std::string& driveMap, const char* number = "4") {
        map.reset();
        map = std::make_unique<DriveMap>(driveMap);
        auto dialog = std::make_unique<CDialogScan>();
        dialog->m_strDiscNumber = number;
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    std::unique_ptr<CDialogScan> OpenOnDisc(const char* number = "4") {
        return Open("E=cdrom:" + disc.string(), number);
    }

    template <class W>
    static W* Find(const CDialogScan& dialog, const char* name) {
        W* widget = dialog.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QString Text(const CDialogScan& dialog, const char* label) {
        return Find<QLabel>(dialog, label)->text();
    }
    static void Click(const CDialogScan& dialog, const char* button) {
        QTest::mouseClick(Find<QToolButton>(dialog, button), Qt::LeftButton);
    }
    static void ChooseDrive(const CDialogScan& dialog, const char* root) {
        auto* list = Find<QListWidget>(dialog, "listDrives");
        const QList<QListWidgetItem*> items = list->findItems(Q(root), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << root;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items[0]).center());
    }
    static void Scan(const CDialogScan& dialog, const char* root = "E:\\") {
        ChooseDrive(dialog, root);
        Click(dialog, "buttonStartScan");
    }
    static QTreeWidgetItem* Root(const CDialogScan& dialog) {
        return Find<QTreeWidget>(dialog, "treeFolders")->topLevelItem(0);
    }
    static QStringList Children(const QTreeWidgetItem* item) {
        QStringList labels;
        for (int i = 0; i < item->childCount(); ++i) labels << item->child(i)->text(0);
        return labels;
    }
    // Edits a label as the user does: F2, the text, Return (or Escape to cancel).
    static void EditLabel(CDialogScan& dialog, QTreeWidgetItem* item, const QString& text,
                          bool cancel = false) {
        auto* tree = Find<QTreeWidget>(dialog, "treeFolders");
        tree->setCurrentItem(item);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "no label editor";
        editor->selectAll();
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        else
            QTest::keyClicks(editor, text);
        QTest::keyClick(editor, cancel ? Qt::Key_Escape : Qt::Key_Return);
        // The view commits and closes the editor from its event queue.
        const QPointer<QLineEdit> open(editor);
        QTRY_VERIFY(!open || !open->isVisible());
        QCoreApplication::processEvents();
    }
};

TEST_F(DialogScanTest, DrivesAreTheCdromDrivesInDescendingLetterOrderWithWhereTheirDiscIs) {
    const fs::path cue = WriteCueImage(dir.path(), "album", {{true, 0}}, 1000);
    auto dialog = Open("D=cdrom:" + disc.string() + ";F=cdrom:" + cue.string() +
                       ";G=fixed:/tmp;E=cdrom:/media/nothing");
    EXPECT_EQ(dialog->windowTitle(), Q("Scan New Discs"));
    auto* list = Find<QListWidget>(*dialog, "listDrives");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), Q("F:\\"));
    EXPECT_EQ(list->item(1)->text(), Q("E:\\"));
    EXPECT_EQ(list->item(2)->text(), Q("D:\\"));
    EXPECT_TRUE(list->item(0)->toolTip().contains(QString::fromStdString(cue.string())));
    EXPECT_TRUE(list->item(2)->toolTip().contains(QString::fromStdString(disc.string())));
    EXPECT_EQ(list->iconSize(), QSize(24, 24));
    EXPECT_FALSE(list->item(0)->icon().isNull());
    for (const char* button : {"buttonStartScan", "buttonAbortScan", "buttonSaveDisc"})
        EXPECT_FALSE(Find<QToolButton>(*dialog, button)->icon().isNull()) << button;
    EXPECT_EQ(Find<QToolButton>(*dialog, "buttonStartScan")->text(), Q("Start Scan"));
    EXPECT_EQ(Find<QToolButton>(*dialog, "buttonAbortScan")->text(), Q("Abort Scan"));
    EXPECT_EQ(Find<QToolButton>(*dialog, "buttonSaveDisc")->text(), Q("Save Disc"));
    EXPECT_EQ(Find<QProgressBar>(*dialog, "progressScan")->maximum(), 100);

    ChooseDrive(*dialog, "E:\\");
    EXPECT_EQ(dialog->m_strDrive, "E:\\");
}

TEST_F(DialogScanTest, StartWithoutADriveAndSaveBeforeAScanExplainThemselves) {
    auto dialog = OpenOnDisc();
    Click(*dialog, "buttonStartScan");
    Click(*dialog, "buttonSaveDisc");
    QTest::keyClick(Find<QTreeWidget>(*dialog, "treeFolders"), Qt::Key_Return);  // Save Disc too
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{
                  "Please select first one of your CDRom Drives and then push the Scan Button!",
                  "Please, scan the CD first.", "Please, scan the CD first."}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->m_bScanned);
    EXPECT_EQ(Find<QTreeWidget>(*dialog, "treeFolders")->topLevelItemCount(), 0);
}

TEST_F(DialogScanTest, AScanShowsItsTextsAndTreeAndSaveDiscRecordsTheDisc) {
    PutFile(disc / "Music" / "Rock" / "a.mp3", 1000);
    PutFile(disc / "Music" / "b.ogg", 2000);
    PutFile(disc / "docs" / "readme.txt", 30);
    PutFile(disc / "top.txt", 5);
    auto dialog = OpenOnDisc();
    Scan(*dialog);

    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_TRUE(dialog->m_bScanned);
    EXPECT_FALSE(dialog->m_bAudioDisc);
    EXPECT_EQ(dialog->m_nFileCount, 4);
    EXPECT_EQ(dialog->m_dTotalBytes, 3035);
    EXPECT_EQ(Text(*dialog, "labelFiles"), Q("4"));
    EXPECT_EQ(Text(*dialog, "labelSize"), QString::fromStdString(FormatSizeText(3035)));
    EXPECT_EQ(Text(*dialog, "labelSize"), Q("0.003 MB"));
    EXPECT_EQ(Text(*dialog, "labelFile"), Q("top.txt"));  // the root's files come last
    const std::vector<std::string> listed = ListedFolders(disc);
    EXPECT_EQ(Text(*dialog, "labelFolder"), listed.back() == "Music" ? Q("Rock") : Q("docs"));
    EXPECT_EQ(Find<QProgressBar>(*dialog, "progressScan")->value(), 100);

    QTreeWidgetItem* root = Root(*dialog);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), Q("4 Untitled"));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(Find<QTreeWidget>(*dialog, "treeFolders")->currentItem(), root);
    EXPECT_EQ(Children(root), (QStringList{Q("docs"), Q("Music")}));
    EXPECT_EQ(Children(root->child(1)), QStringList{Q("Rock")});

    Click(*dialog, "buttonSaveDisc");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    const COvDisc& saved = *dialog->m_pDisc;
    EXPECT_EQ(saved.m_strNumber, std::string_view("4"));
    EXPECT_EQ(saved.m_strName, std::string_view("Untitled"));
    EXPECT_EQ(saved.m_strSavedAt, std::string_view("March 05 2003"));
    EXPECT_EQ(saved.m_strLocation, std::string_view("home"));
    EXPECT_TRUE(saved.m_strArtist.empty() && saved.m_strQuality.empty() &&
                saved.m_strNotes.empty() && saved.m_strLendDate.empty() &&
                saved.m_lstCategories.empty());
    EXPECT_EQ(saved.m_strFolderTree,
              std::string_view("4 Untitled\r\n\tdocs\r\n\tMusic\r\n\t\tRock\r\n"));
    ASSERT_EQ(saved.m_lstFiles.size(), 4u);
    EXPECT_EQ(saved.m_lstFiles.back()->m_strFileName, std::string_view("top.txt"));
    EXPECT_EQ(saved.m_lstFiles.back()->m_strFolder, std::string_view("e:\\"));
    EXPECT_TRUE(dialog->m_lstScannedFiles.empty());
}

TEST_F(DialogScanTest, ArchivesAreListedAsFoldersByARememberedOptionAndTheDamagedOnesNamed) {
    PutFile(dir / "tree" / "a.txt", 10);
    WriteArchive(disc / "Photos.zip", dir / "tree", "--format zip");
    WriteFileBytes(disc / "old.zip", "PK\x03\x04 cut short");
    auto dialog = OpenOnDisc();
    auto* option = Find<QCheckBox>(*dialog, "checkArchives");
    EXPECT_TRUE(option->isChecked());
    Scan(*dialog);
    EXPECT_EQ(Children(Root(*dialog)), QStringList{Q("Photos.zip")});
    EXPECT_EQ(dialog->m_nFileCount, 3);
    EXPECT_EQ(Text(*dialog, "labelArchives"),
              Q("1 archive listed.\n1 archive not listed: 1 damaged\ne:\\old.zip: damaged"));

    option->click();  // off, and so in the next dialog: the archive is a file only
    auto next = OpenOnDisc();
    Scan(*next);
    EXPECT_TRUE(Children(Root(*next)).isEmpty() && Text(*next, "labelArchives").isEmpty());
    Find<QCheckBox>(*next, "checkArchives")->click();
}

TEST_F(DialogScanTest, AnEmptyDriveLeavesTheCountsBlankAndSavesAnEmptyDisc) {
    auto dialog = OpenOnDisc("1");
    Scan(*dialog);
    EXPECT_TRUE(dialog->m_bScanned);
    EXPECT_EQ(Text(*dialog, "labelFiles"), QString());
    EXPECT_EQ(Text(*dialog, "labelSize"), QString());
    EXPECT_EQ(Root(*dialog)->text(0), Q("1 Untitled"));
    EXPECT_EQ(Root(*dialog)->childCount(), 0);
    Click(*dialog, "buttonSaveDisc");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->m_pDisc->m_lstFiles.empty());
    EXPECT_EQ(dialog->m_pDisc->m_strFolderTree, std::string_view("1 Untitled\r\n"));
}

TEST_F(DialogScanTest, StartingTheScanAgainReplacesTheFirstRunAndKeepsTheName) {
    PutFile(disc / "old" / "a.txt", 10);
    auto dialog = OpenOnDisc();
    Scan(*dialog);
    ASSERT_EQ(dialog->m_nFileCount, 1);
    EditLabel(*dialog, Root(*dialog), Q("Jazz"));
    ASSERT_EQ(dialog->m_strDiscName, "Jazz");

    fs::remove_all(disc / "old");
    PutFile(disc / "new" / "b.txt", 20);
    PutFile(disc / "new" / "c.txt", 30);
    Click(*dialog, "buttonStartScan");
    EXPECT_EQ(dialog->m_nFileCount, 2);
    EXPECT_EQ(dialog->m_dTotalBytes, 50);
    EXPECT_EQ(Text(*dialog, "labelFiles"), Q("2"));
    EXPECT_EQ(Find<QTreeWidget>(*dialog, "treeFolders")->topLevelItemCount(), 1);
    EXPECT_EQ(Root(*dialog)->text(0), Q("4 Jazz"));
    EXPECT_EQ(Children(Root(*dialog)), QStringList{Q("new")});

    Click(*dialog, "buttonSaveDisc");
    const COvDisc& saved = *dialog->m_pDisc;
    ASSERT_EQ(saved.m_lstFiles.size(), 2u);
    for (const auto& file : saved.m_lstFiles)
        EXPECT_EQ(file->m_strFolder, std::string_view("e:\\new\\"));
    EXPECT_EQ(saved.m_strName, std::string_view("Jazz"));
    EXPECT_EQ(saved.m_strFolderTree, std::string_view("4 Jazz\r\n\tnew\r\n"));
}

TEST_F(DialogScanTest, AbortAfterAScanHandsNothingOver) {
    PutFile(disc / "a.txt", 10);
    auto dialog = OpenOnDisc();
    Scan(*dialog);
    ASSERT_EQ(dialog->m_nFileCount, 1);
    Click(*dialog, "buttonAbortScan");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->m_pDisc->m_lstFiles.empty());
    EXPECT_TRUE(dialog->m_pDisc->m_strNumber.empty());
    EXPECT_TRUE(dialog->m_pDisc->m_strFolderTree.empty());
}

TEST_F(DialogScanTest, EditingTheRootNamesTheDiscAndAFolderIsNotEditable) {
    PutFile(disc / "Folder" / "a.txt");
    auto dialog = OpenOnDisc("7");
    Scan(*dialog);
    QTreeWidgetItem* root = Root(*dialog);
    QTreeWidgetItem* folder = root->child(0);
    struct Edit {
        const char* typed;
        const char* name;
    };
    for (const Edit& e : {Edit{"12 Jazz", "Jazz"}, Edit{"Jazz 12", "Jazz 12"},
                          Edit{"0 Jazz", "0 Jazz"}, Edit{"2003 Hits", "Hits"}}) {
        EditLabel(*dialog, root, Q(e.typed));
        EXPECT_EQ(dialog->m_strDiscName, e.name) << e.typed;
        EXPECT_EQ(root->text(0), Q("7 ") + Q(e.name)) << e.typed;
    }
    // An empty text and a cancelled edit keep the name.
    EditLabel(*dialog, root, QString());
    EXPECT_EQ(dialog->m_strDiscName, "Hits");
    EditLabel(*dialog, root, Q("Other"), /*cancel=*/true);
    EXPECT_EQ(dialog->m_strDiscName, "Hits");
    EXPECT_EQ(root->text(0), Q("7 Hits"));

    // A folder's name is where its files lie: F2 opens no editor on it, and the disc keeps
    // its name.
    auto* tree = Find<QTreeWidget>(*dialog, "treeFolders");
    tree->setCurrentItem(folder);
    QTest::keyClick(tree, Qt::Key_F2);
    EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
    dialog->OnEndLabelEditTree(folder, Q("Live"));
    EXPECT_EQ(root->text(0), Q("7 Hits"));
    EXPECT_EQ(folder->text(0), Q("Folder"));

    Click(*dialog, "buttonSaveDisc");
    EXPECT_EQ(dialog->m_pDisc->m_strName, std::string_view("Hits"));
    EXPECT_EQ(dialog->m_pDisc->m_strFolderTree, std::string_view("7 Hits\r\n\tFolder\r\n"));
}

TEST_F(DialogScanTest, TheOutlineKeepsTheNameBytesTheFileSystemGave) {
    PutFile(disc / "Caf\xE9" / "a.txt");            // Windows-1252, not UTF-8
    PutFile(disc / "\xC3\x89t\xC3\xA9" / "b.txt");  // UTF-8 "Été"
    auto dialog = OpenOnDisc("2");
    Scan(*dialog);
    EXPECT_EQ(Children(Root(*dialog)),
              (QStringList{QString::fromUtf8("Café"), QString::fromUtf8("Été")}));
    Click(*dialog, "buttonSaveDisc");
    EXPECT_EQ(dialog->m_pDisc->m_strFolderTree,
              std::string_view("2 Untitled\r\n\tCaf\xE9\r\n\t\xC3\x89t\xC3\xA9\r\n"));
}

TEST_F(DialogScanTest, AnAudioImageIsRecordedAsItsTrackFiles) {
    const fs::path cue =
        WriteCueImage(dir.path(), "mixed", {{false, 0}, {true, 1000}, {true, 5000}}, 9000);
    auto dialog = Open("F=cdrom:" + cue.string());
    Scan(*dialog, "F:\\");
    EXPECT_TRUE(dialog->m_bAudioDisc);
    ASSERT_EQ(dialog->m_lstScannedFiles.size(), 2u);
    EXPECT_EQ(dialog->m_lstScannedFiles[0]->m_strFileName, std::string_view("Track02.cda"));
    EXPECT_EQ(dialog->m_lstScannedFiles[1]->m_strFileName, std::string_view("Track03.cda"));
    for (const auto& track : dialog->m_lstScannedFiles) {
        EXPECT_EQ(track->m_strSize, std::string_view("44"));
        EXPECT_EQ(track->m_strFolder, std::string_view("f:\\"));
        EXPECT_EQ(track->m_strDrive, std::string_view("f:"));
    }
    EXPECT_EQ(Text(*dialog, "labelFile"), Q("Track03.cda"));
    EXPECT_EQ(Root(*dialog)->childCount(), 0);
}

TEST_F(DialogScanTest, TheWalkKeepsTheWindowServedWithABusyBarButNoCloseRequestEndsIt) {
    for (int i = 0; i < 40; ++i) PutFile(disc / ("f" + std::to_string(i)) / "x.bin", 100);
    auto dialog = OpenOnDisc();
    ChooseDrive(*dialog, "E:\\");
    auto* bar = Find<QProgressBar>(*dialog, "progressScan");
    // Queued now, delivered while the walk runs: a timer, a window-manager close, Escape.
    bool servedDuringWalk = false;
    bool busyDuringWalk = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        servedDuringWalk = dialog->IsWalking();
        busyDuringWalk = bar->minimum() == 0 && bar->maximum() == 0;
    });
    QCoreApplication::postEvent(dialog.get(), new QCloseEvent);
    QCoreApplication::postEvent(dialog.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    Click(*dialog, "buttonStartScan");
    QCoreApplication::processEvents();

    EXPECT_TRUE(servedDuringWalk);
    EXPECT_TRUE(busyDuringWalk);
    EXPECT_FALSE(dialog->IsWalking());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_EQ(dialog->m_nFileCount, 40);
    EXPECT_EQ(bar->value(), 100);

    // Once the walk is over, Escape closes the dialog as Abort Scan does.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(DialogScanTest, AbortScanStopsARunningWalkAtItsNextFileAndHandsNothingOver) {
    for (int i = 0; i < 60; ++i) PutFile(disc / ("f" + std::to_string(i)) / "x.bin", 100);
    auto dialog = OpenOnDisc();
    ChooseDrive(*dialog, "E:\\");
    // The walk is slowed so that it serves the window at every file; once it has recorded one,
    // the user clicks "Abort Scan", and no file may follow.
    int filesAtAbort = -1, filesSeen = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, dialog.get(), [&] {
        if (!dialog->IsWalking()) return;
        filesSeen = dialog->m_nFileCount;
        if (filesAtAbort < 0 && filesSeen > 0) {
            filesAtAbort = filesSeen;
            Click(*dialog, "buttonAbortScan");
        }
        QTest::qSleep(40);
    });
    ticks.start(0);
    Click(*dialog, "buttonStartScan");
    ticks.stop();
    ASSERT_GT(filesAtAbort, 0);
    EXPECT_EQ(filesSeen, filesAtAbort);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(dialog->m_lstScannedFiles.empty());
    EXPECT_TRUE(dialog->m_pDisc->m_lstFiles.empty() && dialog->m_pDisc->m_strNumber.empty());
}

TEST_F(DialogScanTest, AnUnmountedDiscThatCannotBeMountedIsNamedInsteadOfRecordedEmpty) {
    auto dialog = OpenOnDisc();
    std::vector<std::string> mounted;
    dialog->m_services.findDrive = [](char letter) -> std::optional<Drive> {
        return Drive{letter, DriveType::CdRom, "", "/dev/sr3", false};
    };
    dialog->m_services.audioTracks = [](const std::string&) {
        return std::optional(std::vector<int>{});
    };
    dialog->m_services.mount = [&](const std::string& device) {
        mounted.push_back(device);
        return false;
    };
    Scan(*dialog);
    EXPECT_EQ(mounted, std::vector<std::string>{"/dev/sr3"});
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("drive E:\\"), std::string::npos) << messages.Texts()[0];
    EXPECT_FALSE(dialog->m_bScanned);
    EXPECT_EQ(Find<QTreeWidget>(*dialog, "treeFolders")->topLevelItemCount(), 0);
    Click(*dialog, "buttonSaveDisc");
    EXPECT_EQ(messages.Texts().back(), "Please, scan the CD first.");
}

// Optical discs start without fingerprints (a seek per file), other media with them; the
// user's choice is remembered for each kind apart, and the disc takes the volume's facts.
TEST_F(DialogScanTest, FingerprintsAreChosenPerKindOfMediumAndTheDiscTakesTheVolumeFacts) {
    PutFile(disc / "a.txt", 3);
    auto dialog = Open("E=cdrom:" + disc.string() + ";F=removable:" + disc.string());
    auto* fingerprint = Find<QCheckBox>(*dialog, "checkFingerprint");
    for (const char* drive : {"E:\\", "F:\\ disc"}) {  // off, on: each the user turns over
        ChooseDrive(*dialog, drive);
        EXPECT_EQ(fingerprint->isChecked(), drive[3] != 0) << drive;
        QTest::mouseClick(fingerprint, Qt::LeftButton);
    }
    ChooseDrive(*dialog, "F:\\ disc");
    EXPECT_FALSE(fingerprint->isChecked());

    Scan(*dialog, "E:\\");
    dialog->SaveDisc();
    ASSERT_EQ(dialog->m_pDisc->GetCount(), 1);
    EXPECT_TRUE(dialog->m_pDisc->m_lstFiles[0]->m_facts.HasFingerprint());  // turned on above
    EXPECT_EQ(Text(*dialog, "labelVolume"), DecodeText(dialog->m_pDisc->m_facts.Summary()));
}

}  // namespace
}  // namespace ov2::test

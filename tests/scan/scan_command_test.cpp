// The commands panel's scan beside the real disc tree, file list and categories panel: the new
// disc's number, what joins the catalogue after Save Disc, and what Abort leaves alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/categories_view.h"
#include "catalog_ops/commands_view.h"
#include "core/catalogue_file.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "scan/dialog_scan.h"
#include "tests/scan/scan_test_support.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace ov2::test {
namespace {

namespace fs = std::filesystem;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

struct ScanCommandTest : testing::Test {
    TempDir dir;
    fs::path disc = dir / "disc";
    DriveMap map{"E=cdrom:" + (dir / "disc").string()};
    MessageRecorder messages;
    FixedToday today;
    COv2Doc doc;
    QWidget window;
    CCommandsView* panel = nullptr;
    CLeftView* tree = nullptr;
    COv2View* files = nullptr;
    CCategoriesView* categories = nullptr;

    ScanCommandTest() {
        PutFile(disc / "Music" / "song.ogg", 4000);
        PutFile(disc / "cover.jpg", 300);
        PutFile(disc / "notes.txt", 20);
        doc.OnNewDocument();
        auto* layout = new QHBoxLayout(&window);
        panel = new CCommandsView(&doc);
        tree = new CLeftView(&doc);
        files = new COv2View(&doc);
        categories = new CCategoriesView(&doc);
        for (QWidget* w : std::initializer_list<QWidget*>{panel, tree, files, categories})
            layout->addWidget(w);
        window.resize(1100, 700);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void Load(std::vector<std::shared_ptr<COvDisc>> discs) {
        for (auto& d : discs) doc.m_pDatabase->AddTail(std::move(d));
        doc.UpdateAllViews();
        tree->setCurrentItem(
            tree->FindDiscItem(doc.m_pDatabase->m_lstDiscs.front()->m_strNumber.view()));
        doc.SetModifiedFlag(false);
    }

    // Runs `script` on the scan dialog once it is open; a dialog the script leaves open is
    // aborted, so that a failing test does not hang.
    std::string numberSeen;
    QString rootSeen;
    void WhenTheDialogOpens(std::function<void(CDialogScan&)> script) {
        QTimer::singleShot(0, [this, script = std::move(script)] {
            auto* dialog = qobject_cast<CDialogScan*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "no scan dialog";
            numberSeen = dialog->m_strDiscNumber;
            script(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
    }
    static void Click(const CDialogScan& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QToolButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    void ScanDrive(CDialogScan& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("listDrives"));
        ASSERT_EQ(list->count(), 1);
        list->setCurrentRow(0);
        Click(dialog, "buttonStartScan");
        rootSeen =
            dialog.findChild<QTreeWidget*>(QStringLiteral("treeFolders"))->topLevelItem(0)->text(0);
    }
    void ScanAndSave() {
        WhenTheDialogOpens([this](CDialogScan& dialog) {
            ScanDrive(dialog);
            Click(dialog, "buttonSaveDisc");
        });
    }
    QString PanelText(const char* name) const {
        if (auto* edit = panel->findChild<QLineEdit*>(QString::fromLatin1(name)))
            return edit->text();
        return panel->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
};

TEST_F(ScanCommandTest, TheNewDiscJoinsTheCatalogueAndIsShownEverywhere) {
    Load({MakeDisc("12", "Twelve"), MakeDisc("7", "Seven")});
    ScanAndSave();
    QTest::mouseClick(panel->findChild<QToolButton*>(QStringLiteral("buttonScan")), Qt::LeftButton);

    EXPECT_EQ(numberSeen, "8");  // one above the last disc of the list, not above the largest
    EXPECT_EQ(rootSeen, Q("8 Untitled"));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "12 7 8");
    const COvDisc& added = *doc.m_pDatabase->m_lstDiscs.back();
    EXPECT_EQ(added.m_strName, std::string_view("Untitled"));
    EXPECT_EQ(added.m_strSavedAt, std::string_view("March 05 2003"));
    EXPECT_EQ(added.m_strLocation, std::string_view("home"));
    EXPECT_EQ(added.GetCount(), 3);
    EXPECT_EQ(added.m_strFolderTree, std::string_view("8 Untitled\r\n\tMusic\r\n"));

    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, std::string_view("8"));
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstFiles, added.m_lstFiles);
    QTreeWidgetItem* node = tree->currentItem();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(CLeftView::ItemLabel(node), "8 Untitled");
    EXPECT_EQ(node->parent(), nullptr);
    EXPECT_EQ(tree->indexOfTopLevelItem(node), 2);
    ASSERT_EQ(node->childCount(), 1);
    EXPECT_EQ(CLeftView::ItemLabel(node->child(0)), "Music");
    // The file list shows the disc's root files.
    QStringList rows;
    for (int i = 0; i < files->topLevelItemCount(); ++i)
        rows << files->topLevelItem(i)->text(COv2View::kColumnName);
    rows.sort();
    EXPECT_EQ(rows, (QStringList{Q("cover"), Q("notes")}));
    EXPECT_EQ(PanelText("editNumber"), Q("8"));
    EXPECT_EQ(PanelText("editName"), Q("Untitled"));
    EXPECT_EQ(PanelText("labelNumberOfCds"), Q("3"));
    EXPECT_EQ(PanelText("labelLastEntry"), Q("8"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(ScanCommandTest, ANumberAlreadyTakenGivesWayToOneAboveTheLargest) {
    Load({MakeDisc("8", "Eight"), MakeDisc("12", "Twelve"), MakeDisc("7", "Seven")});
    ScanAndSave();
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCdScan));  // Ctrl+Y, through the tree to the panel
    EXPECT_EQ(numberSeen, "13");
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "8 12 7 13");
}

TEST_F(ScanCommandTest, AnEmptyCatalogueGetsDiscOne) {
    ASSERT_TRUE(doc.IsCommandEnabled(ov2::cmd::kCdScan));
    ScanAndSave();
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCdScan));
    EXPECT_EQ(numberSeen, "1");
    EXPECT_EQ(rootSeen, Q("1 Untitled"));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1");
    EXPECT_EQ(CLeftView::ItemLabel(tree->currentItem()), "1 Untitled");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(ScanCommandTest, AbortAfterAScanLeavesTheCatalogueAsItWas) {
    Load({MakeDisc("1", "One"), MakeDisc("2", "Two")});
    tree->setCurrentItem(tree->FindDiscItem("2"));
    const std::string before = CatalogueBytes(*doc.m_pDatabase);
    WhenTheDialogOpens([this](CDialogScan& dialog) {
        ScanDrive(dialog);
        ASSERT_EQ(dialog.m_nFileCount, 3);
        Click(dialog, "buttonAbortScan");
    });
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCdScan));
    EXPECT_EQ(numberSeen, "3");
    EXPECT_EQ(CatalogueBytes(*doc.m_pDatabase), before);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, std::string_view("2"));
    EXPECT_EQ(PanelText("labelNumberOfCds"), Q("2"));
}

TEST_F(ScanCommandTest, RescanChangesNothingUntilYesThenKeepsWhatTheUserAdded) {
    Load({MakeDisc("1", "One")});
    ScanAndSave();
    ASSERT_TRUE(doc.OnCommand(ov2::cmd::kCdScan));
    COvDisc& record = *doc.m_pDatabase->FindDisc("2");
    for (const auto& file : record.m_lstFiles)
        if (file->m_strFileName.view() == "cover.jpg") file->m_lstCategories = {"Art"};
    record.m_strLocation = "Anna";
    fs::remove(disc / "notes.txt");
    PutFile(disc / "Music" / "new.ogg", 10);
    doc.SetModifiedFlag(false);
    const std::string before = CatalogueBytes(*doc.m_pDatabase);

    std::string driveOffered;
    const auto rescan = [&] {
        WhenTheDialogOpens([&](CDialogScan& dialog) {
            driveOffered = dialog.m_strDrive;
            ScanDrive(dialog);
            Click(dialog, "buttonSaveDisc");
        });
        EXPECT_TRUE(doc.OnCommand(ov2::cmd::kRescanDisc));
    };
    messages.Answer(MsgResult::No);
    rescan();
    EXPECT_EQ(driveOffered, "E:\\");  // where the disc's files are found
    ASSERT_EQ(messages.Texts(),
              std::vector<std::string>{
                  "Rescan of disc 2: 1 files added, 1 removed, 0 changed, 0 moved; categories "
                  "kept on 1 files. Update the catalogue?"});
    EXPECT_EQ(CatalogueBytes(*doc.m_pDatabase), before);
    EXPECT_FALSE(doc.IsModified());

    messages.Answer(MsgResult::Yes);
    rescan();
    EXPECT_EQ(record.GetCount(), 3);
    EXPECT_EQ(record.m_strLocation.view(), "Anna");
    EXPECT_EQ(record.m_strSavedAt.view(), "March 05 2003");
    for (const auto& file : record.m_lstFiles)
        EXPECT_EQ(file->m_lstCategories.empty(), file->m_strFileName.view() != "cover.jpg");
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstFiles, record.m_lstFiles);
    EXPECT_EQ(CLeftView::ItemLabel(tree->currentItem()), "2 Untitled");
    EXPECT_EQ(tree->indexOfTopLevelItem(tree->currentItem()), 1);
    EXPECT_EQ(files->topLevelItemCount(), 1);  // cover.jpg is the root's one file now
    EXPECT_TRUE(doc.IsModified());
}

}  // namespace
}  // namespace ov2::test

// The settings sheet on a real document: what OK, Cancel and "Defualt Site" leave in the
// catalogue, pruning the histories, and the pages' "Save" into the catalogue's own file.
#include "app/settings_sheet.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "app/dialog_sheet_active_list.h"
#include "app/dialog_sheet_cddb.h"
#include "app/main_frame.h"
#include "catalog_ops/history_combo.h"
#include "cddb/freedb_servers.h"
#include "core/command_ids.h"
#include "core/map_string_to_string.h"
#include "core/ov2_doc.h"
#include "core/string_list.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;
using Strings = std::vector<std::string>;

Strings& History(COv2Doc& doc, const char* key) {
    return dynamic_cast<CStringList&>(**doc.m_pDatabase->m_pSettings->m_map.Lookup(key)).m_strings;
}
const std::string* Cddb(COv2Doc& doc, const char* key) {
    auto& cddb = **doc.m_pDatabase->m_pSettings->m_map.Lookup("CDDB");
    return dynamic_cast<CMapStringToString&>(cddb).m_map.Lookup(key);
}
QStringList Choose(CDialogSheetActiveList* page, const char* list) {
    page->ComboList()->setCurrentText(QString::fromLatin1(list));
    page->OnSelendokComboList();
    QStringList rows;
    for (int i = 0; i < page->ListBox()->count(); ++i) rows << page->ListBox()->item(i)->text();
    return rows;
}
// Removes all searches but "Jazz" and empties the borrowers.
void Prune(CDialogSheetActiveList* page) {
    Choose(page, "Search");
    for (int i = 0; i < page->ListBox()->count(); ++i)
        page->ListBox()->item(i)->setSelected(page->ListBox()->item(i)->text() !=
                                              QLatin1String("Jazz"));
    page->OnButtonRemove();
    Choose(page, "Lend");
    page->OnButtonRemoveAll();
}
void PickSite(CSettingsSheet& sheet, int row, const char* hello) {
    sheet.PageCddb()->SiteCombo()->setCurrentIndex(row);
    sheet.PageCddb()->OnButtonDefaultSite();
    sheet.PageCddb()->HelloEdit()->setText(QString::fromLatin1(hello));
}

struct SettingsSheetTest : testing::Test {
    SettingsSheetTest() {
        doc.OnNewDocument();
        doc.m_pDatabase->AddTail(MakeDisc("1", "One"));
        History(doc, "SearchCombo") = {"rock", "Jazz", "pop"};
        History(doc, "LendCombo") = {"Ann", "bob"};
    }
    std::unique_ptr<CSettingsSheet> Sheet() {
        return std::make_unique<CSettingsSheet>(doc.m_pDatabase->m_pSettings.get(),
                                                doc.GetPathName(), doc.m_pDatabase.get());
    }
    COv2Doc doc;
    MessageRecorder messages;
};

TEST_F(SettingsSheetTest, HistoriesChangeOnlyWithOkAndTheServerAtOnceWithDefualtSite) {
    auto sheet = Sheet();
    sheet->PageLists()->OnButtonRemoveAll();  // no list chosen: nothing to empty
    EXPECT_EQ(Choose(sheet->PageLists(), "Search"),
              (QStringList{QStringLiteral("Jazz"), QStringLiteral("pop"), QStringLiteral("rock")}));
    Prune(sheet->PageLists());
    EXPECT_EQ(Choose(sheet->PageLists(), "Search"), QStringList{QStringLiteral("Jazz")});
    PickSite(*sheet, 3, "me@example.org");
    sheet->reject();
    EXPECT_EQ(History(doc, "SearchCombo"), (Strings{"rock", "Jazz", "pop"}));
    EXPECT_EQ(History(doc, "LendCombo"), (Strings{"Ann", "bob"}));
    EXPECT_EQ(*Cddb(doc, "active"), ov2::FreedbSites()[3]);
    EXPECT_EQ(Cddb(doc, "hello"), nullptr);
    sheet = Sheet();
    Prune(sheet->PageLists());
    PickSite(*sheet, -1, " me@example.org ");  // an empty site is no choice
    sheet->accept();
    EXPECT_EQ(History(doc, "SearchCombo"), Strings{"Jazz"});
    EXPECT_TRUE(History(doc, "LendCombo").empty());
    EXPECT_EQ(*Cddb(doc, "active"), ov2::FreedbSites()[3]);
    EXPECT_EQ(*Cddb(doc, "hello"), "me@example.org");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SettingsSheetTest, SaveWritesOnlyIntoTheCataloguesOwnWritableFileWhichThenReopens) {
    auto sheet = Sheet();
    sheet->PageCddb()->OnButtonSaveCddb();
    sheet->PageLists()->OnButtonSaveLists();
    EXPECT_EQ(messages.Texts(), Strings(2, "Please, save your document first."));
    EXPECT_EQ(messages.Messages()[1].icon, ov2::MsgIcon::Information);
    TempDir dir;
    ASSERT_TRUE(doc.OnSaveDocument(QString::fromStdString((dir / "gone.ovd").string())));
    std::filesystem::remove(dir / "gone.ovd");
    Sheet()->PageLists()->OnButtonSaveLists();
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.ovd"));
    const QString path = QString::fromStdString((dir / "cat.ovd").string());
    ASSERT_TRUE(doc.OnSaveDocument(path));
    doc.SetModifiedFlag();
    const std::string before = ReadFileBytes(dir / "cat.ovd");
    std::filesystem::permissions(dir / "cat.ovd", std::filesystem::perms::owner_read);
    sheet = Sheet();
    Prune(sheet->PageLists());
    sheet->PageLists()->OnButtonSaveLists();
    PickSite(*sheet, 5, "me@host");
    sheet->PageCddb()->OnButtonSaveCddb();
    EXPECT_EQ(ReadFileBytes(dir / "cat.ovd"), before);
    ASSERT_EQ(messages.Texts().size(), 5u);
    for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(messages.Texts()[i].find("Failed to save"), 0u);

    std::filesystem::permissions(dir / "cat.ovd", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    sheet->PageLists()->OnButtonSaveLists();
    sheet->PageCddb()->OnButtonSaveCddb();
    sheet->reject();
    EXPECT_EQ(messages.Texts().size(), 5u);
    EXPECT_TRUE(doc.IsModified());

    COv2Doc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    EXPECT_EQ(History(reopened, "SearchCombo"), Strings{"Jazz"});
    EXPECT_TRUE(History(reopened, "LendCombo").empty());
    EXPECT_EQ(*Cddb(reopened, "active"), ov2::FreedbSites()[5]);
    EXPECT_EQ(*Cddb(reopened, "hello"), "me@host");
}

TEST_F(SettingsSheetTest, TheMenuOpensTheSheetAndThePanelForgetsRemovedEntries) {
    CMainFrame frame(&doc);
    doc.UpdateAllViews();
    auto* combo = frame.findChild<CHistoryCombo*>(QStringLiteral("comboSearch"));
    combo->ShowSuggestions(QStringLiteral("r"), {QStringLiteral("rock")});
    QTimer::singleShot(0, [] {
        auto* sheet = qobject_cast<CSettingsSheet*>(QApplication::activeModalWidget());
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Orvella Settings"));
        Prune(sheet->PageLists());
        sheet->accept();
    });
    frame.Action(ov2::cmd::kSettings)->trigger();
    EXPECT_EQ(combo->findText(QStringLiteral("rock")), -1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("r"));
}

}  // namespace

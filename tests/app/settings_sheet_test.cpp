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
#include <filesystem>

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

struct SettingsSheetTest : testing::Test {
    SettingsSheetTest() {
        doc.OnNewDocument();
        doc.m_pDatabase->AddTail(MakeDisc("1", "One"));
        History("SearchCombo") = {"rock", "Jazz", "pop"};
        History("LendCombo") = {"Ann", "bob"};
    }
    Strings& History(const char* key) {
        return dynamic_cast<CStringList&>(**doc.m_pDatabase->m_pSettings->m_map.Lookup(key))
            .m_strings;
    }
    CMapStringToString& Cddb() {
        return dynamic_cast<CMapStringToString&>(
            **doc.m_pDatabase->m_pSettings->m_map.Lookup("CDDB"));
    }
    std::unique_ptr<CSettingsSheet> Sheet() {
        return std::make_unique<CSettingsSheet>(doc.m_pDatabase->m_pSettings.get(),
                                                doc.GetPathName(), doc.m_pDatabase.get());
    }
    static QStringList Shown(CDialogSheetActiveList* page) {
        QStringList rows;
        for (int i = 0; i < page->ListBox()->count(); ++i) rows << page->ListBox()->item(i)->text();
        return rows;
    }
    static void Choose(CDialogSheetActiveList* page, const QString& list) {
        page->ComboList()->setCurrentText(list);
        page->OnSelendokComboList();
    }
    // Removes "pop" and "rock" from the search list and empties the borrowers.
    static void Prune(CDialogSheetActiveList* page) {
        Choose(page, QStringLiteral("Search"));
        for (int i = 0; i < page->ListBox()->count(); ++i)
            page->ListBox()->item(i)->setSelected(page->ListBox()->item(i)->text() !=
                                                  QLatin1String("Jazz"));
        page->OnButtonRemove();
        Choose(page, QStringLiteral("Lend"));
        page->OnButtonRemoveAll();
    }
    COv2Doc doc;
    MessageRecorder messages;
};

TEST_F(SettingsSheetTest, HistoriesChangeOnlyWithOkAndTheServerAtOnceWithDefualtSite) {
    auto sheet = Sheet();
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Orvella Settings"));
    EXPECT_EQ(sheet->PageList()->item(0)->text(), QStringLiteral("Search"));
    CDialogSheetActiveList* lists = sheet->PageLists();
    EXPECT_EQ(lists->ComboList()->itemText(0), QStringLiteral("Lend"));
    lists->OnButtonRemoveAll();  // no list chosen: nothing to empty
    EXPECT_EQ(lists->m_lstSearch.size(), 3u);
    Choose(lists, QStringLiteral("Search"));
    EXPECT_EQ(Shown(lists),
              (QStringList{QStringLiteral("Jazz"), QStringLiteral("pop"), QStringLiteral("rock")}));
    Prune(lists);
    EXPECT_TRUE(Shown(lists).isEmpty());
    Choose(lists, QStringLiteral("Search"));
    EXPECT_EQ(Shown(lists), QStringList{QStringLiteral("Jazz")});

    CDialogSheetCddb* cddb = sheet->PageCddb();
    cddb->findChild<QComboBox*>(QStringLiteral("comboSite"))->setCurrentIndex(3);
    cddb->OnButtonDefaultSite();
    cddb->findChild<QLineEdit*>(QStringLiteral("editHello"))
        ->setText(QStringLiteral("me@example.org"));
    sheet->reject();
    EXPECT_EQ(History("SearchCombo"), (Strings{"rock", "Jazz", "pop"}));
    EXPECT_EQ(History("LendCombo"), (Strings{"Ann", "bob"}));
    EXPECT_EQ(*Cddb().m_map.Lookup("active"), ov2::FreedbSites()[3]);
    EXPECT_EQ(Cddb().m_map.Lookup("hello"), nullptr);

    sheet = Sheet();
    Prune(sheet->PageLists());
    cddb = sheet->PageCddb();
    EXPECT_EQ(cddb->m_strSite, QString::fromStdString(ov2::FreedbSites()[3]));
    cddb->findChild<QComboBox*>(QStringLiteral("comboSite"))->setEditText(QString());
    cddb->OnButtonDefaultSite();  // an empty site is no choice
    cddb->findChild<QLineEdit*>(QStringLiteral("editHello"))
        ->setText(QStringLiteral(" me@example.org "));
    sheet->accept();
    EXPECT_EQ(History("SearchCombo"), Strings{"Jazz"});
    EXPECT_TRUE(History("LendCombo").empty());
    EXPECT_EQ(*Cddb().m_map.Lookup("active"), ov2::FreedbSites()[3]);
    EXPECT_EQ(*Cddb().m_map.Lookup("hello"), "me@example.org");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SettingsSheetTest, SaveIsRefusedWithoutAFileThatIsThereAndWritable) {
    auto sheet = Sheet();
    sheet->PageCddb()->OnButtonSaveCddb();
    sheet->PageLists()->OnButtonSaveLists();
    EXPECT_EQ(messages.Texts(), Strings(2, "Please, save your document first."));
    EXPECT_EQ(messages.Messages()[1].icon, ov2::MsgIcon::Information);

    TempDir dir;
    const QString gone = QString::fromStdString((dir / "gone.ovd").string());
    ASSERT_TRUE(doc.OnSaveDocument(gone));
    std::filesystem::remove(dir / "gone.ovd");
    sheet = Sheet();
    sheet->PageLists()->OnButtonSaveLists();
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.ovd"));

    const QString locked = QString::fromStdString((dir / "locked.ovd").string());
    ASSERT_TRUE(doc.OnSaveDocument(locked));
    const std::string before = ReadFileBytes(dir / "locked.ovd");
    std::filesystem::permissions(dir / "locked.ovd", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read);
    sheet = Sheet();
    Prune(sheet->PageLists());
    sheet->PageLists()->OnButtonSaveLists();
    sheet->PageCddb()->OnButtonSaveCddb();
    EXPECT_EQ(ReadFileBytes(dir / "locked.ovd"), before);
    ASSERT_EQ(messages.Texts().size(), 5u);
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(messages.Messages()[i].icon, ov2::MsgIcon::Error);
        EXPECT_EQ(messages.Texts()[i].rfind("Failed to save document.", 0), 0u)
            << messages.Texts()[i];
    }
    EXPECT_EQ(History("SearchCombo"), Strings{"Jazz"});  // the catalogue in memory keeps them
}

TEST_F(SettingsSheetTest, SavedSettingsReopenAfterTheDocumentIsLeftUnsaved) {
    TempDir dir;
    const QString path = QString::fromStdString((dir / "cat.ovd").string());
    ASSERT_TRUE(doc.OnSaveDocument(path));
    doc.SetModifiedFlag();
    auto sheet = Sheet();
    Prune(sheet->PageLists());
    sheet->PageLists()->OnButtonSaveLists();
    sheet->PageCddb()->findChild<QComboBox*>(QStringLiteral("comboSite"))->setCurrentIndex(5);
    sheet->PageCddb()->OnButtonDefaultSite();
    sheet->PageCddb()
        ->findChild<QLineEdit*>(QStringLiteral("editHello"))
        ->setText(QStringLiteral("me@host"));
    sheet->PageCddb()->OnButtonSaveCddb();
    sheet->reject();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(messages.Texts().empty());

    COv2Doc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    doc.OnNewDocument();
    auto& settings = reopened.m_pDatabase->m_pSettings->m_map;
    EXPECT_EQ(dynamic_cast<CStringList&>(**settings.Lookup("SearchCombo")).m_strings,
              Strings{"Jazz"});
    EXPECT_TRUE(dynamic_cast<CStringList&>(**settings.Lookup("LendCombo")).m_strings.empty());
    auto& cddb = dynamic_cast<CMapStringToString&>(**settings.Lookup("CDDB")).m_map;
    EXPECT_EQ(*cddb.Lookup("active"), ov2::FreedbSites()[5]);
    EXPECT_EQ(*cddb.Lookup("hello"), "me@host");
    EXPECT_EQ(reopened.m_pDatabase->GetCount(), 1);
}

TEST_F(SettingsSheetTest, TheMenuOpensTheSheetAndThePanelForgetsRemovedEntries) {
    CMainFrame frame(&doc);
    doc.UpdateAllViews();
    auto* combo = frame.findChild<CHistoryCombo*>(QStringLiteral("comboSearch"));
    combo->ShowSuggestions(QStringLiteral("r"), {QStringLiteral("rock")});
    QString caption;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* sheet = qobject_cast<CSettingsSheet*>(QApplication::activeModalWidget());
        if (!sheet) return;
        poll.stop();
        caption = sheet->windowTitle();
        Prune(sheet->PageLists());
        sheet->accept();
    });
    poll.start();
    ASSERT_TRUE(frame.Action(ov2::cmd::kSettings)->isEnabled());
    frame.Action(ov2::cmd::kSettings)->trigger();
    EXPECT_EQ(caption, QStringLiteral("Orvella Settings"));
    EXPECT_EQ(combo->findText(QStringLiteral("rock")), -1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("r"));
}

}  // namespace

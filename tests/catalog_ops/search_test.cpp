// Disc and file searches from the commands panel and the categories panel, and their result
// windows beside the real disc tree and file list: rows, sorting, criteria, Open and Go to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/categories_view.h"
#include "catalog_ops/commands_view.h"
#include "catalog_ops/dialog_search.h"
#include "catalog_ops/history_combo.h"
#include "catalog_ops/history_combo_edit.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "core/string_list.h"
#include "platform/shell_open.h"
#include "tests/support/drive_map.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;
using Texts = std::vector<std::string>;

struct SearchTest : testing::Test {
    SearchTest() {
        doc.OnNewDocument();
        doc.m_pDatabase->AddTail(
            MakeDisc("1", "Best of Rock", {MakeFile("Rock.mp3", "e:\\", "2048", {"Live"})}));
        doc.m_pDatabase->AddTail(
            MakeDisc("2", "Jazz",
                     {MakeFile("readme", "e:\\a\\", "10"), MakeFile("readme", "e:\\b\\", "10"),
                      MakeFile("rock.txt", "e:\\", "5", {"Live", "live"})},
                     {"\ta", "\tb"}));
        doc.m_pDatabase->AddTail(MakeDisc("3", "rock ballads"));
        doc.m_pDatabase->FindDisc("1")->m_lstCategories = {"Rock", "Live"};
        doc.m_pDatabase->FindDisc("3")->m_lstCategories = {"rock"};
        doc.UpdateAllViews();
        window.show();
    }
    ~SearchTest() override {
        for (CDialogSearch* w : Windows()) delete w;
    }

    std::vector<CDialogSearch*> Windows() const {
        std::vector<CDialogSearch*> windows;
        for (QObject* child : panel->children())
            if (auto* w = qobject_cast<CDialogSearch*>(child)) windows.push_back(w);
        return windows;
    }
    // Types the pattern, picks the scope and presses the button; the newest window, if any.
    CDialogSearch* Search(const char* pattern, const char* button, bool byCategory = false) {
        panel->findChild<CHistoryCombo*>(QStringLiteral("comboSearch"))
            ->setEditText(QString::fromUtf8(pattern));
        panel
            ->findChild<QRadioButton*>(byCategory ? QStringLiteral("radioByCategory")
                                                  : QStringLiteral("radioEverything"))
            ->click();
        const std::size_t before = Windows().size();
        QTest::mouseClick(panel->findChild<QToolButton*>(QLatin1String(button)), Qt::LeftButton);
        return Windows().size() > before ? Windows().back() : nullptr;
    }
    static QTreeWidget* Results(CDialogSearch* w) {
        return w->findChild<QTreeWidget*>(QStringLiteral("FileList"));
    }
    // The rows, one text each: the columns joined by "|".
    static Texts Rows(CDialogSearch* w) {
        Texts rows;
        QTreeWidget* list = Results(w);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList columns;
            for (int c = 0; c < list->columnCount(); ++c) columns << list->topLevelItem(i)->text(c);
            rows.push_back(columns.join(QLatin1Char('|')).toStdString());
        }
        return rows;
    }
    static void Press(CDialogSearch* w, const char* objectName) {
        QTest::mouseClick(w->findChild<QPushButton*>(QLatin1String(objectName)), Qt::LeftButton);
    }

    MessageRecorder messages;
    COv2Doc doc;
    QWidget window;
    CCommandsView* panel = new CCommandsView(&doc, &window);
    CLeftView* tree = new CLeftView(&doc, &window);
    COv2View* files = new COv2View(&doc, &window);
    CCategoriesView* categories = new CCategoriesView(&doc, &window);
};

TEST_F(SearchTest, RefusalsOpenNoWindowButThePatternIsRemembered) {
    EXPECT_EQ(Search("", "buttonDiscSearch"), nullptr);
    EXPECT_EQ(Search("", "buttonFileSearch"), nullptr);
    EXPECT_EQ(Search("*", "buttonDiscSearch"), nullptr);
    EXPECT_EQ(Search("rock", "buttonFileSearch", true), nullptr);  // no category selected
    EXPECT_EQ(messages.Texts(), (Texts{"Please, enter a name to search for.",
                                       "Please, enter a file name to search for.",
                                       "Please, use this search pattern only with categories.\n"
                                       "Wildcarts are not implemented in this freeware version.",
                                       "Please, select categories."}));
    // Ctrl+Enter after typing in the search combo runs the file search, again and again; the
    // menu's "CD Search" runs the disc search.
    auto* combo = panel->findChild<CHistoryCombo*>(QStringLiteral("comboSearch"));
    panel->findChild<QRadioButton*>(QStringLiteral("radioEverything"))->click();
    combo->Edit()->clear();
    QTest::keyClicks(combo->Edit(), QStringLiteral("jazz"));
    ASSERT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));
    ASSERT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));
    ASSERT_TRUE(doc.OnCommand(ov2::cmd::kCdSearch));
    ASSERT_EQ(Windows().size(), 3u);
    EXPECT_EQ(Windows()[1]->m_nResultKind, 1);
    EXPECT_EQ(Rows(Windows()[2]), Texts{"Jazz|2|home"});
    // Another case, or a name in a Windows catalogue's bytes, meets what is typed on Linux.
    doc.m_pDatabase->FindDisc("3")->m_strName = "Caf\xC9 JAZZ";
    for (const char* typed : {"JAZZ", "caf\xC3\xA9 jazz"}) {
        combo->setEditText(QString::fromUtf8(typed));
        ASSERT_TRUE(doc.OnCommand(ov2::cmd::kCdSearch));
    }
    EXPECT_EQ(Rows(Windows()[3]), (Texts{"Jazz|2|home", "Caf\xC3\x89 JAZZ|3|home"}));
    EXPECT_EQ(Rows(Windows()[4]), Texts{"Caf\xC3\x89 JAZZ|3|home"});
    const auto* history = dynamic_cast<CStringList*>(
        doc.m_pDatabase->m_pSettings->m_map.Lookup("SearchCombo")->get());
    EXPECT_EQ(history->m_strings, (Texts{"*", "rock", "jazz", "caf\xC3\xA9 jazz"}));
}

TEST_F(SearchTest, RowsStandInCatalogueOrderAndTheFirstClickSortsDescending) {
    CDialogSearch* discs = Search("ROCK", "buttonDiscSearch");
    ASSERT_NE(discs, nullptr);
    EXPECT_EQ(discs->windowTitle(), QStringLiteral("ROCK"));
    EXPECT_EQ(Rows(discs), (Texts{"Best of Rock|1|home", "rock ballads|3|home"}));

    // A new window steps away from the last one instead of covering it.
    discs->move(QPoint(10, 10));
    CDialogSearch* found = Search("r", "buttonFileSearch");
    ASSERT_NE(found, nullptr);
    const int step = 2 * found->fontMetrics().height();
    EXPECT_EQ(found->pos(), QPoint(10 + step, 10 + step));
    // Size fits the largest size whole; Type keeps its width and Name takes the rest.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(found));
    QHeaderView* header = Results(found)->header();
    EXPECT_GT(header->sectionSize(2),
              Results(found)->fontMetrics().horizontalAdvance(QStringLiteral("999999.999 MB")));
    EXPECT_LT(header->sectionSize(3), 80);
    EXPECT_GT(header->sectionSize(0), 180);
    EXPECT_EQ(Rows(found), (Texts{"Rock|1|0.002 MB|MP3", "readme|2|0.000 MB|README",
                                  "readme|2|0.000 MB|README", "rock|2|0.000 MB|TXT"}));
    EXPECT_EQ(found->findChild<QLabel*>(QStringLiteral("labelFound"))->text(), QStringLiteral("4"));
    Results(found)->header()->sectionClicked(2);  // size: descending first, then ascending
    EXPECT_EQ(Rows(found).front(), "Rock|1|0.002 MB|MP3");
    Results(found)->header()->sectionClicked(2);
    EXPECT_EQ(Rows(found).back(), "Rock|1|0.002 MB|MP3");
    Results(found)->header()->sectionClicked(1);
    EXPECT_EQ(Rows(found).front().substr(0, 7), "readme|");

    // Both windows stay open; an edited pattern searches anew, an emptied one is refused.
    auto* pattern = discs->findChild<QLineEdit*>(QStringLiteral("editPattern"));
    pattern->clear();
    QTest::keyClicks(pattern, QStringLiteral("jazz"));
    Press(discs, "buttonSearch");
    EXPECT_EQ(Rows(discs), Texts{"Jazz|2|home"});
    EXPECT_EQ(Rows(found).size(), 4u);
    pattern->selectAll();
    QTest::keyClick(pattern, Qt::Key_Delete);
    Press(discs, "buttonSearch");
    EXPECT_EQ(messages.Texts().back(), "Please, enter the name to search for.");
    EXPECT_EQ(Rows(discs), Texts{"Jazz|2|home"});
}

TEST_F(SearchTest, ByCategoryNeedsEveryCategoryInItsExactCase) {
    doc.m_lstSelectedCategories = {"Live"};
    CDialogSearch* files = Search("*", "buttonFileSearch", true);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(Rows(files), (Texts{"Rock|1|0.002 MB|MP3", "rock|2|0.000 MB|TXT"}));

    doc.m_lstSelectedCategories = {"Rock", "Live"};
    CDialogSearch* discs = Search("*", "buttonDiscSearch", true);
    ASSERT_NE(discs, nullptr);
    EXPECT_EQ(Rows(discs), Texts{"Best of Rock|1|home"});  // "rock" on disc 3 is another category
    doc.m_lstSelectedCategories = {"Jazz"};                // an open window keeps its own

    // A deleted criterion changes nothing until "Search".
    QTreeWidget* criteria = discs->findChild<QTreeWidget*>(QStringLiteral("CatList"));
    ASSERT_EQ(criteria->topLevelItemCount(), 2);
    criteria->topLevelItem(0)->setSelected(true);
    discs->OnSearchDelete();
    EXPECT_EQ(discs->m_lstCategories, Texts{"Live"});
    EXPECT_EQ(Rows(discs), Texts{"Best of Rock|1|home"});
    Press(discs, "buttonSearch");
    EXPECT_EQ(criteria->topLevelItemCount(), 1);
    EXPECT_EQ(Rows(discs), Texts{"Best of Rock|1|home"});

    // "View CDs" with nothing selected lists every disc.
    doc.m_lstSelectedCategories.clear();
    categories->OnViewCommand(ov2::cmd::kViewCds);
    EXPECT_EQ(Rows(Windows().back()),
              (Texts{"Best of Rock|1|home", "Jazz|2|home", "rock ballads|3|home"}));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SearchTest, OpenAndGoToActOnTheRowsOwnRecord) {
    TempDir disc;
    std::filesystem::create_directories(disc / "a");
    std::filesystem::create_directories(disc / "b");
    WriteFileBytes(disc / "a" / "readme", "0123456789");
    WriteFileBytes(disc / "b" / "readme", "0123456789");
    QStringList opened;
    bool succeed = true;
    const ov2::OpenHandler previous = ov2::SetOpenHandler([&](const QString& target) {
        opened << target;
        return succeed;
    });

    CDialogSearch* found = Search("readme", "buttonFileSearch");
    ASSERT_NE(found, nullptr);
    QTreeWidget* list = Results(found);
    {
        const DriveMap drives("E=cdrom:" + disc.path().string());
        for (int row : {1, 0}) {
            list->setCurrentItem(list->topLevelItem(row));
            found->OnSearchOpen();
        }
        succeed = false;
        found->OnSearchOpen();
    }
    const QString root = QString::fromStdString(disc.path().string());
    EXPECT_EQ(opened,
              (QStringList{root + QStringLiteral("/b/readme"), root + QStringLiteral("/a/readme"),
                           root + QStringLiteral("/a/readme")}));
    found->OnSearchOpen();  // the disc is in no drive now: asked for, cancelled
    EXPECT_EQ(messages.Texts(),
              (Texts{"File Opening Failed", "Please, insert CD 2 and then press OK."}));

    list->setCurrentItem(list->topLevelItem(1));
    found->OnSearchGoto();
    EXPECT_EQ(tree->GetItemPath(tree->currentItem()), "2 Jazz\\b");
    ASSERT_NE(files->currentItem(), nullptr);
    EXPECT_EQ(files->currentItem()->text(0), QStringLiteral("readme"));

    // A disc deleted since the search is neither opened nor gone to.
    doc.m_pDatabase->DeleteDisc("2");
    opened.clear();
    found->OnSearchOpen();
    found->OnSearchGoto();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(messages.Texts().size(), 2u);
    ov2::SetOpenHandler(previous);
}

}  // namespace

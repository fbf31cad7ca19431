// Lending through the commands panel and the two lending lists, beside the real disc tree.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "app/left_view.h"
#include "catalog_ops/commands_view.h"
#include "catalog_ops/history_combo.h"
#include "core/ov2_doc.h"
#include "core/string_list.h"
#include "platform/clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace {

using Texts = std::vector<std::string>;

struct LendTest : testing::Test {
    LendTest() {
        doc.OnNewDocument();
        window.show();
        for (const char* n : {"1", "2", "3", "4"})
            doc.m_pDatabase->AddTail(ov2::test::MakeDisc(n, "Disc"));
        Disc("1")->m_strLocation = "\xC4NNA";  // "ÄNNA", lent on Windows
        Disc("3")->m_strLocation = "Bob";
        Disc("1")->m_strLendDate = "May 01 2020";
        doc.UpdateAllViews();
    }
    ~LendTest() override { ov2::SetTodayHandler(previousClock); }

    COvDisc* Disc(const char* n) { return doc.m_pDatabase->FindDisc(n); }
    // Selecting shows the disc's label, borrower text included, so the borrower comes after.
    void Run(const char* n, const char* borrower, const char* button) {
        tree->setCurrentItem(tree->FindDiscItem(n));
        panel->findChild<CHistoryCombo*>(QStringLiteral("comboLend"))
            ->setEditText(QLatin1String(borrower));
        QTest::mouseClick(panel->findChild<QToolButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    std::string Shown(const char* n) {  // the disc's location and date, and what the panel shows
        return Disc(n)->m_strLocation.str() + " " + Disc(n)->m_strLendDate.str() + " " +
               panel->findChild<QLabel*>(QStringLiteral("labelLocation"))->text().toStdString();
    }
    // `inspect` sees the modal dialog that the button opens, which is closed afterwards.
    void WithDialog(const char* borrower, const char* button,
                    std::function<void(QDialog*, QTreeWidget*)> inspect) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog && QTest::qWaitForWindowExposed(dialog));
            inspect(dialog, dialog->findChild<QTreeWidget*>());
            if (dialog->isVisible()) dialog->reject();
        });
        Run("1", borrower, button);
    }

    ov2::TodayHandler previousClock = ov2::SetTodayHandler([] {
        return ov2::CalendarDate{2003, 3, 5};
    });
    ov2::test::MessageRecorder messages;
    COv2Doc doc;
    QWidget window;
    CCommandsView* panel = new CCommandsView(&doc, &window);
    CLeftView* tree = new CLeftView(&doc, &window);
};

TEST_F(LendTest, LendingGivesTheCurrentDiscAwayOnceAndGetBackBringsItHomeWithTodaysDate) {
    Run("2", "", "buttonLend");
    Run("2", "Anna", "buttonLend");
    EXPECT_EQ(Shown("2"), "Anna March 05 2003 Anna");
    EXPECT_TRUE(doc.IsModified());
    Run("2", "Bob", "buttonLend");
    Run("4", "Anna", "buttonLend");
    Run("1", "", "buttonGetBack");
    EXPECT_EQ(Shown("1"), "home March 05 2003 home");
    Run("1", "", "buttonGetBack");
    Run("1", "home", "buttonLend");
    EXPECT_EQ(Disc("1")->m_strLocation, "home");  // still available
    EXPECT_EQ(messages.Texts(), (Texts{"Please, enter a name.", "Anna March 05 2003",
                                       "This CD is already given away.", "Anna March 05 2003",
                                       "This CD is already is available.", "home March 05 2003"}));
    auto* history = doc.m_pDatabase->m_pSettings->m_map.Lookup("LendCombo")->get();
    EXPECT_EQ(dynamic_cast<CStringList*>(history)->m_strings, (Texts{"Anna", "home"}));
}

TEST_F(LendTest, ListsShowLentOrAvailableDiscsTakeDiscsBackAndPickOneForTheTree) {
    WithDialog("", "buttonShowNotAvailable", [](QDialog* dialog, QTreeWidget* list) {
        EXPECT_EQ(dialog->windowTitle() + QString::number(list->topLevelItemCount()),
                  QStringLiteral("All Notavailble CD's2"));
    });
    WithDialog("\xE4nna", "buttonShowNotAvailable", [](QDialog* dialog, QTreeWidget* list) {
        ASSERT_EQ(list->topLevelItemCount(), 1);
        list->topLevelItem(0)->setSelected(true);
        dialog->findChild<QAction*>(QStringLiteral("actionGetBack"))->trigger();
        EXPECT_TRUE(dialog->isVisible() && list->topLevelItemCount() == 0);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("All CD's bei \u00E4nna"));
    });
    EXPECT_EQ(messages.Texts(), Texts{"All Discs are available"});
    EXPECT_EQ(Shown("1"), "home May 01 2020 home");  // the panel no longer shows ÄNNA

    WithDialog("", "buttonShowAvailable", [](QDialog*, QTreeWidget* list) {
        ASSERT_EQ(list->topLevelItemCount(), 3);  // 1, 2, 4
        const QPoint row = list->visualItemRect(list->topLevelItem(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    });
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "4");
}

}  // namespace

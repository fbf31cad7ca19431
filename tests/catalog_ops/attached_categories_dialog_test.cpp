#include "catalog_ops/attached_categories_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/ov_file_data.h"
#include "tests/support/sample_catalogue.h"

namespace {

using Categories = std::vector<std::string>;

QString Q(const char* text) { return QString::fromUtf8(text); }

// A shown dialog over one file record, counting the calls of its markModified.
class AttachedCategoriesTest : public ::testing::Test {
protected:
    void Open(Categories categories) {
        m_file = ov2::test::MakeFile("Song.mp3", "e:\\music\\", "1000", std::move(categories));
        m_dialog = std::make_unique<CDialogAttachedCategories>(*m_file, [this] { ++m_modified; });
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_list = m_dialog->findChild<QTreeWidget*>(QStringLiteral("listCategories"));
        ASSERT_NE(m_list, nullptr);
    }
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < m_list->topLevelItemCount(); ++i) rows << m_list->topLevelItem(i)->text(0);
        return rows;
    }
    QPoint RowCenter(int row) const { return m_list->visualItemRect(m_list->topLevelItem(row)).center(); }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, modifiers, RowCenter(row));
    }
    // Right-clicks the row and chooses "Delete" in the menu that opens.
    void DeleteByMenu(int row) {
        // A right click presses the button (which keeps a selection that holds the row) and,
        // as the window system does it, asks for the context menu.
        QWidget* viewport = m_list->viewport();
        QTest::mouseClick(viewport, Qt::RightButton, {}, RowCenter(row));
        QContextMenuEvent request(QContextMenuEvent::Mouse, RowCenter(row), viewport->mapToGlobal(RowCenter(row)));
        QApplication::sendEvent(viewport, &request);
        auto* menu = m_dialog->findChild<QMenu*>(QStringLiteral("menuFileDlg"));
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        auto* remove = menu->findChild<QAction*>(QStringLiteral("actionDelete"));
        ASSERT_NE(remove, nullptr);
        EXPECT_EQ(remove->text(), QStringLiteral("Delete"));
        EXPECT_EQ(remove->data().toInt(), 32785);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(remove).center());
    }

    std::shared_ptr<COvFileData> m_file;
    std::unique_ptr<CDialogAttachedCategories> m_dialog;
    QTreeWidget* m_list = nullptr;
    int m_modified = 0;
};

TEST_F(AttachedCategoriesTest, ShowsTheFileAndItsCategoriesInReverseOrder) {
    Open({"Rock", "Live", "blues"});

    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("List of Attached Categories"));
    EXPECT_TRUE(m_dialog->isModal());
    QStringList labels;
    for (const QLabel* label : m_dialog->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Edit the Attached Categories:")));
    EXPECT_EQ(m_dialog->findChild<QLabel*>(QStringLiteral("labelFileName"))->text(), QStringLiteral("Song.mp3"));

    EXPECT_EQ(m_list->columnCount(), 1);
    EXPECT_EQ(m_list->headerItem()->text(0), QStringLiteral("Category"));
    EXPECT_EQ(m_list->columnWidth(0), m_list->viewport()->width());  // a long name is not cut short
    EXPECT_EQ(m_list->iconSize(), QSize(24, 24));
    EXPECT_FALSE(m_list->topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(Rows(), (QStringList{Q("blues"), Q("Live"), Q("Rock")}));
}

TEST_F(AttachedCategoriesTest, FirstHeaderClickSortsDownWithoutRegardToCase) {
    Open({"beta", "Alpha", "gamma", "Delta"});
    ASSERT_EQ(Rows(), (QStringList{Q("Delta"), Q("gamma"), Q("Alpha"), Q("beta")}));
    QHeaderView* header = m_list->header();
    const QPoint point(header->sectionSize(0) / 2, header->height() / 2);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(Rows(), (QStringList{Q("gamma"), Q("Delta"), Q("beta"), Q("Alpha")}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(Rows(), (QStringList{Q("Alpha"), Q("beta"), Q("Delta"), Q("gamma")}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(m_file->m_lstCategories, (Categories{"beta", "Alpha", "gamma", "Delta"}));
    EXPECT_EQ(m_modified, 0);
}

TEST_F(AttachedCategoriesTest, DeleteRemovesExactlyTheSelectedCategories) {
    Open({"Rock", "Live", "Jazz", "Pop"});  // shown: Pop, Jazz, Live, Rock
    ClickRow(0);
    ClickRow(2, Qt::ControlModifier);
    ASSERT_EQ(m_list->selectedItems().size(), 2);

    DeleteByMenu(2);

    EXPECT_EQ(m_file->m_lstCategories, (Categories{"Rock", "Jazz"}));
    EXPECT_EQ(Rows(), (QStringList{Q("Jazz"), Q("Rock")}));
    EXPECT_EQ(m_modified, 1);
}

TEST_F(AttachedCategoriesTest, DeleteAfterSortingRemovesTheRowsChosenInTheSortedList) {
    Open({"b", "d", "a", "c"});
    QHeaderView* header = m_list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(10, header->height() / 2));
    ASSERT_EQ(Rows(), (QStringList{Q("d"), Q("c"), Q("b"), Q("a")}));
    ClickRow(1);
    DeleteByMenu(1);
    EXPECT_EQ(m_file->m_lstCategories, (Categories{"b", "d", "a"}));
    EXPECT_EQ(Rows(), (QStringList{Q("a"), Q("d"), Q("b")}));  // the record's order again
    EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST_F(AttachedCategoriesTest, DeleteFindsCategoriesOfOldCataloguesAndDuplicatesOneAtATime) {
    Open({"Chanson fran\xe7" "aise", "Rock", "Rock"});  // Windows-1252 bytes
    ASSERT_EQ(Rows(), (QStringList{Q("Rock"), Q("Rock"), Q("Chanson française")}));
    ClickRow(2);
    ClickRow(0, Qt::ControlModifier);
    m_dialog->OnFiledlgDelete();
    EXPECT_EQ(m_file->m_lstCategories, (Categories{"Rock"}));
    EXPECT_EQ(m_modified, 1);
}

TEST_F(AttachedCategoriesTest, DeleteWithoutSelectionChangesNothing) {
    Open({"Rock", "Jazz"});
    m_list->clearSelection();
    m_dialog->OnFiledlgDelete();
    EXPECT_EQ(m_file->m_lstCategories, (Categories{"Rock", "Jazz"}));
    EXPECT_EQ(Rows(), (QStringList{Q("Jazz"), Q("Rock")}));
    EXPECT_EQ(m_modified, 0);
}

TEST_F(AttachedCategoriesTest, FileWithoutCategoriesAndWithoutModifiedCallback) {
    auto file = ov2::test::MakeFile("", "e:\\", "0");
    CDialogAttachedCategories dialog(*file, nullptr);
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("listCategories"));
    EXPECT_EQ(list->topLevelItemCount(), 0);
    dialog.OnFiledlgDelete();
    file->m_lstCategories = {"Rock"};
    CDialogAttachedCategories second(*file, nullptr);
    second.findChild<QTreeWidget*>(QStringLiteral("listCategories"))->topLevelItem(0)->setSelected(true);
    second.OnFiledlgDelete();  // no callback to call: the record still changes
    EXPECT_TRUE(file->m_lstCategories.empty());
}

TEST_F(AttachedCategoriesTest, OkCloses) {
    Open({"Rock"});
    QTest::mouseClick(m_dialog->findChild<QPushButton*>(QStringLiteral("buttonOk")), Qt::LeftButton);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
}

}  // namespace

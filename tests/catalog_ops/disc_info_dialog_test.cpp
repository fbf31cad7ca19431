#include "catalog_ops/disc_info_dialog.h"

#include <gtest/gtest.h>

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/ov_disc.h"
#include "tests/support/sample_catalogue.h"

namespace {

using ov2::test::MakeDisc;
using ov2::test::MakeFile;

QString Q(const char* text) { return QString::fromUtf8(text); }

// The text of a value label and of the caption beside it.
struct Field {
    QString caption;
    QString value;
};

Field FieldOf(const QDialog& dialog, const char* objectName) {
    const auto* value = dialog.findChild<QLabel*>(QString::fromLatin1(objectName));
    if (!value) return {};
    const auto* form = dialog.findChild<QFormLayout*>();
    const auto* caption = form ? qobject_cast<QLabel*>(form->labelForField(const_cast<QLabel*>(value))) : nullptr;
    return {caption ? caption->text() : QString(), value->text()};
}

QStringList Rows(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) rows << list->topLevelItem(i)->text(0);
    return rows;
}

void ClickHeader(QTreeWidget* list, int column) {
    QHeaderView* header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
}

std::shared_ptr<COvDisc> LabelledDisc() {
    auto disc = MakeDisc("42", "Caf\xe9 Jazz",  // an old catalogue's Windows-1252 bytes
                         {MakeFile("a.mp3", "e:\\", "1048576"), MakeFile("b.mp3", "e:\\", "524288"),
                          MakeFile("c.txt", "e:\\", "not a size")});
    disc->m_strLocation = "Anna";
    disc->m_strSavedAt = "March 03 2025";
    disc->m_strLendDate = "December 07 2026";
    disc->m_strQuality = "Good";
    disc->m_strNotes = "first line\r\nsecond line";
    disc->m_lstCategories = {"Rock", "Blues", "jazz"};
    return disc;
}

TEST(CDialogDiscInfo, ShowsEveryLabelOfTheDisc) {
    const auto disc = LabelledDisc();
    CDialogDiscInfo dialog(*disc);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dialog"));
    EXPECT_TRUE(dialog.isModal());
    const std::vector<std::pair<const char*, Field>> expected = {
        {"labelName", {Q("CD Name:"), Q("Café Jazz")}},
        {"labelNumber", {Q("CD Number:"), Q("42")}},
        {"labelLocation", {Q("CD Location:"), Q("Anna")}},
        {"labelSavedAt", {Q("Saved At:"), Q("March 03 2025")}},
        {"labelLendDate", {Q("( Lend Date: )"), Q("December 07 2026")}},
        {"labelQuality", {Q("CD Quality:"), Q("Good")}},
        {"labelFileCount", {Q("Number of Files:"), Q("3")}},
        {"labelFullSize", {Q("Full Disc Size:"), Q("1.500 MB")}},
    };
    for (const auto& [name, field] : expected) {
        SCOPED_TRACE(name);
        const Field shown = FieldOf(dialog, name);
        EXPECT_EQ(shown.caption, field.caption);
        EXPECT_EQ(shown.value, field.value);
    }

    const auto* notes = dialog.findChild<QPlainTextEdit*>(QStringLiteral("editNotes"));
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isReadOnly());
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("first line\nsecond line"));
    const auto* form = dialog.findChild<QFormLayout*>();
    const auto* notesCaption = qobject_cast<QLabel*>(form->labelForField(const_cast<QPlainTextEdit*>(notes)));
    ASSERT_NE(notesCaption, nullptr);
    EXPECT_EQ(notesCaption->text(), QStringLiteral("Notes:"));
}

TEST(CDialogDiscInfo, ListsCategoriesInReverseOrderUnderOneColumn) {
    const auto disc = LabelledDisc();
    CDialogDiscInfo dialog(*disc);
    const auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("listCategories"));
    ASSERT_NE(list, nullptr);

    EXPECT_EQ(list->columnCount(), 1);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("CD Categories"));
    EXPECT_EQ(list->columnWidth(0), 150);
    EXPECT_EQ(Rows(list), (QStringList{Q("jazz"), Q("Blues"), Q("Rock")}));
    EXPECT_FALSE(list->topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(list->iconSize(), QSize(16, 16));
}

TEST(CDialogDiscInfo, DiscWithoutFilesShowsZeroes) {
    const auto disc = MakeDisc("7", "Empty");
    CDialogDiscInfo dialog(*disc);
    EXPECT_EQ(FieldOf(dialog, "labelFileCount").value, QStringLiteral("0"));
    EXPECT_EQ(FieldOf(dialog, "labelFullSize").value, QStringLiteral("0.000 MB"));
    EXPECT_EQ(dialog.findChild<QTreeWidget*>(QStringLiteral("listCategories"))->topLevelItemCount(), 0);
}

TEST(CDialogDiscInfo, FirstHeaderClickSortsUpWithoutRegardToCase) {
    const auto disc = LabelledDisc();
    CDialogDiscInfo dialog(*disc);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("listCategories"));

    ClickHeader(list, 0);
    EXPECT_EQ(Rows(list), (QStringList{Q("Blues"), Q("jazz"), Q("Rock")}));
    EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    ClickHeader(list, 0);
    EXPECT_EQ(Rows(list), (QStringList{Q("Rock"), Q("jazz"), Q("Blues")}));
    EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    // Showing and sorting left the record alone.
    EXPECT_EQ(disc->m_lstCategories, (std::vector<std::string>{"Rock", "Blues", "jazz"}));
}

TEST(CDialogDiscInfo, OkCloses) {
    const auto disc = LabelledDisc();
    CDialogDiscInfo dialog(*disc);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("buttonOk"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace

// The categories panel beside the real disc tree and file list: creating, renaming, deleting,
// attaching and removing categories, the notes, the Ctrl+Enter and Del targets and the menus.
#include "catalog_ops/categories_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace {

using namespace ov2::test;
using Names = std::vector<std::string>;

QStringList Rows(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) rows << list->topLevelItem(i)->text(0);
    return rows;
}

struct CategoriesViewTest : testing::Test {
    CategoriesViewTest() {
        doc.OnNewDocument();
        auto& db = *doc.m_pDatabase;
        db.AddTail(
            MakeDisc("1", "Hits",
                     {MakeFile("one.mp3", "d:\\", "10", {"rock"}),
                      MakeFile("two.mp3", "d:\\", "20"), MakeFile("three.mp3", "d:\\", "30")}));
        db.m_lstDiscs[0]->m_lstCategories = {"Live"};
        db.m_lstDiscs[0]->m_strNotes = "first\r\nline two";
        db.AddTail(MakeDisc("2", "Jazz", {MakeFile("a.mp3", "e:\\", "5", {"Live", "rock"})}));
        db.m_lstDiscs[1]->m_lstCategories = {"rock", "Live"};
        db.m_lstDiscs[1]->m_strNotes = "caf\xe9";  // made on Windows: not UTF-8
        db.m_pCategories->m_strings = {"rock", "Live", "Blues"};

        auto* layout = new QHBoxLayout(&window);
        tree = new CLeftView(&doc);
        files = new COv2View(&doc);
        panel = new CCategoriesView(&doc);
        for (QWidget* w : {static_cast<QWidget*>(tree), static_cast<QWidget*>(files),
                           static_cast<QWidget*>(panel)})
            layout->addWidget(w);
        window.resize(900, 600);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        doc.UpdateAllViews();
        all = panel->findChild<QTreeWidget*>(QStringLiteral("listCategories"));
        attached = panel->findChild<QTreeWidget*>(QStringLiteral("listAttached"));
        notes = panel->findChild<QPlainTextEdit*>(QStringLiteral("editNotes"));
        edit = panel->findChild<QLineEdit*>(QStringLiteral("editCategory"));
        create = panel->findChild<QToolButton*>(QStringLiteral("buttonCreateCategory"));
    }

    COvDisc& Disc(int i) { return *doc.m_pDatabase->m_lstDiscs[i]; }
    // The tree makes the disc current and has the panel show it.
    void SelectDisc(const char* number) { tree->setCurrentItem(tree->FindDiscItem(number)); }
    void Type(QWidget* field, const QString& text) {
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    QPoint RowPoint(QTreeWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1) << text.toStdString();
        return found.isEmpty() ? QPoint() : list->visualItemRect(found.first()).center();
    }
    void Click(QTreeWidget* list, const QString& text, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, RowPoint(list, text));
    }
    // A right click on the row (or at `point` when no row is named) and the menu it opens.
    QMenu* RightClick(QTreeWidget* list, const QString& row) {
        const QPoint point =
            row.isEmpty() ? QPoint(5, list->viewport()->height() - 5) : RowPoint(list, row);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, point);
        QContextMenuEvent request(QContextMenuEvent::Mouse, point,
                                  list->viewport()->mapToGlobal(point));
        QApplication::sendEvent(list->viewport(), &request);
        const auto popup = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
        return QTest::qWaitFor([&] { return popup() != nullptr; }, 200) ? popup() : nullptr;
    }
    void Choose(QTreeWidget* list, const QString& row, const char* action) {
        QMenu* menu = RightClick(list, row);
        ASSERT_NE(menu, nullptr);
        auto* item = menu->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(menu->actions().contains(item) && item->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
    // Renames the row by the menu's command, typing the new name and Enter (or Escape). (The
    // command is given directly: a closed menu leaves no window active on the offscreen
    // platform, and an inactive window ends every label edit at once.)
    void Rename(const QString& row, const QString& name, Qt::Key end = Qt::Key_Return) {
        // Another row first: a click on the selected row would begin an edit of its own.
        Click(all, QStringLiteral("Blues"));
        Click(all, row);
        EXPECT_TRUE(panel->OnViewCommand(ov2::cmd::kRenameCategory));
        QLineEdit* editor = nullptr;
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return (editor = all->findChild<QLineEdit*>()) != nullptr; }));
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, end);
        QTRY_COMPARE(all->findChild<QLineEdit*>(), nullptr);
    }

    MessageRecorder messages;
    COv2Doc doc;
    QWidget window;
    CLeftView* tree = nullptr;
    COv2View* files = nullptr;
    CCategoriesView* panel = nullptr;
    QTreeWidget *all = nullptr, *attached = nullptr;
    QPlainTextEdit* notes = nullptr;
    QLineEdit* edit = nullptr;
    QToolButton* create = nullptr;
};

TEST_F(CategoriesViewTest, ShowsTheCatalogueAndTheCurrentDiscWithoutMarkingIt) {
    ASSERT_TRUE(all && attached && notes && edit && create);
    EXPECT_EQ(all->headerItem()->text(0), QStringLiteral("Category Sort"));
    EXPECT_EQ(all->columnWidth(0), all->viewport()->width());  // a long name is not cut short
    EXPECT_EQ(create->toolTip(), QStringLiteral("Create New Category     Ctrl + Enter"));
    EXPECT_FALSE(panel->findChild<QPushButton*>(QStringLiteral("buttonSaveNotes"))->isVisible());
    // Ascending without regard to case, whatever the catalogue's order of creation.
    EXPECT_EQ(Rows(all), (QStringList{QStringLiteral("Blues"), QStringLiteral("Live"),
                                      QStringLiteral("rock")}));
    EXPECT_EQ(Rows(attached), QStringList{QStringLiteral("Live")});
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("first\nline two"));

    // Showing another disc's texts is no edit: nothing is stored, marked or targeted.
    Type(edit, QStringLiteral("x"));
    SelectDisc("2");
    EXPECT_EQ(Rows(attached), (QStringList{QStringLiteral("Live"), QStringLiteral("rock")}));
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("caf\u00e9"));
    SelectDisc("1");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_nEnterTarget, 7);
    EXPECT_EQ(Disc(1).m_strNotes, "caf\xe9");

    // The first header click sorts descending (kind 2), the second ascending.
    QHeaderView* header = all->header();
    const QPoint section(header->sectionViewportPosition(0) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, section);
    EXPECT_EQ(Rows(all), (QStringList{QStringLiteral("rock"), QStringLiteral("Live"),
                                      QStringLiteral("Blues")}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, section);
    EXPECT_EQ(Rows(all).first(), QStringLiteral("Blues"));
}

TEST_F(CategoriesViewTest, CreatesNamesThatDifferInCaseButNotTheSameNameTwice) {
    Type(edit, QStringLiteral("Rock"));
    EXPECT_EQ(doc.m_nEnterTarget, 7);
    QTest::mouseClick(create, Qt::LeftButton);
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings, (Names{"rock", "Live", "Blues", "Rock"}));
    EXPECT_TRUE(Rows(all).contains(QStringLiteral("Rock")) &&
                Rows(all).contains(QStringLiteral("rock")));
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(messages.Texts().empty());

    // Enter in the field creates the category too.
    Type(edit, QStringLiteral("Jazz"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings.back(), "Jazz");

    doc.SetModifiedFlag(false);
    Type(edit, QStringLiteral("Rock"));
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));
    EXPECT_EQ(messages.Texts(), Names{"Thies Category is already on your list!"});
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings.size(), 5u);
    EXPECT_EQ(all->topLevelItemCount(), 5);
    EXPECT_FALSE(doc.IsModified());

    // An empty catalogue takes no categories.
    doc.OnNewDocument();
    doc.UpdateAllViews();
    EXPECT_FALSE(create->isEnabled());
    edit->setText(QStringLiteral("Pop"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(doc.m_pDatabase->m_pCategories->m_strings.empty());
    EXPECT_EQ(all->topLevelItemCount(), 0);
}

TEST_F(CategoriesViewTest, RenamesEverywhereButRefusesANameOfAnyCase) {
    SelectDisc("2");
    doc.m_pDatabase->m_pCategories->m_strings.push_back("Rock");
    doc.UpdateAllViews();  // the list now holds Rock and rock
    SelectDisc("2");

    for (const char* refused : {"ROCK", "Rock", "blues", ""}) {
        Rename(QStringLiteral("rock"), QString::fromLatin1(refused));
        EXPECT_TRUE(Rows(all).contains(QStringLiteral("rock"))) << refused;
    }
    Rename(QStringLiteral("rock"), QStringLiteral("Metal"), Qt::Key_Escape);
    EXPECT_TRUE(messages.Texts().empty());  // refusals are silent
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Disc(1).m_lstCategories, (Names{"rock", "Live"}));

    Rename(QStringLiteral("rock"), QStringLiteral("Metal"));
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings, (Names{"Metal", "Live", "Blues", "Rock"}));
    EXPECT_EQ(Disc(1).m_lstCategories, (Names{"Metal", "Live"}));
    EXPECT_EQ(Disc(0).m_lstFiles[0]->m_lstCategories, Names{"Metal"});
    EXPECT_EQ(Disc(1).m_lstFiles[0]->m_lstCategories, (Names{"Live", "Metal"}));
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstCategories, (Names{"Metal", "Live"}));
    EXPECT_EQ(Rows(attached), (QStringList{QStringLiteral("Live"), QStringLiteral("Metal")}));
    EXPECT_TRUE(Rows(all).contains(QStringLiteral("Rock")));  // the other case is another name
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(CategoriesViewTest, DeleteKeyRemovesCategoriesFromEveryDiscAndFile) {
    SelectDisc("2");
    Click(all, QStringLiteral("rock"));
    Click(all, QStringLiteral("Live"), Qt::ControlModifier);
    EXPECT_EQ(doc.m_lstSelectedCategories, (Names{"Live", "rock"}));
    EXPECT_EQ(doc.m_nDeleteTarget, 2);

    Choose(all, QStringLiteral("Live"), "actionDeleteCategory");  // answered No
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "Do you really want to delete this Categoriy ?");
    EXPECT_EQ(messages.Messages()[0].buttons, ov2::MsgButtons::YesNo);
    EXPECT_EQ(messages.Messages()[0].icon, ov2::MsgIcon::Question);
    EXPECT_EQ(messages.Messages()[0].defaultAnswer, ov2::MsgResult::No);
    EXPECT_EQ(all->topLevelItemCount(), 3);
    EXPECT_FALSE(doc.IsModified());

    messages.Answer(ov2::MsgResult::Yes);
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kDelete));
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings, Names{"Blues"});
    EXPECT_EQ(Rows(all), QStringList{QStringLiteral("Blues")});
    for (int d = 0; d < 2; ++d) {
        EXPECT_TRUE(Disc(d).m_lstCategories.empty()) << d;
        for (const auto& file : Disc(d).m_lstFiles) EXPECT_TRUE(file->m_lstCategories.empty()) << d;
    }
    EXPECT_TRUE(doc.m_pCurrentDisc->m_lstCategories.empty());
    EXPECT_EQ(attached->topLevelItemCount(), 0);
    EXPECT_EQ(doc.m_lstSelectedCategories, (Names{"Live", "rock"}));  // until the next click
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(CategoriesViewTest, AttachesToTheDiscOnceAndToEverySelectedFile) {
    Click(all, QStringLiteral("Blues"));
    Choose(all, QStringLiteral("Blues"), "actionAttachToCd");
    Choose(all, QStringLiteral("Blues"), "actionAttachToCd");
    EXPECT_EQ(Disc(0).m_lstCategories, (Names{"Live", "Blues"}));
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstCategories, (Names{"Live", "Blues"}));
    EXPECT_EQ(Rows(attached), (QStringList{QStringLiteral("Blues"), QStringLiteral("Live")}));
    EXPECT_TRUE(doc.IsModified());

    // Two of the three files, two categories: each selected file gets each once.
    const auto rowPoint = [this](int row) {
        return files->visualItemRect(files->topLevelItem(row)).center();
    };
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, rowPoint(0));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(2));
    Click(all, QStringLiteral("rock"), Qt::ControlModifier);
    Choose(all, QStringLiteral("rock"), "actionAttachToFile");
    EXPECT_EQ(Disc(0).m_lstFiles[0]->m_lstCategories, (Names{"rock", "Blues"}));
    EXPECT_TRUE(Disc(0).m_lstFiles[1]->m_lstCategories.empty());
    EXPECT_EQ(Disc(0).m_lstFiles[2]->m_lstCategories, (Names{"Blues", "rock"}));

    // Removing from the disc (Del, target 3) leaves the catalogue and the files alone.
    Click(attached, QStringLiteral("Blues"));
    EXPECT_EQ(doc.m_nDeleteTarget, 3);
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kDelete));
    EXPECT_EQ(Disc(0).m_lstCategories, Names{"Live"});
    EXPECT_EQ(Rows(attached), QStringList{QStringLiteral("Live")});
    EXPECT_EQ(Disc(0).m_lstFiles[2]->m_lstCategories, (Names{"Blues", "rock"}));
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings.size(), 3u);
}

TEST_F(CategoriesViewTest, NotesAreSavedPerKeystrokeAndKeepTheArtist) {
    // A click below the text puts the caret after it.
    QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                      notes->viewport()->rect().bottomRight() - QPoint(3, 3));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("!"));
    EXPECT_EQ(Disc(0).m_strNotes, "first\r\nline two!");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nEnterTarget, 9);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3"));
    EXPECT_EQ(Disc(0).m_strNotes, "first\r\nline two!\r\n3");

    // The commands panel saves the artist with the working copy's other texts.
    const COvDisc& copy = *doc.m_pCurrentDisc;
    doc.m_pDatabase->SetDiscDetails("1", "Miles", copy.m_strQuality, copy.m_strNotes);
    EXPECT_EQ(Disc(0).m_strNotes, "first\r\nline two!\r\n3");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    EXPECT_EQ(Disc(0).m_strArtist, "Miles");
    EXPECT_EQ(Disc(0).m_strNotes, "first\r\nline two!\r\n");
    EXPECT_EQ(doc.m_pCurrentDisc->m_strArtist, "Miles");

    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));  // target 9: the same notes again
    EXPECT_EQ(Disc(0).m_strNotes, "first\r\nline two!\r\n");
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("first\nline two!\n"));
}

TEST_F(CategoriesViewTest, MenusOfTheTwoListsAndNoneForAnEmptyCatalogue) {
    QMenu* menu = RightClick(all, QStringLiteral("Live"));
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Attach to CD"),
                                  QStringLiteral("Attach to a File"), QStringLiteral("&Rename"),
                                  QStringLiteral("Delete"), QStringLiteral("View CDs")}));
    EXPECT_TRUE(menu->actions().last()->isEnabled());
    menu->close();

    menu = RightClick(attached, QStringLiteral("Live"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("&Delete"));
    menu->close();

    doc.OnNewDocument();
    doc.UpdateAllViews();
    EXPECT_EQ(RightClick(all, QString()), nullptr);
}

}  // namespace

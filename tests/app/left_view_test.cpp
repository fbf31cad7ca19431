// The disc tree with real widgets: branches from outlines, selection, renaming, renumbering,
// deletion and finding a file's folder.
#include "app/left_view.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "app/ov2_view.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace {

using namespace ov2::test;

struct LeftViewTest : testing::Test {
    LeftViewTest() {
        doc.OnNewDocument();
        tree.show();  // label editing needs a visible tree
    }

    void Load(std::vector<std::shared_ptr<COvDisc>> discs) {
        for (auto& d : discs) doc.m_pDatabase->AddTail(std::move(d));
        doc.UpdateAllViews();
        tree.SelectFirstVisible();
    }
    std::vector<std::string> TopLabels() const {
        std::vector<std::string> labels;
        for (int i = 0; i < tree.topLevelItemCount(); ++i) labels.push_back(CLeftView::ItemLabel(tree.topLevelItem(i)));
        return labels;
    }
    // The branch as outline text: one line per node, TAB-indented.
    static std::string Outline(const QTreeWidgetItem* item, int depth = 0) {
        std::string text = std::string(depth, '\t') + CLeftView::ItemLabel(item) + "\n";
        for (int i = 0; i < item->childCount(); ++i) text += Outline(item->child(i), depth + 1);
        return text;
    }
    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < files.topLevelItemCount(); ++i)
            names.push_back(files.topLevelItem(i)->data(0, COv2View::kNameRole).toByteArray().toStdString());
        return names;
    }

    COv2Doc doc;
    CLeftView tree{&doc};
    COv2View files{&doc};
};

TEST_F(LeftViewTest, BranchesFollowTheOutlineAndMendItsFaults) {
    auto odd = MakeDisc("5", "Odd");
    // Two levels deeper goes under the line before; a line above the root's level stays under
    // the disc; a last line without CR LF is no line.
    odd->m_strFolderTree = "\t5 Odd\r\n\t\tA\r\n\t\t\t\tB\r\n\tC\r\n\t\tD\r\n\r\n\t\tlost";
    auto empty = MakeDisc("7", "No outline");
    empty->m_strFolderTree = "";
    auto misnamed = MakeDisc("9", "Real");
    misnamed->m_strFolderTree = "old label\r\n\tfolder\r\n";
    Load({odd, empty, misnamed});

    EXPECT_EQ(TopLabels(), (std::vector<std::string>{"5 Odd", "7 No outline", "9 Real"}));
    EXPECT_EQ(Outline(tree.topLevelItem(0)), "5 Odd\n\tA\n\t\tB\n\tC\n\tD\n");
    EXPECT_EQ(tree.topLevelItem(1)->childCount(), 0);
    EXPECT_EQ(tree.FindDiscItem("9"), tree.topLevelItem(2));
    EXPECT_EQ(tree.FindDiscItem("42"), tree.topLevelItem(0));  // no such disc: the first node
    EXPECT_EQ(tree.GetItemPath(tree.topLevelItem(0)->child(0)->child(0)), "5 Odd\\A\\B");
}

TEST_F(LeftViewTest, SelectingAFolderShowsItsFilesAndKeepsItsOwnDisc) {
    Load({MakeDisc("2", "Two", {MakeFile("two.txt", "d:\\", "1")}),
          MakeDisc("5", "Five", {MakeFile("root.mp3", "e:\\", "1"), MakeFile("live.mp3", "e:\\2 live\\", "2")},
                   {"\t2 Live"})});
    tree.setCurrentItem(tree.FindDiscItem("5"));
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "5");
    EXPECT_EQ(ListedNames(), std::vector<std::string>{"root.mp3"});
    EXPECT_EQ(doc.m_nDeleteTarget, 1);

    tree.setCurrentItem(tree.FindDiscItem("5")->child(0));  // a folder whose name reads like disc 2
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "5");
    EXPECT_EQ(ListedNames(), std::vector<std::string>{"live.mp3"});
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(LeftViewTest, EditingALabelRenamesTheDisc) {
    Load({MakeDisc("12", "Old", {}, {"\tphotos"})});
    QTreeWidgetItem* disc = tree.topLevelItem(0);
    tree.setCurrentItem(disc);

    tree.editItem(disc);
    auto* editor = tree.findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("7 Holiday"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits after the key
    EXPECT_EQ(CLeftView::ItemLabel(disc), "12 Holiday");
    EXPECT_EQ(doc.m_pDatabase->FindDisc("12")->m_strName, "Holiday");
    EXPECT_EQ(doc.m_pDatabase->FindDisc("12")->m_strFolderTree, "12 Holiday\r\n\tphotos\r\n");
    EXPECT_EQ(doc.m_pCurrentDisc->m_strName, "Holiday");
    EXPECT_TRUE(doc.IsModified());

    tree.ChangeDiscNumberAndName("", "Best of 2003");
    EXPECT_EQ(CLeftView::ItemLabel(disc), "12 Best of 2003");

    doc.SetModifiedFlag(false);
    tree.ChangeDiscNumberAndName("", "");  // an empty label restores the old one
    EXPECT_EQ(CLeftView::ItemLabel(disc), "12 Best of 2003");
    tree.ChangeDiscNumberAndName("", "Best of 2003");
    EXPECT_FALSE(doc.IsModified());

    // Folders keep their names.
    tree.setCurrentItem(disc->child(0));
    MessageRecorder messages;
    tree.ChangeDiscNumberAndName("", "New");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Please, click on the CD icon."});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed editor
    tree.editItem(disc->child(0));
    EXPECT_TRUE(tree.viewport()->findChildren<QLineEdit*>().isEmpty()) << "an editor opened on a folder";
}

TEST_F(LeftViewTest, RenumberingMovesTheBranch) {
    Load({MakeDisc("2", "Two", {}, {"\ta"}), MakeDisc("3", "Three", {}, {"\tb"}), MakeDisc("5", "Five", {}, {"\tc"})});
    tree.setCurrentItem(tree.FindDiscItem("5"));
    tree.ChangeDiscNumberAndName("1", "Five");
    EXPECT_EQ(TopLabels(), (std::vector<std::string>{"1 Five", "2 Two", "3 Three"}));
    EXPECT_EQ(Outline(tree.topLevelItem(0)), "1 Five\n\tc\n");
    EXPECT_EQ(Outline(tree.topLevelItem(1)), "2 Two\n\ta\n");
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "1");
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2 3");
    EXPECT_TRUE(doc.IsModified());  // a new number alone is a change

    tree.ChangeDiscNumberAndName("4", "Five");
    EXPECT_EQ(TopLabels(), (std::vector<std::string>{"2 Two", "3 Three", "4 Five"}));
    tree.ChangeDiscNumberAndName("2", "Five");  // taken: ignored without a message
    EXPECT_EQ(TopLabels(), (std::vector<std::string>{"2 Two", "3 Three", "4 Five"}));
}

TEST_F(LeftViewTest, RenumberingTheOnlyDiscLeavesItsFoldersAlone) {
    Load({MakeDisc("7", "Holiday", {}, {"\t7 Holiday"})});
    tree.ChangeDiscNumberAndName("8", "Holiday");
    EXPECT_EQ(TopLabels(), std::vector<std::string>{"8 Holiday"});
    EXPECT_EQ(doc.m_pDatabase->FindDisc("8")->m_strFolderTree, "8 Holiday\r\n\t7 Holiday\r\n");
    EXPECT_EQ(Outline(tree.topLevelItem(0)), "8 Holiday\n\t7 Holiday\n");
}

TEST_F(LeftViewTest, DeletingAsksAndSelectsTheNeighbour) {
    Load({MakeDisc("1", "One"), MakeDisc("2", "Two", {}, {"\tx"}), MakeDisc("3", "Three")});
    MessageRecorder messages;
    tree.setCurrentItem(tree.FindDiscItem("2")->child(0));
    tree.DeleteCurrentDisc();
    tree.setCurrentItem(tree.FindDiscItem("2"));
    tree.DeleteCurrentDisc();  // answered No by default
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Please, click on the CD Icon.", "Do you really want to delete CD 2 ?"}));
    EXPECT_EQ(messages.Messages()[1].buttons, ov2::MsgButtons::YesNo);
    EXPECT_EQ(messages.Messages()[0].icon, ov2::MsgIcon::Warning);
    EXPECT_EQ(messages.Messages()[1].icon, ov2::MsgIcon::Question);
    EXPECT_EQ(messages.Messages()[1].defaultAnswer, ov2::MsgResult::No);
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2 3");

    messages.Answer(ov2::MsgResult::Yes);
    doc.OnCommand(ov2::cmd::kDeleteCd);
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 3");
    EXPECT_EQ(TopLabels(), (std::vector<std::string>{"1 One", "3 Three"}));
    EXPECT_EQ(tree.currentItem(), tree.FindDiscItem("3"));
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "3");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(LeftViewTest, DeletingTheLastDiscEmptiesEverything) {
    Load({MakeDisc("1", "One", {MakeFile("a.txt", "d:\\", "5")})});
    std::weak_ptr<COvFileData> record = doc.m_pDatabase->m_lstDiscs[0]->m_lstFiles[0];
    EXPECT_EQ(files.topLevelItemCount(), 1);
    MessageRecorder messages;
    messages.Answer(ov2::MsgResult::Yes);
    tree.DeleteCurrentDisc();
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(files.topLevelItemCount(), 0);
    EXPECT_TRUE(doc.m_pDatabase->IsEmpty());
    EXPECT_TRUE(record.expired());  // the working copy let go of the records
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(LeftViewTest, GoToFileSelectsTheFolderOfTheFile) {
    auto target = MakeFile("June.JPG", "e:\\2003\\june\\", "10");
    Load({MakeDisc("1", "One"),
          MakeDisc("12", "Holiday photos", {MakeFile("x", "e:\\", "1"), target}, {"\t2003", "\t\tJune", "\t2004"})});
    QTreeWidgetItem* disc = tree.FindDiscItem("12");
    doc.SetCurrentDisc(doc.m_pDatabase->FindDisc("12"));
    tree.GoToFile(disc, *target);
    EXPECT_EQ(tree.GetItemPath(tree.currentItem()), "12 Holiday photos\\2003\\June");
    EXPECT_EQ(ListedNames(), std::vector<std::string>{"June.JPG"});
    ASSERT_EQ(files.selectedItems().size(), 1);
    EXPECT_EQ(files.selectedItems()[0]->text(0), QStringLiteral("June"));
}

TEST_F(LeftViewTest, TypingSearchesTheLabelsAndNeverOpensTheLabelEditor) {
    Load({MakeDisc("1", "One", {}, {"\tshows"})});
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                      tree.visualItemRect(tree.topLevelItem(0)).center());
    QTest::keyClicks(&tree, QStringLiteral("sh"));  // no shown label starts so: the disc stays
    QTest::qWait(QApplication::doubleClickInterval() + 100);  // when the slow click would edit
    EXPECT_TRUE(tree.viewport()->findChildren<QLineEdit*>().isEmpty()) << "a label editor opened";
    tree.expandAll();
    QTest::keyClicks(&tree, QStringLiteral("sh"));
    EXPECT_EQ(CLeftView::ItemLabel(tree.currentItem()), "shows");
}

}  // namespace

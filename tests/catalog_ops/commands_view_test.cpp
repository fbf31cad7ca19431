// The commands panel beside the real disc tree and file list, typed into as a user types: the
// label edits that save on every keystroke, Change Number, the search by number, the history
// combos with type-ahead, and the Ctrl+Enter and Del targets that typing leaves behind.
#include "catalog_ops/commands_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QToolButton>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/history_combo.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "core/string_list.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace {

using namespace ov2::test;
using Texts = std::vector<std::string>;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

struct CommandsViewTest : testing::Test {
    CommandsViewTest() {
        doc.OnNewDocument();
        auto* layout = new QHBoxLayout(&window);
        panel = new CCommandsView(&doc);
        tree = new CLeftView(&doc);
        files = new COv2View(&doc);
        for (QWidget* w : {static_cast<QWidget*>(panel), static_cast<QWidget*>(tree),
                           static_cast<QWidget*>(files)})
            layout->addWidget(w);
        window.resize(900, 760);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        number = Find<QLineEdit>("editNumber");
        name = Find<QLineEdit>("editName");
        artist = Find<QLineEdit>("editArtist");
        quality = Find<QLineEdit>("editQuality");
        findNumber = Find<QLineEdit>("editFindNumber");
        search = Find<CHistoryCombo>("comboSearch");
        lend = Find<CHistoryCombo>("comboLend");
    }

    template <class W>
    W* Find(const char* objectName) const {
        W* widget = panel->findChild<W*>(QString::fromLatin1(objectName));
        EXPECT_NE(widget, nullptr) << objectName;
        return widget;
    }
    void Load(std::vector<std::shared_ptr<COvDisc>> discs) {
        for (auto& d : discs) doc.m_pDatabase->AddTail(std::move(d));
        doc.UpdateAllViews();
        SelectDisc(doc.m_pDatabase->m_lstDiscs.front()->m_strNumber.view());
    }
    void LoadThree() {
        Load({MakeDisc("1", "One"), MakeDisc("5", "Five"), MakeDisc("12", "Twelve")});
    }
    // The tree makes the disc current; the panel then shows it, as the tree asks it to.
    void SelectDisc(std::string_view discNumber) {
        tree->setCurrentItem(tree->FindDiscItem(discNumber));
        panel->RefreshFromCurrentDisc();
    }
    // A click in the field, then keys as typed; `replace` selects the old text first.
    void Type(QWidget* field, const QString& text, bool replace = false) {
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(4, field->height() / 2));
        ASSERT_EQ(QApplication::focusWidget(), field->focusProxy() ? field->focusProxy() : field);
        if (replace)
            Key(Qt::Key_A, Qt::ControlModifier);
        else
            Key(Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
    void SetHistory(const char* key, std::vector<std::string> entries) {
        auto list = std::make_shared<CStringList>();
        list->m_strings = std::move(entries);
        doc.m_pDatabase->m_pSettings->m_map.SetAt(key, list);
    }
    std::string TreeLabel(int row) const { return CLeftView::ItemLabel(tree->topLevelItem(row)); }

    MessageRecorder messages;
    COv2Doc doc;
    QWidget window;
    CCommandsView* panel = nullptr;
    CLeftView* tree = nullptr;
    COv2View* files = nullptr;
    QLineEdit *number = nullptr, *name = nullptr, *artist = nullptr, *quality = nullptr,
              *findNumber = nullptr;
    CHistoryCombo *search = nullptr, *lend = nullptr;
};

TEST_F(CommandsViewTest, ButtonsCarryTheirTooltipsAndNeedADiscToBeEnabled) {
    struct Button {
        const char* objectName;
        const char* toolTip;
        bool enabled;  // in a catalogue without discs
    };
    const Button buttons[] = {
        {"buttonScan", "Scan a CD     Ctrl + Y", true},
        {"buttonGaps", "Search for Gaps ind the CD Index     Ctrl + G", false},
        {"buttonDelete", "CD Delete     Del", false},
        {"buttonCddb", "CDDB Query     Ctrl + D", true},  // it says why it cannot look up
        {"buttonChangeNumber", "Change Number     Ctrl + Enter", false},
        {"buttonShowCd", "Show CD     Ctrl + Enter", false},
        {"buttonDiscSearch", "Search for Discs     Ctr + Q", false},
        {"buttonFileSearch", "Search for Files     Ctrl + Enter", false},
        {"buttonLend", "Lend Discs To Other Persons     Ctrl + Enter", false},
        {"buttonGetBack", "Get CD Back     Ctrl + B", false},
        {"buttonShowAvailable", "Show Available Discs     Ctrl + H", false},
        {"buttonShowNotAvailable", "Show Non-Available Discs     Ctrl + X", false},
        {"buttonSaveArtist", "Save Artist Info     Ctrl + Enter", true},
    };
    for (const Button& b : buttons) {
        auto* button = Find<QToolButton>(b.objectName);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), Q(b.toolTip)) << b.objectName;
        EXPECT_EQ(button->isEnabled(), b.enabled) << b.objectName;
        EXPECT_TRUE(button->autoRaise()) << b.objectName;
        EXPECT_FALSE(button->icon().isNull()) << b.objectName;
    }
    EXPECT_FALSE(Find<QToolButton>("buttonSaveArtist")->isVisible());  // reached by Ctrl+Enter only
    EXPECT_TRUE(Find<QToolButton>("buttonDelete")->isVisible());

    // A disc arrives: every command can act. The last one deleted: they are disabled again.
    Load({MakeDisc("3", "Three")});
    for (const Button& b : buttons)
        EXPECT_TRUE(Find<QToolButton>(b.objectName)->isEnabled()) << b.objectName;
    messages.Answer(ov2::MsgResult::Yes);
    Click("buttonDelete");
    for (const Button& b : buttons)
        EXPECT_EQ(Find<QToolButton>(b.objectName)->isEnabled(), b.enabled) << b.objectName;

    // The freedb lookup of a disc without tracks is refused.
    LoadThree();
    EXPECT_TRUE(panel->OnViewCommand(ov2::cmd::kCddb));
    EXPECT_EQ(messages.Texts().back(), "Please, select an Audio CD.");
}

TEST_F(CommandsViewTest, ShowingADiscIsNoEdit) {
    Load({MakeDisc("1", "One"), MakeDisc("5", "Five")});
    doc.m_pDatabase->FindDisc("5")->m_strArtist = "Abba";
    doc.m_pDatabase->FindDisc("5")->m_strQuality = "good";
    doc.m_pDatabase->FindDisc("5")->m_strLocation = "Anna";
    SelectDisc("5");
    EXPECT_EQ(number->text(), Q("5"));
    EXPECT_EQ(name->text(), Q("Five"));
    EXPECT_EQ(artist->text(), Q("Abba"));
    EXPECT_EQ(quality->text(), Q("good"));
    EXPECT_EQ(Find<QLabel>("labelLocation")->text(), Q("Anna"));
    EXPECT_EQ(Find<QLabel>("labelNumberOfCds")->text(), Q("2"));
    EXPECT_EQ(Find<QLabel>("labelLastEntry")->text(), Q("5"));
    SelectDisc("1");
    EXPECT_EQ(artist->text(), QString());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_pDatabase->FindDisc("5")->m_strArtist, "Abba");

    // Showing the same texts again leaves the caret where the user put it.
    Type(artist, Q("Queen"));
    QTest::keyClick(artist, Qt::Key_Left);
    QTest::keyClick(artist, Qt::Key_Left);
    panel->RefreshFromCurrentDisc();
    EXPECT_EQ(artist->text(), Q("Queen"));
    EXPECT_EQ(artist->cursorPosition(), 3);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CommandsViewTest, NumberFieldsRefuseLettersAsTheyAreTyped) {
    LoadThree();
    Type(number, Q("1a2"), true);
    Type(findNumber, Q("x5"), true);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(number->text(), Q("12"));
    EXPECT_EQ(findNumber->text(), Q("5"));

    // A non-number that reaches the command all the same is answered, and the current disc's
    // number comes back.
    number->setText(Q("12a"));
    panel->OnChangeEditNumber();
    EXPECT_EQ(messages.Texts(), Texts{"The typed was not a Number"});
    EXPECT_EQ(number->text(), Q("1"));

    // Clearing is accepted and nothing changes until Change Number.
    Type(number, QString(), true);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(number->text(), QString());
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 5 12");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CommandsViewTest, NumberEditWithoutACatalogueAsksForOne) {
    Type(number, Q("3"));
    EXPECT_EQ(messages.Texts(), Texts{"Load a Database first"});
    EXPECT_EQ(number->text(), QString());
    EXPECT_EQ(doc.m_nEnterTarget, 0);
}

TEST_F(CommandsViewTest, ChangeNumberGivesTheDiscTheNumberAsTheCatalogueWritesIt) {
    LoadThree();
    SelectDisc("12");
    Type(number, Q("007"), true);
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 5 12");  // typing alone renumbers nothing
    Click("buttonChangeNumber");
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 5 7");
    EXPECT_EQ(TreeLabel(2), "7 Twelve");
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "7");
    EXPECT_EQ(number->text(), Q("7"));
    EXPECT_TRUE(doc.IsModified());

    // Beyond the int range, zero and nothing at all are refused, the disc keeps its number.
    Texts refusals;
    for (const char* typed : {"99999999999", "2147483648", "0", ""}) {
        Type(number, Q(typed), true);
        if (*typed == '\0') Key(Qt::Key_Backspace);
        Click("buttonChangeNumber");
        refusals.push_back("Please, type a valid number.");
        EXPECT_EQ(messages.Texts(), refusals) << typed;
        EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 5 7") << typed;
    }

    // The largest number is a number; Ctrl+Enter after typing runs Change Number.
    Type(number, Q("2147483647"), true);
    EXPECT_EQ(doc.m_nEnterTarget, 1);
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 5 2147483647");
    EXPECT_EQ(doc.m_nEnterTarget, 0);
    EXPECT_EQ(messages.Texts().size(), 4u);
}

TEST_F(CommandsViewTest, NameEditRenamesTheDiscAtEachKeystroke) {
    LoadThree();
    SelectDisc("5");
    EXPECT_EQ(doc.m_nDeleteTarget, 1);
    Type(name, Q(" L"));
    EXPECT_EQ(doc.m_pDatabase->FindDisc("5")->m_strName, "Five L");
    EXPECT_EQ(TreeLabel(1), "5 Five L");
    Type(name, Q("ive"));
    EXPECT_EQ(doc.m_pDatabase->FindDisc("5")->m_strName, "Five Live");
    EXPECT_EQ(doc.m_pDatabase->FindDisc("5")->m_strFolderTree, "5 Five Live\r\n");
    EXPECT_EQ(TreeLabel(1), "5 Five Live");
    EXPECT_EQ(doc.m_pCurrentDisc->m_strName, "Five Live");
    EXPECT_EQ(doc.m_nDeleteTarget, 0);  // Del while typing deletes no disc
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(name->text(), Q("Five Live"));

    // A number typed with leading zeros goes along as the catalogue writes numbers.
    Type(number, Q("007"), true);
    Type(name, Q("!"));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 7 12");
    EXPECT_EQ(doc.m_pDatabase->FindDisc("7")->m_strName, "Five Live!");
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CommandsViewTest, ArtistAndQualitySaveAtOnceAndKeepTheNotes) {
    LoadThree();
    SelectDisc("5");
    // The categories panel saves notes into the record while the working copy is older.
    doc.m_pDatabase->FindDisc("5")->m_strNotes = "Live in Rome";
    Type(artist, Q("Abba"));
    const COvDisc* disc = doc.m_pDatabase->FindDisc("5");
    EXPECT_EQ(disc->m_strArtist, "Abba");
    EXPECT_EQ(disc->m_strNotes, "Live in Rome");
    EXPECT_EQ(doc.m_pCurrentDisc->m_strArtist, "Abba");
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNotes, "Live in Rome");
    EXPECT_TRUE(doc.IsModified());

    doc.SetModifiedFlag(false);
    Type(quality, Q("good"));
    EXPECT_EQ(disc->m_strQuality, "good");
    EXPECT_EQ(disc->m_strArtist, "Abba");
    EXPECT_EQ(disc->m_strNotes, "Live in Rome");
    EXPECT_TRUE(doc.IsModified());

    // Ctrl+Enter saves again and leaves no target.
    doc.SetModifiedFlag(false);
    EXPECT_EQ(doc.m_nEnterTarget, 6);
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));
    EXPECT_EQ(doc.m_nEnterTarget, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(disc->m_strNotes, "Live in Rome");
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 5 12");
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CommandsViewTest, FindNumberShowsTheDiscOrSaysWhatIsWrong) {
    Load({MakeDisc("1", "One"), MakeDisc("07", "Zero seven"), MakeDisc("12", "Twelve")});
    EXPECT_EQ(findNumber->text(), Q("1"));
    Type(findNumber, Q("12"), true);
    EXPECT_EQ(doc.m_nEnterTarget, 3);
    Click("buttonShowCd");
    EXPECT_EQ(tree->currentItem(), tree->FindDiscItem("12"));
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "12");

    // "07" is not how the catalogue writes 7.
    Type(findNumber, Q("7"), true);
    Click("buttonShowCd");
    EXPECT_EQ(messages.Texts(),
              Texts{"There is no disc with this number, please enter a valid number."});
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "12");

    // Not a whole number from 1 to 2147483647: the prompt, the focus on the field, the last
    // good number back in it.
    const std::string prompt = "Please enter an integer between 1 and 2147483647.";
    Type(findNumber, Q("0"), true);
    EXPECT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts().back(), prompt);
    EXPECT_EQ(QApplication::focusWidget(), findNumber);
    EXPECT_EQ(findNumber->text(), Q("7"));
    Type(findNumber, QString(), true);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(messages.Texts().size(), 3u);
    EXPECT_EQ(messages.Texts().back(), prompt);
    EXPECT_EQ(findNumber->text(), Q("7"));
    // Each keystroke is checked: the digit that leaves the range is taken back.
    Type(findNumber, Q("2147483648"), true);
    EXPECT_EQ(messages.Texts().size(), 4u);
    EXPECT_EQ(findNumber->text(), Q("214748364"));

    // Ctrl+Enter after typing shows the disc.
    Type(findNumber, Q("1"), true);
    EXPECT_TRUE(doc.OnCommand(ov2::cmd::kCtrlEnter));
    EXPECT_EQ(doc.m_pCurrentDisc->m_strNumber, "1");
    EXPECT_EQ(messages.Texts().size(), 4u);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CommandsViewTest, HistoryComboSuggestsCaseSensitiveContinuationsAndKeepsTheFocus) {
    LoadThree();
    SetHistory("SearchCombo", {"Rock", "rock", "Rockabilly", "Jazz"});
    Type(search, Q("R"));
    EXPECT_EQ(Items(search), (QStringList{Q("R"), Q("Rock"), Q("Rockabilly")}));
    EXPECT_EQ(search->currentText(), Q("R"));
    EXPECT_EQ(search->lineEdit()->cursorPosition(), 1);
    EXPECT_TRUE(search->IsSuggestionListShown());
    EXPECT_EQ(QApplication::focusWidget(), search);  // the combo hands its edit the keys
    EXPECT_EQ(doc.m_nEnterTarget, 4);

    Type(search, Q("ock"));
    EXPECT_EQ(Items(search), (QStringList{Q("Rock"), Q("Rock"), Q("Rockabilly")}));
    // Backspace makes no suggestions for that change: the list stays as it was.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(search->currentText(), Q("Roc"));
    EXPECT_EQ(Items(search), (QStringList{Q("Rock"), Q("Rock"), Q("Rockabilly")}));
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(search->currentText(), Q("oc"));
    EXPECT_EQ(Items(search), (QStringList{Q("Rock"), Q("Rock"), Q("Rockabilly")}));

    // Lower case finds only lower case; a choice by the keyboard fills the edit.
    Key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), Q("r"));
    EXPECT_EQ(Items(search), (QStringList{Q("r"), Q("rock")}));
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(search->currentText(), Q("r"));  // highlighting alone changes nothing
    Key(Qt::Key_Return);
    EXPECT_EQ(search->currentText(), Q("rock"));
    EXPECT_FALSE(search->IsSuggestionListShown());
    EXPECT_EQ(QApplication::focusWidget(), search);
    // So does a click on a suggestion.
    Type(search, Q("R"), true);
    QListView* list = search->SuggestionList();
    ASSERT_TRUE(list->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(2, 0)).center());
    EXPECT_EQ(search->currentText(), Q("Rockabilly"));
    EXPECT_FALSE(list->isVisible());

    // The borrower history works alike, and sets its own target.
    SetHistory("LendCombo", {"Anna", "Andrew", "Bob"});
    Type(lend, Q("An"));
    EXPECT_EQ(Items(lend), (QStringList{Q("An"), Q("Anna"), Q("Andrew")}));
    EXPECT_EQ(doc.m_nEnterTarget, 5);
    EXPECT_FALSE(search->IsSuggestionListShown());
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CommandsViewTest, MissingHistoriesAreReportedAndTypingGoesOn) {
    LoadThree();
    doc.m_pDatabase->m_pSettings->m_map.RemoveKey("SearchCombo");
    doc.m_pDatabase->m_pSettings->m_map.SetAt("LendCombo", nullptr);
    Type(search, Q("x"));
    EXPECT_EQ(messages.Texts(), Texts{"CCommandsView::OnEditchangeComboSearch() #strange error"});
    EXPECT_EQ(Items(search), QStringList{Q("x")});
    EXPECT_EQ(search->currentText(), Q("x"));
    Type(lend, Q("y"));
    EXPECT_EQ(messages.Texts(),
              (Texts{"CCommandsView::OnEditchangeComboSearch() #strange error",
                     "An Error Occured, contact Orvella Full-Bugged Programmers."}));
    EXPECT_EQ(Items(lend), QStringList{Q("y")});

    // An empty catalogue makes no suggestions at all.
    doc.OnNewDocument();
    doc.UpdateAllViews();
    Type(search, Q("R"));
    EXPECT_EQ(search->count(), 0);
    EXPECT_FALSE(search->IsSuggestionListShown());
    EXPECT_EQ(messages.Texts().size(), 2u);
}

TEST_F(CommandsViewTest, TypingSetsTheCtrlEnterTargetAndClearsTheDelTarget) {
    LoadThree();
    struct Field {
        QWidget* widget;
        const char* typed;
        int enterTarget;
    };
    const Field fields[] = {{number, "5", 1},  {findNumber, "5", 3}, {search, "Pop", 4},
                            {lend, "Anna", 5}, {artist, "X", 6},     {quality, "Y", 6}};
    for (const Field& field : fields) {
        doc.m_nEnterTarget = 0;
        doc.m_nDeleteTarget = 1;
        Type(field.widget, Q(field.typed), true);
        EXPECT_EQ(doc.m_nEnterTarget, field.enterTarget)
            << field.widget->objectName().toStdString();
        EXPECT_EQ(doc.m_nDeleteTarget, 0) << field.widget->objectName().toStdString();
    }
    // The name edit keeps the Ctrl+Enter target of the field before it.
    doc.m_nDeleteTarget = 1;
    Type(name, Q("Z"));
    EXPECT_EQ(doc.m_nEnterTarget, 6);
    EXPECT_EQ(doc.m_nDeleteTarget, 0);
    // Ctrl+Enter after the search combo runs a search that is not there yet, and stays aimed.
    Type(search, Q("s"));
    doc.OnCommand(ov2::cmd::kCtrlEnter);
    EXPECT_EQ(doc.m_nEnterTarget, 4);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CommandsViewTest, DeleteButtonAsksTheTreeToDeleteTheDisc) {
    LoadThree();
    SelectDisc("5");
    messages.Answer(ov2::MsgResult::Yes);
    Click("buttonDelete");
    EXPECT_EQ(messages.Texts(), Texts{"Do you really want to delete CD 5 ?"});
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 12");
    EXPECT_TRUE(doc.IsModified());

    // An empty catalogue has nothing to delete and nothing to ask.
    doc.OnNewDocument();
    doc.UpdateAllViews();
    Click("buttonDelete");
    EXPECT_EQ(messages.Texts().size(), 1u);
}

}  // namespace

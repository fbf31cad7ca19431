// Find in the real main window: typing a query over the open catalogue and another one, a
// malformed query, catalogues changing on disk or in the window, opening rows and going to them,
// and the settings page's list of catalogues.
#include "find/gui/find_pane.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QTableView>
#include <QTest>

#include "app/dialog_sheet_find.h"
#include "app/left_view.h"
#include "app/main_frame.h"
#include "app/ov2_view.h"
#include "app/settings_sheet.h"
#include "core/catalogue_file.h"
#include "core/ov2_doc.h"
#include "find/catalogue_shelf.h"
#include "find/find_model.h"
#include "find/find_query.h"
#include "find/find_session.h"
#include "find/find_settings.h"
#include "find/gui/find_box.h"
#include "platform/shell_open.h"
#include "tests/support/drive_map.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;
using ov2::find::CFindModel;

QString Write(const TempDir& dir, const char* name, std::vector<std::shared_ptr<COvDisc>> discs) {
    COvDiscDatabase database;
    AddDefaultSettings(database);
    for (auto& disc : discs) database.AddTail(disc);
    WriteFileBytes(dir / name, CatalogueBytes(database));
    return QString::fromStdString((dir / name).string());
}

// The open catalogue: two discs. Another one: a single disc of songs.
std::vector<std::shared_ptr<COvDisc>> MusicDiscs() {
    return {MakeDisc("1", "Rock and Jazz",
                     {MakeFile("Rock Anthem.mp3", "e:\\music\\rock\\", "1048576"),
                      MakeFile("notes.txt", "e:\\", "12")},
                     {"\tmusic", "\t\trock"}),
            MakeDisc("2", "Live", {MakeFile("rock live.mp3", "f:\\", "2000")})};
}
std::vector<std::shared_ptr<COvDisc>> BackupDiscs(int songs) {
    std::vector<std::shared_ptr<COvFileData>> files;
    for (int i = 1; i <= songs; ++i)
        files.push_back(MakeFile("Rock Song " + std::to_string(i) + ".flac", "g:\\", "300"));
    return {MakeDisc("7", "Backup", std::move(files))};
}

struct FindPaneTest : testing::Test {
    FindPaneTest() {
        music = Write(dir, "Music.ovd", MusicDiscs());
        backup = Write(dir, "Backup.ovd", BackupDiscs(1));
        missing = QString::fromStdString((dir / "Missing.ovd").string());
        ov2::find::CFindSettings{{backup, missing}, false}.Save();
        frame = std::make_unique<CMainFrame>(&doc);
        doc.OnOpenDocument(music);
        frame->resize(1400, 900);
        frame->show();
        find = frame->Find();
        find->Session()->Shelf()->SetCheckInterval(0);  // the test says when to look
    }
    ~FindPaneTest() override { ov2::find::CFindSettings{}.Save(); }

    CFindModel* Model() const { return find->Model(); }
    bool WaitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 5000);
    }
    bool WaitForRows(int rows) {
        return WaitFor([&] { return !find->Session()->IsBusy() && Model()->rowCount() == rows; });
    }
    int RowNamed(const QString& name) const {
        for (int row = 0; row < Model()->rowCount(); ++row)
            if (Model()->index(row, CFindModel::kColumnName).data().toString() == name) return row;
        return -1;
    }
    void Rewrite(const char* name, const std::string& bytes) {
        WriteFileBytes(dir / name, bytes);
        find->Session()->Shelf()->CheckForChanges();
    }

    TempDir dir;
    QString music, backup, missing;
    COv2Doc doc;
    std::unique_ptr<CMainFrame> frame;
    CFindPane* find = nullptr;
};

TEST_F(FindPaneTest, TypingShowsRowsOfBothCataloguesAndAMalformedQueryKeepsThem) {
    ASSERT_EQ(find->Box()->placeholderText(), QStringLiteral("Find files and discs"));
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(find->Box()->hasFocus());

    QTest::keyClicks(find->Box(), QStringLiteral("rock"));
    ASSERT_TRUE(WaitForRows(3));
    EXPECT_TRUE(frame->findChild<QDockWidget*>(QStringLiteral("findDock"))->isVisible());
    // Catalogue order: the open catalogue's discs, then the other catalogue.
    QStringList rows;
    for (int row = 0; row < 3; ++row)
        rows << Model()->index(row, CFindModel::kColumnName).data().toString() + QLatin1Char('|') +
                    Model()->index(row, CFindModel::kColumnFolder).data().toString() +
                    QLatin1Char('|') +
                    Model()->index(row, CFindModel::kColumnSize).data().toString() +
                    QLatin1Char('|') +
                    Model()->index(row, CFindModel::kColumnDisc).data().toString() +
                    QLatin1Char('|') +
                    Model()->index(row, CFindModel::kColumnCatalogue).data().toString();
    EXPECT_EQ(
        rows,
        (QStringList{
            QStringLiteral("Rock Anthem.mp3|e:\\music\\rock\\|1,048,576|1 Rock and Jazz|Music.ovd"),
            QStringLiteral("rock live.mp3|f:\\|2,000|2 Live|Music.ovd"),
            QStringLiteral("Rock Song 1.flac|g:\\|300|7 Backup|Backup.ovd")}));
    EXPECT_TRUE(find->CountLine()->text().startsWith(
        QStringLiteral("3 files on 3 discs in 2 catalogues; ")));
    // Sorting by size puts the smallest first; the next results keep that order.
    Model()->sort(CFindModel::kColumnSize, Qt::AscendingOrder);
    EXPECT_EQ(RowNamed(QStringLiteral("Rock Song 1.flac")), 0);

    QTest::keyClicks(find->Box(), QStringLiteral(" size:>>"));
    ASSERT_TRUE(
        WaitFor([&] { return find->ErrorLine()->isVisible() && !find->Session()->IsBusy(); }));
    QTest::qWait(50);  // no late answer to "rock size" replaces the rows under the error
    EXPECT_FALSE(find->ErrorLine()->text().isEmpty());
    EXPECT_TRUE(find->ErrorLine()->isVisible());
    EXPECT_EQ(Model()->rowCount(), 3);
    EXPECT_TRUE(find->CountLine()->text().startsWith(QStringLiteral("3 files on 3 discs")));

    // Mended, the query runs again and the error goes.
    QTest::keyClick(find->Box(), Qt::Key_Backspace);
    QTest::keyClicks(find->Box(), QStringLiteral("1kb"));
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_FALSE(find->ErrorLine()->isVisible());
    EXPECT_EQ(RowNamed(QStringLiteral("rock live.mp3")), 0);

    QTest::keyClick(find->Box(), Qt::Key_Escape);
    EXPECT_TRUE(find->Box()->text().isEmpty());
    EXPECT_TRUE(WaitForRows(0));
    EXPECT_FALSE(frame->findChild<QDockWidget*>(QStringLiteral("findDock"))->isVisible());
}

TEST_F(FindPaneTest, CataloguesAreFollowedWhenTheyChangeAndOneThatDoesNotReadIsNamed) {
    find->Box()->setText(QStringLiteral("song"));
    ASSERT_TRUE(WaitForRows(1));
    EXPECT_EQ(
        find->CountLine()->text(),
        QStringLiteral("1 file on 1 disc in 1 catalogue; Missing.ovd could not be read: No such "
                       "file or directory"));

    // Another program saved the other catalogue: it is read again.
    Write(dir, "Backup.ovd", BackupDiscs(3));
    find->Session()->Shelf()->CheckForChanges();
    EXPECT_TRUE(WaitForRows(3));

    // An edit in the window reaches the results without a new keystroke.
    doc.m_pDatabase->m_lstDiscs[1]->m_lstFiles.push_back(
        MakeFile("Song of the Live.mp3", "f:\\", "5"));
    doc.SetModifiedFlag();
    EXPECT_TRUE(WaitForRows(4));
    EXPECT_NE(RowNamed(QStringLiteral("Song of the Live.mp3")), -1);

    // A file that no longer reads loses its rows and says why.
    Rewrite("Backup.ovd", "not a catalogue at all");
    ASSERT_TRUE(WaitForRows(1));
    EXPECT_TRUE(
        find->CountLine()->text().contains(QStringLiteral("; Backup.ovd could not be read: ")));
    EXPECT_TRUE(
        find->CountLine()->text().contains(QStringLiteral("; Missing.ovd could not be read: ")));
}

TEST(FindModelTest, NamesSortWithoutRegardToCaseBeyondLatinAndKeepCatalogueOrderOnTies) {
    COvDiscDatabase database;
    std::vector<std::shared_ptr<COvFileData>> files;
    for (const char* name : {"\xCF\x89"
                             "b.txt",
                             "b.txt", "same.txt",
                             "\xC4\x80"
                             "z.txt",
                             "A.txt", "\xC3\xBF.txt",
                             "\xCE\xA9"
                             "a.txt",
                             "SAME.txt"})
        files.push_back(MakeFile(name, "e:\\", "1"));
    database.AddTail(MakeDisc("1", "Mixed", files));
    auto results = std::make_shared<ov2::find::FindResults>();
    results->catalogues = {ov2::find::CCatalogueIndex::Build(database, "Mixed.ovd")};
    results->paths = {QString()};
    results->outcome = ov2::find::Run(*ov2::find::ParseQuery("txt").query, results->catalogues);
    CFindModel model;
    model.SetResults(results);
    auto names = [&] {
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown << model.index(row, 0).data().toString();
        return shown.join(QLatin1Char(' '));
    };
    model.sort(CFindModel::kColumnName, Qt::AscendingOrder);
    EXPECT_EQ(names(), QStringLiteral("A.txt b.txt same.txt SAME.txt ÿ.txt Āz.txt Ωa.txt ωb.txt"));
    model.sort(CFindModel::kColumnName, Qt::DescendingOrder);
    EXPECT_EQ(names(), QStringLiteral("ωb.txt Ωa.txt Āz.txt ÿ.txt same.txt SAME.txt b.txt A.txt"));
}

// Records what would be opened instead of asking the desktop.
struct OpenRecorder {
    OpenRecorder() {
        previous = ov2::SetOpenHandler([this](const QString& target) {
            opened << target;
            return true;
        });
    }
    ~OpenRecorder() { ov2::SetOpenHandler(previous); }
    QStringList opened;
    ov2::OpenHandler previous;
};

TEST_F(FindPaneTest, RowsOpenAsTheFileListOpensAndGoToShowsThemInTheTree) {
    TempDir disc;
    std::filesystem::create_directories(disc / "Music" / "Rock");
    WriteFileBytes(disc / "Music" / "Rock" / "Rock Anthem.mp3", "mp3");
    const DriveMap drives("E=cdrom:" + disc.path().string());
    OpenRecorder opener;
    MessageRecorder messages;

    find->Box()->setText(QStringLiteral("rock"));
    ASSERT_TRUE(WaitForRows(3));
    QTableView* table = find->Table();
    const int anthem = RowNamed(QStringLiteral("Rock Anthem.mp3"));
    const QRect cell = table->visualRect(Model()->index(anthem, CFindModel::kColumnName));
    // A double click is a press, a release, and the second press.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(opener.opened, QStringList{QString::fromStdString(
                                 (disc / "Music" / "Rock" / "Rock Anthem.mp3").string())});
    // Disc 2 is in no drive: the user is asked for it, and cancels. Enter opens as well.
    table->setCurrentIndex(Model()->index(RowNamed(QStringLiteral("rock live.mp3")), 0));
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Please, insert CD 2 and then press OK."});
    EXPECT_EQ(opener.opened.size(), 1);

    // Copy path and a dragged row give the recorded path.
    table->selectRow(anthem);
    find->CopyPaths();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("e:\\music\\rock\\Rock Anthem.mp3"));
    std::unique_ptr<QMimeData> dragged(
        Model()->mimeData({Model()->index(anthem, 0), Model()->index(anthem, 3)}));
    EXPECT_EQ(dragged->text(), QStringLiteral("e:\\music\\rock\\Rock Anthem.mp3"));

    // Go to: the folder in the tree and the file's row in the file list.
    auto* tree = doc.FindView<CLeftView>();
    auto* files = doc.FindView<COv2View>();
    find->GoToRow(anthem);
    EXPECT_EQ(tree->GetItemPath(tree->currentItem()), "1 Rock and Jazz\\music\\rock");
    ASSERT_NE(files->currentItem(), nullptr);
    EXPECT_EQ(files->currentItem()->text(COv2View::kColumnName), QStringLiteral("Rock Anthem"));

    // A row of another catalogue opens that catalogue first, asking to save this one's changes.
    doc.SetModifiedFlag();
    messages.Answer(ov2::MsgResult::No);
    find->GoToRow(RowNamed(QStringLiteral("Rock Song 1.flac")));
    EXPECT_EQ(messages.Texts().back(), "Save changes to Music.ovd?");
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Backup.ovd"));
    EXPECT_EQ(tree->GetItemPath(tree->currentItem()), "7 Backup");
    // The catalogue open is searched in memory, not from its file as well.
    ASSERT_EQ(find->Session()->Shelf()->Entries().size(), 1u);
    EXPECT_EQ(find->Session()->Shelf()->Entries()[0].label, QStringLiteral("Missing.ovd"));
    // The rows on screen still come from Music.ovd, which is no longer open: it opens again.
    find->GoToRow(anthem);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Music.ovd"));
    EXPECT_EQ(tree->GetItemPath(tree->currentItem()), "1 Rock and Jazz\\music\\rock");
}

TEST_F(FindPaneTest, TheSettingsPageKeepsTheListOutsideTheCatalogue) {
    CSettingsSheet sheet(doc.m_pDatabase->m_pSettings.get(), doc.GetPathName(),
                         doc.m_pDatabase.get());
    CDialogSheetFind* page = sheet.PageFind();
    EXPECT_EQ(page->Catalogues()->count(), 2);
    const QString other = QString::fromStdString((dir / "Other.ovd").string());
    page->m_askFiles = [&] { return QStringList{other, backup}; };  // the second is listed already
    page->OnButtonAdd();
    ASSERT_EQ(page->Catalogues()->count(), 3);
    page->Catalogues()->item(0)->setSelected(true);  // Backup.ovd
    page->OnButtonRemove();
    page->SearchRecent()->setChecked(true);
    sheet.accept();

    const auto kept = ov2::find::CFindSettings::Load();
    EXPECT_EQ(kept.catalogues, (QStringList{missing, other}));
    EXPECT_TRUE(kept.searchRecent);
    EXPECT_FALSE(doc.IsModified());
    // The recent catalogues join the list, each file once and never the open one.
    EXPECT_EQ(kept.Files({music, backup, missing}, music), (QStringList{missing, other, backup}));
}

}  // namespace

// The file list with the real disc tree beside it: which records a node lists and how, finding a
// row's record again, opening files from mapped drives, audio-track titles, sorting and icons.
#include "app/ov2_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "app/left_view.h"
#include "catalog_ops/attached_categories_dialog.h"
#include "core/catalogue_file.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "platform/shell_open.h"
#include "tests/support/drive_map.h"
#include "tests/support/cue_image.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::cmd;
using namespace ov2::test;
using ov2::MsgResult;

// Records what would have been opened; answers with `succeed`.
struct OpenRecorder {
    explicit OpenRecorder(bool succeed = true) {
        previous = ov2::SetOpenHandler([this, succeed](const QString& target) {
            opened.push_back(target.toStdString());
            return succeed;
        });
    }
    ~OpenRecorder() { ov2::SetOpenHandler(std::move(previous)); }
    std::vector<std::string> opened;
    ov2::OpenHandler previous;
};

using ov2::test::DriveMap;

// What a person's double click delivers: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint point) {
    QTest::mousePress(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
}

std::vector<std::string> Column(const QTreeWidget& list, int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts.push_back(list.topLevelItem(i)->text(column).toStdString());
    return texts;
}

struct FileListTest : testing::Test {
    FileListTest() {
        doc.OnNewDocument();
        auto& discs = doc.m_pDatabase->m_lstDiscs;
        discs.push_back(MakeDisc(
            "1", "Holiday",
            {MakeFile("readme.txt", "d:\\", "1023"), MakeFile("Notes", "d:\\", "12"),
             MakeFile("a.jpg", "d:\\photos\\", "5242880"), MakeFile("song.mp3", "d:\\", "13107200"),
             MakeFile("b.JPG", "d:\\photos\\", "2048"),
             MakeFile("deep.txt", "d:\\photos\\2003\\", "1")},
            {"\tPhotos", "\t\t2003"}));
        discs.push_back(
            MakeDisc("2", "Album",
                     {MakeFile("Track01.cda", "e:\\", "44"), MakeFile("Track07.cda", "e:\\", "44"),
                      MakeFile("Theme.cda", "e:\\", "44"), MakeFile("liner.txt", "e:\\", "300")}));

        auto* layout = new QHBoxLayout(&window);
        tree = new CLeftView(&doc);
        list = new COv2View(&doc);
        layout->addWidget(tree);
        layout->addWidget(list);
        window.resize(700, 400);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        doc.UpdateAllViews();
    }

    // Selects the node of that path ("1", "1/Photos/2003"), which fills the list.
    void Select(std::initializer_list<const char*> labels) {
        auto it = labels.begin();
        QTreeWidgetItem* node = tree->FindDiscItem(*it);
        for (++it; it != labels.end(); ++it) {
            QTreeWidgetItem* child = nullptr;
            for (int i = 0; i < node->childCount(); ++i)
                if (node->child(i)->text(0) == QLatin1String(*it)) child = node->child(i);
            ASSERT_NE(child, nullptr) << *it;
            node = child;
        }
        tree->setCurrentItem(node);
    }

    QTreeWidgetItem* Row(const char* name) const {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(COv2View::kColumnName) == QLatin1String(name))
                return list->topLevelItem(i);
        ADD_FAILURE() << "no row " << name;
        return nullptr;
    }

    void ClickHeader(int column) {
        QHeaderView* header = list->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }

    QLineEdit* Editor() const { return list->findChild<QLineEdit*>(); }

    // Gives the current row a title with F2, typing `text` and Enter.
    void TypeTitle(const QString& text) {
        QTest::keyClick(list, Qt::Key_F2);
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(Editor(), nullptr);
    }

    COvFileData& Record(int disc, int index) {
        return *doc.m_pDatabase->m_lstDiscs[disc]->m_lstFiles[index];
    }

    COv2Doc doc;
    QWidget window;
    CLeftView* tree = nullptr;
    COv2View* list = nullptr;
};

// ---------------------------------------------------------------- listing

TEST_F(FileListTest, ColumnsAndRowsOfADiscNodeAndOfFolders) {
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("File Name"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Size"));
    EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("Type"));
    EXPECT_EQ(list->headerItem()->text(3), QStringLiteral("Modified"));
    // The columns end at the list's edge, and the size column holds the largest usual size.
    EXPECT_EQ(list->header()->length(), list->viewport()->width());
    EXPECT_GE(list->columnWidth(1),
              list->fontMetrics().horizontalAdvance(QStringLiteral("999999.999 MB")));
    EXPECT_FALSE(list->rootIsDecorated());

    // Only the root folder's records, in record order; sub-folders stay under their nodes.
    Select({"1"});
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"readme", "Notes", "song"}));
    EXPECT_EQ(Column(*list, 1), (std::vector<std::string>{"0.001 MB", "0.000 MB", "12.500 MB"}));
    EXPECT_EQ(Column(*list, 2), (std::vector<std::string>{"TXT", "", "MP3"}));
    EXPECT_EQ(list->topLevelItem(1)->data(0, COv2View::kNameRole).toByteArray(),
              QByteArray("Notes"));
    EXPECT_EQ(list->topLevelItem(2)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);

    // The node's label "Photos" meets the records' lower-case folder.
    Select({"1", "Photos"});
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Column(*list, 1), (std::vector<std::string>{"5.000 MB", "0.002 MB"}));
    EXPECT_EQ(Column(*list, 2), (std::vector<std::string>{"JPG", "JPG"}));
    Select({"1", "Photos", "2003"});
    EXPECT_EQ(Column(*list, 0), std::vector<std::string>{"deep"});

    list->ShowFolder("1 Holiday\\nowhere");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    list->ShowFolder("");  // no backslash: a disc node
    EXPECT_EQ(list->topLevelItemCount(), 3);
}

TEST_F(FileListTest, MalformedFoldersListNothingAndDoNotCrash) {
    doc.m_pDatabase->m_lstDiscs[0]->m_lstFiles.push_back(MakeFile("x.txt", "", "1"));
    doc.m_pDatabase->m_lstDiscs[0]->m_lstFiles.push_back(MakeFile("y.txt", "nodrive", "abc"));
    Select({"1"});
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"readme", "Notes", "song"}));
    list->ShowFolder("1 Holiday\\x");
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_F(FileListTest, IconsFollowTheFileTypeAndTheIconCommands) {
    Select({"1"});
    const QIcon text = Row("readme")->icon(0);
    const QIcon audio = Row("song")->icon(0);
    ASSERT_FALSE(text.isNull());
    ASSERT_FALSE(audio.isNull());
    // The theme's icons for the two types, not one fallback twice.
    EXPECT_FALSE(text.name().isEmpty());
    EXPECT_FALSE(audio.name().isEmpty());
    EXPECT_NE(text.name(), audio.name());
    EXPECT_FALSE(Row("Notes")->icon(0).isNull());  // no extension: still an icon

    EXPECT_EQ(list->iconSize(), QSize(16, 16));
    EXPECT_TRUE(doc.IsCommandEnabled(kLargeIcons));
    doc.OnCommand(kLargeIcons);
    EXPECT_EQ(list->iconSize(), QSize(32, 32));
    EXPECT_EQ(doc.m_bLargeIcons, 1);
    EXPECT_FALSE(doc.IsCommandEnabled(kLargeIcons));
    EXPECT_TRUE(doc.IsCommandEnabled(kSmallIcons));
    doc.OnCommand(kSmallIcons);
    EXPECT_EQ(list->iconSize(), QSize(16, 16));
    EXPECT_EQ(doc.m_bLargeIcons, 0);
}

TEST_F(FileListTest, SizeColumnSortsLargestFirstThenSmallestAndResetsWithTheCatalogue) {
    // Rows in catalogue order claim no order: no arrow until the user sorts.
    const auto arrow = [this] {
        return list->header()->isSortIndicatorShown() ? list->header()->sortIndicatorSection() : -1;
    };
    Select({"1"});
    EXPECT_EQ(arrow(), -1);
    ClickHeader(1);
    EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"song", "readme", "Notes"}));
    EXPECT_EQ(arrow(), 1);
    ClickHeader(1);
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"Notes", "readme", "song"}));
    ClickHeader(0);  // its own state: descending first
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"song", "readme", "Notes"}));
    EXPECT_EQ(arrow(), 0);

    // Rows keep their records through the sort.
    EXPECT_EQ(list->FindFileRecord(0), &Record(0, 3));

    // A new initial update forgets the states: the size column sorts descending again.
    doc.UpdateAllViews();
    Select({"1"});
    EXPECT_EQ(arrow(), -1);
    ClickHeader(1);
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"song", "readme", "Notes"}));
}

// UTC seconds of a local time of this machine, whatever its zone.
std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second)).toSecsSinceEpoch();
}

TEST_F(FileListTest, ModifiedShowsLocalTimesSortsByTheTimeNotTheTextAndLocksEncryptedFiles) {
    // The same minute, seconds apart: only the time itself tells them apart.
    Record(0, 0).m_facts.modified = LocalSeconds(2023, 4, 1, 10, 0, 40);
    Record(0, 1).m_facts.modified = LocalSeconds(2023, 4, 1, 10, 0, 5);
    Record(0, 3).m_facts.modified = LocalSeconds(1969, 7, 20, 20, 17, 0);
    Record(0, 3).m_facts.encrypted = true;
    Select({"1"});
    EXPECT_EQ(Column(*list, 3), (std::vector<std::string>{"2023-04-01 10:00", "2023-04-01 10:00",
                                                          "1969-07-20 20:17"}));
    EXPECT_EQ(Row("song")->toolTip(0), COv2View::EncryptedTip());
    EXPECT_NE(Row("song")->icon(0).pixmap(16, 16).toImage(),
              COv2View::FileIcon("song.mp3").pixmap(16, 16).toImage());  // the lock is drawn

    ClickHeader(3);
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"readme", "Notes", "song"}));
    ClickHeader(3);
    EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"song", "Notes", "readme"}));

    Select({"2"});  // a disc of an old catalogue: no times
    EXPECT_EQ(Column(*list, 3), std::vector<std::string>(4, ""));
}

TEST_F(FileListTest, ADiscWhoseFactsWereLostShowsNoTimesWhileAnotherKeepsItsOwn) {
    Record(0, 0).m_facts.modified = Record(1, 3).m_facts.modified = LocalSeconds(2100, 1, 1, 0, 0, 0);
    std::string bytes = CatalogueBytes(*doc.m_pDatabase);
    bytes.replace(bytes.find("liner.txt"), 5, "LINER");  // by a program that knows no facts
    TempDir dir;
    WriteFileBytes(dir / "facts.ovd", bytes);
    ASSERT_TRUE(doc.OnOpenDocument(QString::fromStdString((dir / "facts.ovd").string())));
    Select({"1"});
    EXPECT_EQ(Column(*list, 3)[0], "2100-01-01 00:00");
    Select({"2"});
    EXPECT_EQ(Column(*list, 3), std::vector<std::string>(4, ""));
}

// ---------------------------------------------------------------- finding records

TEST_F(FileListTest, FindFileRecordByNameAndSelectedNode) {
    Select({"1"});
    EXPECT_EQ(list->FindFileRecord(0), &Record(0, 0));
    EXPECT_EQ(list->FindFileRecord(1), &Record(0, 1));  // found again by its bare name
    EXPECT_EQ(list->FindFileRecord(-1), nullptr);
    EXPECT_EQ(list->FindFileRecord(3), nullptr);

    Select({"1", "Photos"});
    EXPECT_EQ(list->FindFileRecord(1), &Record(0, 4));

    // A record that left the working copy is not found; nothing else is taken for it.
    doc.m_pCurrentDisc->m_lstFiles.erase(doc.m_pCurrentDisc->m_lstFiles.begin() + 4);
    EXPECT_EQ(list->FindFileRecord(1), nullptr);
}

TEST_F(FileListTest, FindFileRecordPrefersTheExactNameAndSelectFileRowMatchesTheSize) {
    auto& files = doc.m_pDatabase->m_lstDiscs[0]->m_lstFiles;
    files.push_back(MakeFile("a.txt", "d:\\same\\", "10"));
    files.push_back(MakeFile("A.txt", "d:\\same\\", "2097152"));
    doc.m_pDatabase->m_lstDiscs[0]->m_strFolderTree = "1 Holiday\r\n\tPhotos\r\n\tSame\r\n";
    doc.UpdateAllViews();
    Select({"1", "Same"});
    ASSERT_EQ(Column(*list, 0), (std::vector<std::string>{"a", "A"}));
    EXPECT_EQ(list->FindFileRecord(0), files[6].get());
    EXPECT_EQ(list->FindFileRecord(1), files[7].get());

    // The lower-case name matches both rows without regard to case; the size tells them apart.
    auto probe = MakeFile("A.TXT", "d:\\same\\", "2097152");
    list->SelectFileRow(*probe);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front(), list->topLevelItem(1));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(probe->m_strFileName, "A.TXT");  // the record is not changed

    list->clearSelection();
    auto other = MakeFile("a.txt", "d:\\same\\", "2048");
    list->SelectFileRow(*other);
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

// ---------------------------------------------------------------- opening files

TEST_F(FileListTest, OpensTheRecordedFileFromTheDriveThatHoldsTheDisc) {
    TempDir disc;
    std::filesystem::create_directories(disc / "Photos");
    WriteFileBytes(disc / "Photos" / "A.jpg", "jpeg");
    WriteFileBytes(disc / "readme.txt", "text");
    const DriveMap drives("F=cdrom:" + disc.path().string());
    OpenRecorder opener;
    MessageRecorder messages;

    Select({"1", "Photos"});
    list->setCurrentItem(list->topLevelItem(0));  // d:\photos\a.jpg
    list->OnFilemenuOpenfile();
    EXPECT_EQ(opener.opened, std::vector<std::string>{(disc / "Photos" / "A.jpg").string()});
    EXPECT_TRUE(messages.Texts().empty());

    // A click makes Ctrl+Enter open the file; a double click opens it too.
    Select({"1"});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    EXPECT_EQ(doc.m_nEnterTarget, 2);
    EXPECT_EQ(doc.m_nDeleteTarget, 0);
    EXPECT_TRUE(doc.OnCommand(kCtrlEnter));
    DoubleClick(list->viewport(), list->visualItemRect(list->topLevelItem(0)).center());
    const std::string readme = (disc / "readme.txt").string();
    EXPECT_EQ(opener.opened,
              (std::vector<std::string>{(disc / "Photos" / "A.jpg").string(), readme, readme}));
}

TEST_F(FileListTest, BackslashesInADiscLabelAndInScannedNamesStillListAndOpen) {
    TempDir disc;  // the scan records "\" as "_", folders in lower case
    std::filesystem::create_directories(disc / "Live\\1999");
    WriteFileBytes(disc / "Live\\1999" / "back\\slash.txt", "x");
    doc.m_pDatabase->m_lstDiscs.push_back(MakeDisc(
        "3", "AC\\DC", {MakeFile("back_slash.txt", "f:\\live_1999\\", "1")}, {"\tLive_1999"}));
    doc.UpdateAllViews();
    const DriveMap drives("F=cdrom:" + disc.path().string());
    OpenRecorder opener;
    Select({"3", "Live_1999"});
    list->setCurrentItem(list->topLevelItem(0));
    list->OnFilemenuOpenfile();
    EXPECT_EQ(opener.opened, std::vector{(disc / "Live\\1999" / "back\\slash.txt").string()});
}

TEST_F(FileListTest, AFileInsideAnArchiveIsOpenedFromACopyAndItsFolderLooksLikeOne) {
    TempDir disc, cache;
    std::filesystem::create_directories(disc / "Backup");
    WriteFileBytes(disc / "a.txt", "from the zip");
    const std::string zip = (disc / "Backup" / "Photos-2003.zip").string();
    ASSERT_EQ(std::system(("cd '" + disc.path().string() + "' && bsdtar -cf '" + zip +
                           "' --format zip a.txt")
                              .c_str()),
              0);
    doc.m_pDatabase->m_lstDiscs.push_back(
        MakeDisc("3", "Backup",
                 {MakeFile("photos-2003.zip", "g:\\backup\\", "200"),
                  MakeFile("a.txt", "g:\\backup\\photos-2003.zip\\", "12")},
                 {"\tbackup", "\t\tphotos-2003.zip", "\t\tother.zip"}));
    doc.UpdateAllViews();
    const DriveMap drives("F=cdrom:" + disc.path().string());
    setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    OpenRecorder opener;
    Select({"3", "backup"});
    QTreeWidgetItem* backup = tree->currentItem();
    // Only the folder beside an archive file of its name holds an archive's contents.
    EXPECT_NE(backup->child(0)->icon(0).cacheKey(), backup->child(1)->icon(0).cacheKey());
    EXPECT_EQ(backup->child(1)->icon(0).cacheKey(), backup->icon(0).cacheKey());
    Select({"3", "backup", "photos-2003.zip"});
    list->setCurrentItem(list->topLevelItem(0));
    list->OnFilemenuOpenfile();
    unsetenv("XDG_CACHE_HOME");
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0].rfind((cache / "ov2" / "archives").string(), 0), 0u)
        << opener.opened[0];
    EXPECT_EQ(ReadFileBytes(opener.opened[0]), "from the zip");
}

TEST_F(FileListTest, AskForTheDiscUntilItIsInsertedOrCancelled) {
    TempDir disc;
    const DriveMap drives("F=cdrom:" + disc.path().string());
    OpenRecorder opener;
    Select({"2"});
    list->setCurrentItem(list->topLevelItem(3));  // e:\liner.txt, in no drive
    const std::string prompt = "Please, insert CD 2 and then press OK.";
    {
        MessageRecorder messages;
        list->OnFilemenuOpenfile();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{prompt});
        EXPECT_EQ(messages.Messages()[0].buttons, ov2::MsgButtons::OkCancel);
    }
    {
        MessageRecorder messages;
        messages.Answer(MsgResult::Ok);
        messages.Answer(MsgResult::Cancel);
        list->OnFilemenuOpenfile();
        EXPECT_EQ(messages.Texts(), (std::vector<std::string>{prompt, prompt}));
    }
    EXPECT_TRUE(opener.opened.empty());

    // OK after inserting the disc looks again and opens the file.
    int asked = 0;
    auto previous = ov2::SetMessageBoxHandler([&](const ov2::MessageRequest& request) {
        ++asked;
        EXPECT_EQ(request.text, prompt);
        WriteFileBytes(disc / "liner.txt", "notes");
        return MsgResult::Ok;
    });
    list->OnFilemenuOpenfile();
    ov2::SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(opener.opened, std::vector<std::string>{(disc / "liner.txt").string()});
}

TEST_F(FileListTest, ATitledTrackOpensAsItsTrackFileAndFailuresAreReported) {
    TempDir disc;
    WriteFileBytes(disc / "Track07.cda", std::string(44, '\0'));
    const DriveMap drives("G=cdrom:" + disc.path().string());
    Record(1, 1).m_strFileName = "07 Intro.cda";
    Select({"2"});
    list->setCurrentItem(list->topLevelItem(1));
    {
        OpenRecorder opener;
        MessageRecorder messages;
        list->OnFilemenuOpenfile();
        EXPECT_EQ(opener.opened, std::vector<std::string>{(disc / "Track07.cda").string()});
        EXPECT_TRUE(messages.Texts().empty());
    }
    {
        OpenRecorder opener(false);
        MessageRecorder messages;
        list->OnFilemenuOpenfile();
        EXPECT_EQ(opener.opened.size(), 1u);
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{"File Opening Failed"});
        EXPECT_EQ(messages.Messages()[0].icon, ov2::MsgIcon::Error);
    }
}

TEST_F(FileListTest, TheDesktopOpenersRefusalIsReported) {
    TempDir disc, bin;
    WriteFileBytes(disc / "readme.txt", "text");
    const DriveMap drives("F=cdrom:" + disc.path().string());
    const std::string path = std::getenv("PATH");
    setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
    Select({"1"});
    list->setCurrentItem(Row("readme"));
    for (int status : {3, 0}) {
        WriteFileBytes(bin / "xdg-open",
                       "#!/bin/sh\necho \"$1\" >\"$0.arg\"\nexit " + std::to_string(status));
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        MessageRecorder messages;
        list->OnFilemenuOpenfile();
        EXPECT_EQ(ReadFileBytes(bin / "xdg-open.arg"), (disc / "readme.txt").string() + "\n");
        EXPECT_EQ(messages.Texts(),
                  std::vector<std::string>(status ? 1 : 0, "File Opening Failed"));
    }
    setenv("PATH", path.c_str(), 1);
}

TEST_F(FileListTest, TracksOfAMappedImageHaveNothingToOpenAndMissingTracksAskForTheDisc) {
    TempDir dir;
    std::vector<CueTrack> seven(7);
    for (int i = 0; i < 7; ++i) seven[static_cast<std::size_t>(i)].fileFrame = i * 1000;
    const auto album = WriteCueImage(dir.path(), "album", seven, 8000);
    const auto mixed = WriteCueImage(dir.path(), "mixed", {{false, 0}, {true, 1000}}, 2000);
    Record(1, 1).m_strFileName = "07 Intro.cda";
    Select({"2"});
    OpenRecorder opener;
    {
        // Track 7, by its title, is on the image in G: but an image cannot be played.
        const DriveMap drives("F=cdrom:" + mixed.string() + ";G=cdrom:" + album.string());
        MessageRecorder messages;
        list->setCurrentItem(Row("07 Intro"));
        list->OnFilemenuOpenfile();
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{"File Opening Failed"});
        EXPECT_EQ(messages.Messages()[0].icon, ov2::MsgIcon::Error);
    }
    {
        // Track 1 of the mixed image holds data, and it has no track 7: no disc has the tracks.
        const DriveMap drives("F=cdrom:" + mixed.string());
        MessageRecorder messages;
        for (const char* row : {"Track01", "07 Intro"}) {
            list->setCurrentItem(Row(row));
            list->OnFilemenuOpenfile();
        }
        const std::string prompt = "Please, insert CD 2 and then press OK.";
        EXPECT_EQ(messages.Texts(), (std::vector<std::string>{prompt, prompt}));
    }
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(FileListTest, WithoutARecordOpenAndAttachedCategoriesDoNothingHarmful) {
    OpenRecorder opener;
    MessageRecorder messages;
    Select({"1"});
    list->setCurrentItem(nullptr);
    list->OnFilemenuOpenfile();
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(messages.Texts().empty());

    EXPECT_TRUE(list->OnViewCommand(kFileAttachedCategories));
    EXPECT_EQ(
        messages.Texts(),
        std::vector<std::string>{"OnFilemenuViewandeditattachedcategories() #Could not find file"});
}

// ---------------------------------------------------------------- popup menu

TEST_F(FileListTest, PopupMenuOnlyWithDiscsAndItsCommands) {
    Select({"1"});
    QStringList seen;
    auto readPopup = [&seen] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions())
            seen << (action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->close();
    };
    QTimer::singleShot(50, readPopup);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            list->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(list->viewport(), &event);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("&View and Edit Attached Categories"),
                                 QStringLiteral("-"), QStringLiteral("&Open File"),
                                 QStringLiteral("&CD Info"), QStringLiteral("Rename Audio File")}));

    // The attached-categories dialog opens for the row's record.
    list->setCurrentItem(list->topLevelItem(0));
    QString dialogClass;
    QTimer::singleShot(50, [&dialogClass] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogClass = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    list->findChild<QAction*>(QStringLiteral("actionAttachedCategories"))->trigger();
    EXPECT_EQ(dialogClass, QStringLiteral("CDialogAttachedCategories"));

    // An empty catalogue has no popup.
    doc.OnNewDocument();
    seen.clear();
    QTimer::singleShot(50, readPopup);
    QApplication::sendEvent(list->viewport(), &event);
    QTest::qWait(100);
    EXPECT_TRUE(seen.isEmpty());
}

// ---------------------------------------------------------------- audio track titles

TEST_F(FileListTest, TrackTitlesKeepTheTrackNumber) {
    Select({"2"});
    list->setCurrentItem(list->topLevelItem(1));  // Track07
    TypeTitle(QStringLiteral("Intro"));
    EXPECT_EQ(Record(1, 1).m_strFileName, "07 Intro.cda");
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("07 Intro"));
    EXPECT_TRUE(doc.IsModified());

    TypeTitle(QStringLiteral("07 Overture"));
    EXPECT_EQ(Record(1, 1).m_strFileName, "07 Overture.cda");
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("07 Overture"));

    TypeTitle(QStringLiteral("Overture"));
    EXPECT_EQ(Record(1, 1).m_strFileName, "07 Overture.cda");
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("07 Overture"));

    // The working copy shares the catalogue's records, and the row still finds its record.
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstFiles[1]->m_strFileName, "07 Overture.cda");
    EXPECT_EQ(list->FindFileRecord(1), &Record(1, 1));

    // A title that starts with "T" is a title, not a TrackNN.
    list->setCurrentItem(list->topLevelItem(2));  // Theme
    TypeTitle(QStringLiteral("Main"));
    EXPECT_EQ(Record(1, 2).m_strFileName, "Main.cda");
}

TEST_F(FileListTest, CancelledOrOrphanTitleEditsChangeNothing) {
    Select({"2"});
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_F2);
    ASSERT_NE(Editor(), nullptr);
    Editor()->setText(QStringLiteral("Ignored"));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    QTRY_COMPARE(Editor(), nullptr);
    EXPECT_EQ(Record(1, 0).m_strFileName, "Track01.cda");
    EXPECT_FALSE(doc.IsModified());

    // The record was renamed elsewhere: the row's old name finds nothing.
    Record(1, 0).m_strFileName = "Track99.cda";
    TypeTitle(QStringLiteral("Lost"));
    EXPECT_EQ(Record(1, 0).m_strFileName, "Track99.cda");
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Track01"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(FileListTest, OnlyAudioTracksTakeTitlesAndNeverByDoubleClick) {
    Select({"2"});
    list->setCurrentItem(list->topLevelItem(3));  // liner.txt
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_TRUE(list->OnViewCommand(kFileRenameAudio));
    EXPECT_EQ(Editor(), nullptr);

    // The popup's command starts editing an audio track.
    list->setCurrentItem(list->topLevelItem(1));
    list->findChild<QAction*>(QStringLiteral("actionRenameAudioFile"))->trigger();
    ASSERT_NE(Editor(), nullptr);
    QTest::keyClick(Editor(), Qt::Key_Escape);
    QTRY_COMPARE(Editor(), nullptr);

    // A double click on the selected track opens it (here: asks for the disc) and edits nothing.
    MessageRecorder messages;
    const QPoint track = list->visualItemRect(list->topLevelItem(1)).center();
    DoubleClick(list->viewport(), track);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Please, insert CD 2 and then press OK."});

    // A single click on the selected track's name does start editing.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, track);
    QTRY_VERIFY(Editor() != nullptr);
}

}  // namespace

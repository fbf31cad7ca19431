// The freedb lookup from the commands panel, with a loopback freedb server and a CUE/BIN image
// mapped as the drive: the dialog's Start and OK, and what reaches the disc record.
#include "cddb/dialog_cddb.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/commands_view.h"
#include "cddb/freedb_servers.h"
#include "core/map_string_to_string.h"
#include "core/ov2_doc.h"
#include "tests/support/cue_image.h"
#include "tests/support/drive_map.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;
using Texts = std::vector<std::string>;

struct CddbTest : testing::Test {
    CddbTest() {
        setenv("OV2_FREEDB_HOST", server.Host().c_str(), 1);
        std::vector<CueTrack> tracks;
        for (int i = 0; i < 12; ++i) tracks.push_back({true, i * 1500});
        WriteCueImage(dir.path(), "disc", tracks, 12 * 1500);
        server.m_replies = {{"cddb+lscat", "210 OK\r\nrock\r\nfolk\r\n.\r\n"},
                            {"cddb+query", "200 rock 12345678 Artist / Album\r\n"},
                            {"cddb+read",
                             "210 rock\r\nDTITLE=The Band / 10 Years Gone\r\nEXTD= YEAR: 1999\r\n"
                             "DGENRE=Hard Rock\r\nTTITLE0=Back on Track\r\n" +
                                 Titles(1, 10) + ".\r\n"}};
        doc.OnNewDocument();
        std::vector<std::shared_ptr<COvFileData>> files{
            MakeFile("setup.exe", "e:\\", "9")};  // a mixed disc
        for (int i = 1; i <= 12; ++i)
            files.push_back(MakeFile(
                QStringLiteral("Track%1.cda").arg(i, 2, 10, QLatin1Char('0')).toStdString(), "e:\\",
                "44"));
        files.push_back(MakeFile("notes.txt", "e:\\extra\\", "3"));
        doc.m_pDatabase->AddTail(MakeDisc("5", "Untitled", files, {"\textra"}));
        auto* cddb = dynamic_cast<CMapStringToString*>(
            doc.m_pDatabase->m_pSettings->m_map.Lookup("CDDB")->get());
        cddb->m_map.SetAt("active", server.Host() + " (Test)");
        doc.UpdateAllViews();
        tree->setCurrentItem(tree->FindDiscItem("5"));
    }
    ~CddbTest() override { unsetenv("OV2_FREEDB_HOST"); }

    static QByteArray Titles(int first, int count) {
        QByteArray lines;
        for (int i = first; i < count; ++i)
            lines +=
                "TTITLE" + QByteArray::number(i) + "=Song " + QByteArray::number(i + 1) + "\r\n";
        return lines;
    }
    // Runs the lookup; `act` works the dialog and closes it.
    // The dialog asks the server for its categories before it shows, so the test waits for it.
    void Lookup(const std::function<void(CDialogCddb*)>& act) {
        QTimer poll;
        bool acted = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CDialogCddb*>(QApplication::activeModalWidget());
            if (!dialog || acted || dialog->IsTransferring()) return;
            acted = true;
            act(dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        poll.start(10);
        panel->OnCddbCommand();
        EXPECT_TRUE(acted);
    }
    static QString Text(CDialogCddb* d, const char* name) {
        return d->findChild<QLabel*>(QLatin1String(name))->text();
    }
    static void Start(CDialogCddb* d) {
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("buttonStart")),
                          Qt::LeftButton);
    }
    static void Ok(CDialogCddb* d) {
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }
    Texts Names() const {
        Texts names;
        for (const auto& f : doc.m_pDatabase->FindDisc("5")->m_lstFiles)
            names.push_back(f->m_strFileName.str());
        return names;
    }

    TempDir dir;
    DriveMap drives{"E=cdrom:" + (dir.path() / "disc.cue").string()};
    LoopbackHttpServer server;
    MessageRecorder messages;
    COv2Doc doc;
    QWidget window;
    CCommandsView* panel = new CCommandsView(&doc, &window);
    CLeftView* tree = new CLeftView(&doc, &window);
    COv2View* files = new COv2View(&doc, &window);
};

TEST_F(CddbTest, OkWithoutAnEntryChangesNothing) {
    Lookup([](CDialogCddb* d) {
        EXPECT_EQ(d->findChild<QTreeWidget*>(QStringLiteral("listTracks"))->topLevelItemCount(),
                  12);
        Ok(d);
    });
    EXPECT_EQ(messages.Texts(), Texts{"Error from CDDB received"});
    EXPECT_EQ(Names()[1], "Track01.cda");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CddbTest, OnADiscWhoseFirstTrackIsDataEachTitleFindsItsOwnTrack) {
    auto& files = doc.m_pDatabase->FindDisc("5")->m_lstFiles;
    files.erase(files.begin() + 1);  // Track01.cda: track 1 holds the data files
    Lookup([](CDialogCddb* d) {
        Start(d);
        Ok(d);
    });
    const Texts names = Names();
    EXPECT_EQ(names[0], "setup.exe");
    EXPECT_EQ(names[1], "02 Song 2.cda");
    EXPECT_EQ(names[9], "10 Song 10.cda");
    EXPECT_EQ(names[10], "Track11.cda");
}

TEST_F(CddbTest, TitlesGoToTheTrackRecordsAndEachOptionDoesWhatItSays) {
    // Started on a folder of the disc: the disc takes the title.
    tree->setCurrentItem(tree->FindDiscItem("5")->child(0));
    Lookup([](CDialogCddb* d) {
        Start(d);
        EXPECT_EQ(Text(d, "labelArtist"), QStringLiteral("The Band"));
        EXPECT_EQ(Text(d, "labelYear"), QStringLiteral("1999"));
        EXPECT_EQ(Text(d, "labelGenre"), QStringLiteral("Hard Rock"));
        d->findChild<QCheckBox*>(QStringLiteral("checkReplaceArtist"))->setChecked(false);
        Ok(d);
    });
    const Texts names = Names();
    EXPECT_EQ(names[0], "setup.exe");
    EXPECT_EQ(names[1], "01 Back on Track.cda");
    EXPECT_EQ(names[10], "10 Song 10.cda");
    EXPECT_EQ(names[11], "Track11.cda");  // 12 tracks, 10 titles
    const COvDisc* disc = doc.m_pDatabase->FindDisc("5");
    // The title's number stays ("Replace CD Name with Album Title").
    EXPECT_EQ(disc->m_strName.str(), "10 Years Gone");
    EXPECT_EQ(disc->m_strArtist.str(), "");
    EXPECT_EQ(CLeftView::ItemLabel(tree->currentItem()), "5 10 Years Gone");
    // A title holding "Track" is still track 1 on the disc, where it opens from.
    EXPECT_EQ(COv2View::DiscPath(*disc->m_lstFiles[1]), "e:\\Track01.cda");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(messages.Texts().empty());
    ASSERT_GE(server.m_requestLines.size(), 3);
    EXPECT_TRUE(server.m_requestLines[0].contains("cmd=cddb+lscat"));

    // A second lookup finds the disc by its first track's place although it has a title now;
    // with the name box cleared only the artist changes.
    Lookup([](CDialogCddb* d) {
        Start(d);
        d->findChild<QCheckBox*>(QStringLiteral("checkReplaceName"))->setChecked(false);
        Ok(d);
    });
    EXPECT_EQ(disc->m_strArtist.str(), "The Band (1999)");
    EXPECT_EQ(disc->m_strName.str(), "10 Years Gone");
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CddbTest, SeveralMatchesAreOfferedAndTheCentralServerIsTheTestOne) {
    // A catalogue that names the central server reaches the replacement host.
    auto* cddb = dynamic_cast<CMapStringToString*>(
        doc.m_pDatabase->m_pSettings->m_map.Lookup("CDDB")->get());
    cddb->m_map.SetAt("active", ov2::FreedbSites().front());
    server.m_replies[1].second =
        "210 Found exact matches\r\nrock 12345678 The Band / One\r\nmisc 0badf00d X / Y\r\n.\r\n";
    Lookup([&](CDialogCddb* d) {
        Start(d);
        EXPECT_TRUE(server.m_requestLines.back().contains("cmd=cddb+read+rock+12345678"));
        EXPECT_TRUE(Text(d, "labelStatus").startsWith(QStringLiteral("2 entries match")));
        auto* category = d->findChild<QComboBox*>(QStringLiteral("comboCategory"));
        category->setCurrentIndex(category->findText(QStringLiteral("misc 0badf00d X / Y")));
        const qsizetype before = server.m_requestLines.size();
        Start(d);  // the picked entry, without asking again
        ASSERT_EQ(server.m_requestLines.size(), before + 1);
        EXPECT_TRUE(server.m_requestLines.back().contains("cmd=cddb+read+misc+0badf00d"));

        // Close matches are named; nothing is read.
        server.m_replies[1].second = "211 close matches\r\nfolk 0badf00d E / F\r\n.\r\n";
        category->setEditText(QStringLiteral("automatic"));
        // A typed site is offered again next time.
        d->findChild<QComboBox*>(QStringLiteral("comboSite"))
            ->setEditText(QString::fromStdString(server.Host()));
        Start(d);
        EXPECT_TRUE(Text(d, "labelStatus").contains(QStringLiteral("folk 0badf00d E / F")));
        EXPECT_TRUE(server.m_requestLines.back().contains("cddb+query"));
    });
    EXPECT_TRUE(messages.Texts().empty());
    Lookup([&](CDialogCddb* d) {
        EXPECT_GE(d->findChild<QComboBox*>(QStringLiteral("comboSite"))
                      ->findText(QString::fromStdString(server.Host())),
                  0);
    });
}

TEST_F(CddbTest, CancelEndsASilentTransferAtOnce) {
    server.m_mode = LoopbackHttpServer::Mode::Silent;
    // Cancel ends the transfer within the click: well within a second, against the 30 s a Cancel
    // that did nothing would wait.
    constexpr qint64 kBoundMs = 1000;
    QElapsedTimer sinceClick;
    int clicks = 0;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        auto* d = qobject_cast<CDialogCddb*>(QApplication::activeModalWidget());
        if (!d || !d->IsTransferring() || (sinceClick.isValid() && sinceClick.elapsed() < 2000))
            return;
        // The server has the request and keeps silent: only now is the transfer waiting on it.
        if (server.m_requestLines.size() <= clicks) return;
        sinceClick.start();
        ++clicks;
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("buttonCancelTransfer")),
                          Qt::LeftButton);
    });
    canceller.start(50);
    Lookup([&](CDialogCddb* d) {
        EXPECT_EQ(clicks, 1);  // the category list at opening
        EXPECT_LT(sinceClick.elapsed(), kBoundMs);
        sinceClick.invalidate();
        Start(d);
        EXPECT_EQ(clicks, 2);  // the query
        EXPECT_LT(sinceClick.elapsed(), kBoundMs);
        Ok(d);
    });
    EXPECT_EQ(server.m_requestLines.size(), 2);
    // No transfer error, only OK's word on the missing entry; nothing changed.
    EXPECT_EQ(messages.Texts(), Texts{"Error from CDDB received"});
    EXPECT_EQ(Names()[1], "Track01.cda");
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace

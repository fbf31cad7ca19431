// The freedb client against a loopback server: the disc id, the exact requests a server
// receives, the query's first-line rule, the read reply's line rules, the category list, and
// transfers that fail.
#ifdef OV2_HAVE_LIBDISCID
#include <discid/discid.h>
#endif
#include <random>

#include "cddb/freedb_client.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>

#include "cddb/freedb_servers.h"
#include "core/ov2_doc.h"
#include "platform/audio_cd_info.h"
#include "tests/support/cue_image.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temp_dir.h"

namespace {

using ov2::test::LoopbackHttpServer;
using Texts = std::vector<std::string>;

// A disc whose tracks start at these absolute frames, the last entry the lead-out.
CAudioCdInfo Disc(const std::vector<int>& frames) {
    CAudioCdInfo disc;
    for (const int f : frames) disc.m_arrTracks.push_back(CTrackPosition::FromFrames(f));
    return disc;
}

// One track at 0:02:00, the lead-out at 3:34:40.
const CAudioCdInfo kOneTrack = Disc({150, (3 * 60 + 34) * 75 + 40});

TEST(FreedbClientTest, DiscIdsAndTheRequestsAServerReceives) {
    EXPECT_EQ(kOneTrack.ComputeDiscId(), 0x0200d401u);
    std::vector<int> frames;
    for (int i = 0; i < 99; ++i) frames.push_back(i * 75 * 20);  // the first track at second 0
    frames.push_back(99 * 75 * 20);
    const CAudioCdInfo longDisc = Disc(frames);
    EXPECT_EQ(longDisc.ComputeDiscId() & 0xFF, 99u);

    LoopbackHttpServer server;
    server.m_body = "200 rock 0200d401 Artist / Title\r\n";
    CFreedbClient client(server.Host());
    EXPECT_EQ(client.Query(kOneTrack), std::optional<std::string>("rock"));
    ASSERT_TRUE(client.Read("folk & more", kOneTrack));
    std::vector<std::string> categories;
    CFreedbClient named(server.Host(), "Ann Lee@example.org");
    ASSERT_TRUE(named.ListCategories(categories));
    ASSERT_TRUE(client.Query(longDisc));
    ASSERT_EQ(server.m_requestLines.size(), 4);
    EXPECT_EQ(server.m_requestLines[0],
              "GET /~cddb/cddb.cgi?cmd=cddb+query+0200d401+1+150+214&hello=x+x+orvella+2&proto=6 "
              "HTTP/1.1");
    // A typed category cannot add a parameter.
    EXPECT_EQ(
        server.m_requestLines[1],
        "GET /~cddb/cddb.cgi?cmd=cddb+read+folk%20%26%20more+0200d401&hello=x+x+orvella+2&proto=6 "
        "HTTP/1.1");
    EXPECT_EQ(server.m_requestLines[2],
              "GET /~cddb/cddb.cgi?cmd=cddb+lscat&hello=Ann%20Lee+example.org+orvella+2&proto=6 "
              "HTTP/1.1");
    EXPECT_TRUE(server.m_requestLines[3].startsWith("GET /~cddb/cddb.cgi?cmd=cddb+query+") &&
                server.m_requestLines[3].contains("+99+0+1500+3000+"))
        << server.m_requestLines[3].toStdString();

    EXPECT_EQ(ov2::FreedbSites().size(), 10u);
    EXPECT_EQ(ov2::FreedbSites().front(), COv2Doc::kDefaultCddbServer);  // a new catalogue's choice
    EXPECT_EQ(ov2::SiteHost("127.0.0.1:8880 (Test)"), "127.0.0.1:8880");
}

#ifdef OV2_HAVE_LIBDISCID
// Disc ids of many plausible discs, against an independent implementation.
TEST(FreedbClientTest, DiscIdsAgreeWithAnotherImplementation) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const int tracks = 1 + static_cast<int>(random() % 99);
        int offsets[100] = {};
        std::vector<int> frames{150 + static_cast<int>(random() % 3)};
        // Tracks of at least 4 seconds, a disc of at most 80 minutes.
        for (int i = 1; i <= tracks; ++i)
            frames.push_back(frames.back() + 300 + static_cast<int>(random() % static_cast<unsigned>(330000 / tracks)));
        for (int i = 1; i <= tracks; ++i) offsets[i] = frames[static_cast<std::size_t>(i - 1)];
        offsets[0] = frames.back();
        DiscId* reference = discid_new();
        ASSERT_TRUE(discid_put(reference, 1, tracks, offsets));
        char ours[9];
        std::snprintf(ours, sizeof ours, "%08x", static_cast<unsigned>(Disc(frames).ComputeDiscId()));
        EXPECT_STREQ(ours, discid_get_freedb_id(reference)) << tracks << " tracks";
        discid_free(reference);
    }
}
#endif

TEST(FreedbClientTest, ExactMatchesNameACategoryAndErrorPagesAreNoReplies) {
    LoopbackHttpServer server;
    CFreedbClient client(server.Host());
    // Several exact matches: the first is read; every match is kept for the user to pick.
    server.m_body =
        "210 Found exact matches\r\nrock 0200d401 A / B\r\nmisc 0200d4ff C / D\r\n.\r\n";
    EXPECT_EQ(client.Query(kOneTrack), std::optional<std::string>("rock"));
    ASSERT_EQ(client.m_lstMatches.size(), 2u);
    EXPECT_EQ(client.m_lstMatches[1].m_strCategory + client.m_lstMatches[1].m_strDiscId +
                  client.m_lstMatches[1].m_strTitle,
              "misc0200d4ffC / D");
    for (const char* reply : {"211 Found inexact matches\r\nrock 0200d401 A / B\r\n.\r\n",
                              "202 No match found\r\n", ""}) {
        server.m_body = reply;
        EXPECT_EQ(client.Query(kOneTrack), std::optional<std::string>("failure")) << reply;
        EXPECT_FALSE(client.m_bExactMatches && !client.m_lstMatches.empty()) << reply;
    }
    EXPECT_FALSE(client.m_bCancelled);

    // An error page, and a body the network layer cannot read, fail the transfer by name.
    server.m_status = "404 Not Found";
    server.m_body = "200 jazz 0200d401 A / B\n";
    std::vector<std::string> categories;
    EXPECT_FALSE(client.ListCategories(categories));
    EXPECT_NE(client.m_strError.find("HTTP 404 Not Found"), std::string::npos) << client.m_strError;
    EXPECT_TRUE(categories.empty());
    server.m_status = "200 OK\r\nContent-Encoding: gzip";
    EXPECT_FALSE(client.Query(kOneTrack));
    EXPECT_NE(client.m_strError.find("(HTTP 200 OK)"), std::string::npos) << client.m_strError;

    server.m_status = "200 OK";
    server.m_body =
        "210 OK, status information follows\r\nblues\r\nclassical\r\ncountry\r\ndata\r\nfolk\r\n"
        "jazz\r\nmisc\r\nnewage\r\nreggae\r\nrock\r\nsoundtrack\r\n.\r\n";
    ASSERT_TRUE(client.ListCategories(categories));
    EXPECT_EQ(categories, (Texts{"blues", "classical", "country", "data", "folk", "jazz", "misc",
                                 "newage", "reggae", "rock", "soundtrack"}));
}

TEST(FreedbClientTest, ReadJoinsSplitFieldsAndDecodesTheEntry) {
    LoopbackHttpServer server;
    CFreedbClient client(server.Host());
    // A disc of four tracks; the reply is Windows-1252, as older servers send it.
    const CAudioCdInfo fourTracks = Disc({150, 15000, 30000, 45000, 60000});
    server.m_body =
        "210 rock 0200d401 CD database entry follows (until terminating `.')\r\n"
        "# xmcd\r\nDISCID=0200d401\r\nDTITLE=Maria Venuti / Sings Schubert, Schoenberg, Sch\r\n"
        "DTITLE=umann\r\nDYEAR=1984\r\nDGENRE=Classical\r\nEXTD= YEAR: 1985 ID3G: 13\r\n"
        "TTITLE0=O\xf9 Es Tu \r\nTTITLE0=Mon Amour\r\nTTITLE2=Line\\nbreak\\tand \\\\ kept\r\n"
        "TTITLE4=No such track\r\nEXTT0=TTITLE9=not a title\r\nPLAYORDER=\r\n.\r\n";
    std::optional<CFreedbDiscInfo> info = client.Read("rock", fourTracks);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->m_strArtist, "Maria Venuti");
    EXPECT_EQ(info->m_strAlbumTitle, "Sings Schubert, Schoenberg, Schumann");
    EXPECT_EQ(info->m_strYear, "1984");  // DYEAR before the extended data
    EXPECT_EQ(info->m_strGenre, "Classical");
    // Track 2 has no title and keeps its name on the disc; track 5 does not exist.
    EXPECT_EQ(info->m_lstTrackTitles,
              (Texts{"01 O\xc3\xb9 Es Tu Mon Amour", "Track02", "03 Line break and \\ kept"}));

    const CFreedbDiscInfo plain = CFreedbDiscInfo::FromReadReply(
        {"DTITLE=Hits", "EXTD=YEAR:1985", "EXTD= and more", "DYEAR=", "TTITLE0=Intro", "."}, 1);
    EXPECT_EQ(plain.m_strArtist, "Hits");  // without " / " the artist is the title too
    EXPECT_EQ(plain.m_strAlbumTitle, "Hits");
    EXPECT_EQ(plain.m_strYear, "1985");
    EXPECT_EQ(plain.m_lstTrackTitles, Texts{"01 Intro"});

    server.m_body = "401 rock 0200d401 No such CD entry in database.\r\n";
    info = client.Read("rock", kOneTrack);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->m_strArtist.empty() && info->m_strAlbumTitle.empty() &&
                info->m_strYear.empty() && info->m_lstTrackTitles.empty());
}

TEST(FreedbClientTest, FailedTransfersSayWhyAndReturnNothing) {
    LoopbackHttpServer server;
    CFreedbClient client(server.Host());
    client.m_nTimeoutMs = 300;
    server.m_mode = LoopbackHttpServer::Mode::Silent;
    EXPECT_FALSE(client.Query(kOneTrack));
    EXPECT_NE(client.m_strError.find("did not answer"), std::string::npos) << client.m_strError;

    server.m_mode = LoopbackHttpServer::Mode::Close;
    EXPECT_FALSE(client.Read("rock", kOneTrack));
    EXPECT_FALSE(client.m_strError.empty());

    server.m_mode = LoopbackHttpServer::Mode::Answer;
    server.m_body = QByteArray(CFreedbClient::kMaxReplyBytes + 1, 'x');
    std::vector<std::string> categories;
    EXPECT_FALSE(client.ListCategories(categories));
    EXPECT_NE(client.m_strError.find("4 MiB"), std::string::npos) << client.m_strError;
    EXPECT_TRUE(categories.empty());

    const quint16 closedPort = server.Port();
    CFreedbClient refused("127.0.0.1:1");
    EXPECT_FALSE(refused.Query(kOneTrack));
    EXPECT_NE(refused.m_strError.find("refused"), std::string::npos)
        << refused.m_strError << closedPort;
}

// ov2cat freedb on a CUE image against the loopback server; the server answers while the test
// waits for the program.
TEST(FreedbClientTest, Ov2catLooksAnImageUp) {
    ov2::test::TempDir dir;
    // Two tracks at 0:02:00 and 1:02:00 of the disc, the lead-out at 3:02:00.
    const std::string cue =
        ov2::test::WriteCueImage(dir.path(), "disc", {{true, 0}, {true, 4500}}, 13500).string();
    LoopbackHttpServer server;
    auto run = [&](const QStringList& arguments, int* exitCode) {
        QProcess process;
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        process.start(QStringLiteral(OV2CAT_PATH), arguments);
        loop.exec();
        *exitCode = process.exitCode();
        return process.readAllStandardOutput().toStdString() +
               process.readAllStandardError().toStdString();
    };
    const QString site = QString::fromStdString(server.Host() + " (Test)");
    int exitCode = -1;
    server.m_body = "200 rock 0a00b402 Artist / Title\r\n";
    EXPECT_EQ(
        run({QStringLiteral("freedb"), QStringLiteral("--site"), site, QString::fromStdString(cue)},
            &exitCode),
        "ov2cat: " + server.Host() + ": Error from CDDB received\n");
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(server.m_requestLines.size(), 2);
    EXPECT_EQ(
        server.m_requestLines[0],
        "GET /~cddb/cddb.cgi?cmd=cddb+query+0a00b402+2+150+4650+182&hello=x+x+orvella+2&proto=6 "
        "HTTP/1.1");

    server.m_body =
        "210 rock 0a00b402\r\nDTITLE=Artist / Title\r\nEXTD= YEAR: 1999\r\nDGENRE=Pop\r\n"
        "TTITLE0=One\r\nTTITLE1=Two\r\n.\r\n";
    // Every reply is the entry now, the query's too: a "210" without match lines.
    EXPECT_EQ(
        run({QStringLiteral("freedb"), QStringLiteral("--site"), site, QString::fromStdString(cue)},
            &exitCode),
        "ov2cat: " + server.Host() + ": This CD couldn't be found in the FreeDB CD database.\n");
    server.m_body.prepend("200 rock 0a00b402 Artist / Title\r\n");
    EXPECT_EQ(
        run({QStringLiteral("freedb"), QStringLiteral("--site"), site, QStringLiteral("--hello"),
             QStringLiteral("me@home"), QString::fromStdString(cue)},
            &exitCode),
        "id 0a00b402\ncategory rock\nartist Artist\ntitle Title\nyear 1999\ngenre Pop\n01 One\n"
        "02 Two\n");
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(server.m_requestLines.back().contains("&hello=me+home+orvella+2&proto=6"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

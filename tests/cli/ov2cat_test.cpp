#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "core/map_string_to_ob.h"
#include "core/map_string_to_string.h"
#include "core/ob_list.h"
#include "core/string_list.h"
#include "tests/support/cue_image.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace ov2::test {
namespace {

using namespace std::string_literals;

struct Result {
    int exitCode = -1;  // -1 when the program crashed
    std::string out;
    std::string err;
};

// `setUp` may give the process its environment or working folder before it starts.
Result Ov2cat(const std::vector<std::string>& args, const QString& stdoutFile = {},
              const std::function<void(QProcess&)>& setUp = {}) {
    QStringList arguments;
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    QProcess process;
    if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
    if (setUp) setUp(process);
    process.start(QStringLiteral(OV2CAT_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << "ov2cat did not finish";
    Result result;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "ov2cat crashed: " << result.err;
    if (process.exitStatus() == QProcess::NormalExit) result.exitCode = process.exitCode();
    return result;
}

// Exit 1, nothing on standard output, exactly one line on standard error that names `file`.
void ExpectOneLineFailure(const Result& r, const std::string& file) {
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(r.err.ends_with('\n')) << r.err;
    EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
}

std::string Dump(const std::filesystem::path& file) {
    const Result r = Ov2cat({"dump", file.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
}

// Writes the database with the program's writer, dumps it and builds it again from the dump;
// the rebuilt file's bytes.
std::string DumpAndBuild(COvDiscDatabase& database, const TempDir& dir) {
    WriteFileBytes(dir / "original.ovd", CatalogueBytes(database));
    WriteFileBytes(dir / "dump.json", Dump(dir / "original.ovd"));
    const Result r = Ov2cat({"build", (dir / "dump.json").string(), (dir / "rebuilt.ovd").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    return ReadFileBytes(dir / "rebuilt.ovd");
}

template <class T>
std::shared_ptr<T> Collection(auto fill) {
    auto object = std::make_shared<T>();
    fill(*object);
    return object;
}

// Three keys that OvHashMap keeps in one bucket.
std::vector<std::string> KeysOfOneBucket() {
    std::map<std::uint32_t, std::vector<std::string>> buckets;
    for (int i = 0;; ++i) {
        std::string key = "key" + std::to_string(i);
        auto& keys = buckets[OvHashMap<int>::Bucket(key)];
        keys.push_back(key);
        if (keys.size() == 3) return keys;
    }
}

TEST(Ov2catRoundTrip, OddByteTextsSurviveDumpAndBuildAndShowAsLatin1CodePoints) {
    TempDir dir;
    COvDiscDatabase database;
    auto disc = MakeDisc("1", "Caf\xE9 \xFF\x80",
                         {MakeFile("\x81\x9F.mp3", "d:\\m\xFCsik\\", "123", {"\0"s, ""}),
                          MakeFile("", "d:\\", "", {})},
                         {"\tm\xFCsik"});
    disc->m_strArtist = "a\0b"s;
    disc->m_strNotes = "line one\r\nline two\r\n";
    disc->m_strQuality = "";
    disc->m_strSavedAt = "\t";
    disc->m_lstCategories = {"\xA0", ""};
    database.AddTail(disc);
    database.AddTail(MakeDisc("2", ""));
    database.m_pCategories->m_strings = {"Rock", "J\xE4zz", ""};
    AddDefaultSettings(database, "\xE9t\xE9\r\n");
    database.m_pSettings->m_map.SetAt("Extra", Collection<CObList>([](CObList& list) {
        list.m_objects.push_back(nullptr);
        list.m_objects.push_back(Collection<CStringList>([](CStringList& s) { s.m_strings = {"x\0y"s}; }));
        list.m_objects.push_back(Collection<CMapStringToOb>([](CMapStringToOb& map) {
            map.m_map.SetAt("none", nullptr);
            map.m_map.SetAt("texts", Collection<CMapStringToString>([](CMapStringToString& m) {
                m.m_map.SetAt("\xFE", "\x01\x7F");
            }));
        }));
    }));

    EXPECT_EQ(DumpAndBuild(database, dir), CatalogueBytes(database));

    // The round trip alone would also pass with any reversible encoding: each byte must stand
    // as the code point of its value.
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileBytes(dir / "dump.json"))).object();
    const QJsonObject first = json[QStringLiteral("discs")][0].toObject();
    EXPECT_EQ(first[QStringLiteral("name")].toString(), QStringLiteral("Caf\u00e9 \u00ff\u0080"));
    EXPECT_EQ(first[QStringLiteral("artist")].toString(), QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    EXPECT_EQ(first[QStringLiteral("notes")].toString(), QStringLiteral("line one\r\nline two\r\n"));
    EXPECT_EQ(first[QStringLiteral("files")][0][QStringLiteral("folder")].toString(), QStringLiteral("d:\\m\u00fcsik\\"));
    EXPECT_EQ(json[QStringLiteral("categories")][1].toString(), QStringLiteral("J\u00e4zz"));
    const QJsonArray settings = json[QStringLiteral("settings")].toArray();
    ASSERT_EQ(settings.size(), 4);
    const auto extraAt = std::find_if(settings.begin(), settings.end(), [](const QJsonValue& setting) {
        return setting[QStringLiteral("key")].toString() == QStringLiteral("Extra");
    });
    ASSERT_NE(extraAt, settings.end());
    const QJsonObject extra = extraAt->toObject();
    EXPECT_EQ(extra[QStringLiteral("type")].toString(), QStringLiteral("CObList"));
    EXPECT_TRUE(extra[QStringLiteral("value")][0].isNull());
}

TEST(Ov2catRoundTrip, MapsWithKeysOfOneBucketKeepTheirByteOrder) {
    const std::vector<std::string> keys = KeysOfOneBucket();
    auto makeDatabase = [&keys](COvDiscDatabase& database, bool reversed) {
        std::vector<std::string> order = keys;
        if (reversed) std::reverse(order.begin(), order.end());
        AddDefaultSettings(database);
        auto cddb = std::static_pointer_cast<CMapStringToString>(*database.m_pSettings->m_map.Lookup("CDDB"));
        cddb->m_map.SetAt("server", "freedb.example");
        cddb->m_map.SetAt("port", "8880");
        auto objects = std::make_shared<CMapStringToOb>();
        for (const std::string& key : order) {
            database.m_pSettings->m_map.SetAt(key, std::make_shared<CStringList>());
            cddb->m_map.SetAt(key, "v" + key);
            objects->m_map.SetAt(key, nullptr);
        }
        database.m_pSettings->m_map.SetAt("Objects", objects);
    };
    COvDiscDatabase inOrder, reversed;
    makeDatabase(inOrder, false);
    makeDatabase(reversed, true);
    // Otherwise this test could not tell whether build restores the order within a bucket.
    ASSERT_NE(CatalogueBytes(inOrder), CatalogueBytes(reversed));

    TempDir first, second;
    EXPECT_EQ(DumpAndBuild(inOrder, first), CatalogueBytes(inOrder));
    EXPECT_EQ(DumpAndBuild(reversed, second), CatalogueBytes(reversed));
}

TEST(Ov2catRoundTrip, FactsOfFilesAndDiscsSurviveDumpAndBuild) {
    TempDir dir;
    COvDiscDatabase database;
    auto disc = MakeDisc("1", "backup", {MakeFile("a", "d:\\", "1"), MakeFile("b", "d:\\", "2"),
                                         MakeFile("c", "d:\\", "3"), MakeFile("d", "d:\\", "4")});
    disc->m_lstFiles[0]->m_facts.modified = -31536000;   // 1969
    disc->m_lstFiles[1]->m_facts.modified = 4102444800;  // 2100
    disc->m_lstFiles[1]->m_facts.fingerprint = 0x0123456789abcdefull;
    disc->m_lstFiles[1]->m_facts.encrypted = true;
    disc->m_lstFiles[3]->m_facts.modified = 300000000000;  // the year 11476
    disc->m_facts = {"ext4", "BACKUP", "1b2c-3d4e", "WD", 999653638144, 0, "2026-12-08T14:03:09+01:00"};
    database.AddTail(std::move(disc));
    database.AddTail(MakeDisc("2", "plain", {MakeFile("e", "d:\\", "5")}));
    AddDefaultSettings(database);

    EXPECT_EQ(DumpAndBuild(database, dir), CatalogueBytes(database));

    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileBytes(dir / "dump.json"))).object();
    const QJsonArray files = json[QStringLiteral("discs")][0][QStringLiteral("files")].toArray();
    EXPECT_EQ(files[0][QStringLiteral("modified")], QJsonValue(QStringLiteral("1969-01-01T00:00:00Z")));
    EXPECT_EQ(files[1][QStringLiteral("fingerprint")], QJsonValue(QStringLiteral("0123456789abcdef")));
    EXPECT_EQ(files[2].toObject().keys().size(), 5);  // no facts, no keys for them
    EXPECT_EQ(files[3][QStringLiteral("modified")], QJsonValue(qint64{300000000000}));
    EXPECT_FALSE(json[QStringLiteral("discs")][1].toObject().contains(QStringLiteral("facts")));
}

TEST(Ov2catStat, CountsDiscsFilesOfAllDiscsAndCategories) {
    TempDir dir;
    COvDiscDatabase database;
    database.AddTail(MakeDisc("1", "empty"));
    database.AddTail(MakeDisc("2", "two", {MakeFile("a", "d:\\", "1"), MakeFile("b", "d:\\", "2")}));
    std::vector<std::shared_ptr<COvFileData>> five;
    for (int i = 0; i < 5; ++i) five.push_back(MakeFile("f" + std::to_string(i), "e:\\x\\", "9"));
    database.AddTail(MakeDisc("3", "five", five));
    database.m_pCategories->m_strings = {"a", "b", "c", "d"};
    AddDefaultSettings(database);
    WriteFileBytes(dir / "full.ovd", CatalogueBytes(database));
    COvDiscDatabase empty;
    WriteFileBytes(dir / "empty.ovd", CatalogueBytes(empty));

    const Result full = Ov2cat({"stat", (dir / "full.ovd").string()});
    EXPECT_EQ(full.exitCode, 0);
    EXPECT_EQ(full.out, "discs 3 files 7 categories 4\n");
    EXPECT_EQ(full.err, "");
    EXPECT_EQ(Ov2cat({"stat", (dir / "empty.ovd").string()}).out, "discs 0 files 0 categories 0\n");
}

TEST(Ov2catGaps, ListsUnassignedNumbersOneALineAndSaysWhereTheListWasCut) {
    TempDir dir;
    COvDiscDatabase database;
    for (const char* n : {"1", "2", "07", "2000000000"}) database.AddTail(MakeDisc(n, "d"));
    WriteFileBytes(dir / "c.ovd", CatalogueBytes(database));
    const Result r = Ov2cat({"gaps", (dir / "c.ovd").string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.starts_with("3\n4\n5\n6\n7\n8\n")) << r.out.substr(0, 20);  // "07" is not 7
    EXPECT_TRUE(r.out.ends_with("\n10002\ncut at 10000\n"));
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 10001);
}

TEST(Ov2catSearch, PrintsTheResultWindowsRowsWithTheSameMatching) {
    TempDir dir;
    COvDiscDatabase database;
    database.AddTail(MakeDisc("1", "Best of Rock", {MakeFile("Rock.mp3", "e:\\", "2048", {"Live"}),
                                                    MakeFile("readme", "e:\\", "1", {"live"})}));
    database.AddTail(MakeDisc("2", "a*b"));
    database.m_lstDiscs.front()->m_lstCategories = {"Live"};
    WriteFileBytes(dir / "c.ovd", CatalogueBytes(database));
    const std::string file = (dir / "c.ovd").string();
    EXPECT_EQ(Ov2cat({"search", file, "R"}).out, "Rock\t1\t0.002 MB\tMP3\nreadme\t1\t0.000 MB\tREADME\n");
    EXPECT_EQ(Ov2cat({"search", file, "*", "--discs"}).out, "a*b\t2\thome\n");  // no category: plain text
    EXPECT_EQ(Ov2cat({"search", file, "*", "--category", "Live"}).out, "Rock\t1\t0.002 MB\tMP3\n");
    EXPECT_EQ(Ov2cat({"search", file, "*", "--discs", "--category", "Live"}).out, "Best of Rock\t1\thome\n");
    const Result none = Ov2cat({"search", file, "jazz"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
}

TEST(Ov2catFind, RowsFromTwoCataloguesAsTextAndJsonLinesAndExitTwoOnAMalformedQuery) {
    TempDir dir;
    COvDiscDatabase music, photos;
    music.AddTail(MakeDisc("3", "Rock", {MakeFile("Caf\xE9.mp3", "e:\\a\tb\\", "-1"), MakeFile("x.txt", "e:\\", "1")}));
    photos.AddTail(MakeDisc("1", "Trip", {MakeFile("cafe.mp3", "e:\\", "99")}));
    WriteFileBytes(dir / "Music.ovd", CatalogueBytes(music));
    WriteFileBytes(dir / "Photos.ovd", CatalogueBytes(photos));
    const std::string first = (dir / "Music.ovd").string(), second = (dir / "Photos.ovd").string();

    Result r = Ov2cat({"find", "caf ext:mp3", first, second});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // A TAB inside a text would split the row: it shows as a blank.
    EXPECT_EQ(r.out, "Music.ovd\t3\tRock\te:\\a b\\\tCaf\xE9.mp3\t-1\nPhotos.ovd\t1\tTrip\te:\\\tcafe.mp3\t99\n");
    r = Ov2cat({"find", "--json", "caf\xC3\xA9", first, second});
    EXPECT_EQ(r.out, "{\"catalogue\":\"Music.ovd\",\"disc\":\"3\",\"discName\":\"Rock\",\"folder\":\"e:\\\\a\\tb\\\\\","
                     "\"name\":\"Caf\xC3\xA9.mp3\",\"size\":\"-1\"}\n");
    r = Ov2cat({"find", "zebra", first, second});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    r = Ov2cat({"find", "size:>>", first});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("size:"), std::string::npos) << r.err;
    ExpectOneLineFailure(Ov2cat({"find", "a", first, (dir / "missing.ovd").string()}), "missing.ovd");
}

TEST(Ov2catDupes, GroupsSeparatedByAnEmptyLineAndSingleCopiesOneALine) {
    TempDir dir;
    COvDiscDatabase music, backup;
    music.AddTail(MakeDisc("3", "Rock", {MakeFile("a.mp3", "e:\\", "2000000"), MakeFile("b.mp3", "e:\\", "10"),
                                         MakeFile("solo.mp3", "e:\\", "3000000")}));
    backup.AddTail(MakeDisc("1", "Safe", {MakeFile("A.MP3", "f:\\x\\", "2000000"), MakeFile("b.mp3", "f:\\", "10")}));
    backup.m_lstDiscs[0]->m_lstCategories = {"Backup"};
    WriteFileBytes(dir / "Music.ovd", CatalogueBytes(music));
    WriteFileBytes(dir / "Backup.ovd", CatalogueBytes(backup));
    const std::string first = (dir / "Music.ovd").string(), second = (dir / "Backup.ovd").string();

    Result r = Ov2cat({"dupes", first, second});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::vector<std::vector<std::string>>> groups(1);  // groups, rows, fields
    for (std::size_t at = 0; at < r.out.size();) {
        const std::string line = r.out.substr(at, r.out.find('\n', at) - at);
        at += line.size() + 1;
        if (line.empty()) {
            groups.emplace_back();
            continue;
        }
        std::vector<std::string> fields(1);
        for (char c : line)
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        groups.back().push_back(fields);
    }
    ASSERT_EQ(groups.size(), 2u) << r.out;  // the larger file first
    EXPECT_EQ(groups[0], (std::vector<std::vector<std::string>>{
                             {"3", "Rock", "e:\\", "a.mp3", "2000000", "Music.ovd"},
                             {"1", "Safe", "f:\\x\\", "A.MP3", "2000000", "Backup.ovd"}}));
    EXPECT_EQ(groups[1].size(), 2u);
    EXPECT_EQ(Ov2cat({"dupes", first, second, "--min-size", "1mb"}).out.find("b.mp3"), std::string::npos);
    EXPECT_EQ(Ov2cat({"dupes", first, second, "--single"}).out,
              "3\tRock\te:\\\tsolo.mp3\t3000000\tMusic.ovd\n");
    EXPECT_EQ(Ov2cat({"dupes", first, second, "--single", "--category", "Backup"}).out, "");
    r = Ov2cat({"dupes", first, "--min-size", "big"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--min-size"), std::string::npos) << r.err;
    ExpectOneLineFailure(Ov2cat({"dupes", first, (dir / "missing.ovd").string()}), "missing.ovd");
}

TEST(Ov2catReadErrors, EveryUnreadableFileGivesOneLineNamingItAndExitOne) {
    TempDir dir;
    COvDiscDatabase database;
    database.AddTail(MakeDisc("1", "one", {MakeFile("a", "d:\\", "1")}));
    AddDefaultSettings(database);
    const std::string good = CatalogueBytes(database);
    WriteFileBytes(dir / "truncated.ovd", good.substr(0, good.size() - 1));
    // An unknown class whose name holds a line break: the reason quotes it.
    WriteFileBytes(dir / "newline.ovd", "\x01\x00\xFF\xFF\x00\x00\x09\x00" "Bad\nClass"s);
    std::filesystem::create_directory(dir / "folder.ovd");

    for (const char* name : {"missing.ovd", "truncated.ovd", "newline.ovd", "folder.ovd"}) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        COvDiscDatabase probe;
        std::string reason;
        ASSERT_FALSE(ReadCatalogueFile(path, probe, &reason));
        for (const char* verb : {"dump", "stat", "gaps"}) {
            SCOPED_TRACE(verb);
            const Result r = Ov2cat({verb, path});
            ExpectOneLineFailure(r, path);
            if (reason.find('\n') == std::string::npos) {
                EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
            }
        }
    }
}

TEST(Ov2catWriteErrors, DumpToAFullDeviceFails) {
    TempDir dir;
    COvDiscDatabase database;
    AddDefaultSettings(database);
    WriteFileBytes(dir / "c.ovd", CatalogueBytes(database));
    const Result r = Ov2cat({"dump", (dir / "c.ovd").string()}, QStringLiteral("/dev/full"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

// A small valid document; the tests replace NAME, SIZE and SETTINGS.
constexpr const char* kDocument = R"({"discs":[{"number":"1","name":NAME,"artist":"","quality":"",
  "notes":"","location":"home","savedAt":"","lendDate":"","folderTree":"1 x\r\n","categories":[],
  "files":[{"fileName":"a","folder":"d:\\","size":SIZE,"drive":"d:","categories":[]}]}],
  "categories":["c"],"settings":[SETTINGS]})";

std::string Document(std::string name, std::string size, std::string settings) {
    std::string text = kDocument;
    for (auto [from, to] : {std::pair{"NAME"s, name}, {"SIZE"s, size}, {"SETTINGS"s, settings}})
        text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(Ov2catBuild, RefusesBadDocumentsAndLeavesTheTargetAlone) {
    TempDir dir;
    const std::string out = (dir / "out.ovd").string();
    const std::string cddb = R"({"key":"CDDB","type":"CMapStringToString","value":[["active","x"]]})";
    struct Case {
        const char* what;
        std::string json;
        const char* reason;  // part of the message
    };
    const std::vector<Case> cases = {
        {"a disc name above U+00FF", Document(R"("\u0101")", R"("1")", cddb), "U+0101"},
        {"a map key above U+00FF",
         Document(R"("n")", R"("1")", R"({"key":"CDDB","type":"CMapStringToString","value":[["\u20ac","x"]]})"),
         "U+20AC"},
        {"no JSON", "{\"discs\":[", "offset"},
        {"a number for a text", Document(R"("n")", "123", cddb), "discs[0].files[0].size"},
        {"an unknown settings type", Document(R"("n")", R"("1")", R"({"key":"K","type":"CFoo","value":[]})"), "CFoo"},
        {"a key missing", R"({"discs":[],"categories":[]})", "settings"},
        {"a key twice", Document(R"("n")", R"("1")", cddb + "," + cddb), "settings[0].key"},
        {"a time without its zone", Document(R"("n")", R"("1","modified":"2023-04-01T10:00:00")", cddb),
         "discs[0].files[0].modified"},
        {"a setting the reader refuses",
         Document(R"("n")", R"("1")", R"({"key":"CDDB","type":"CStringList","value":[]})"), "would not be readable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(out, "the previous catalogue");
        WriteFileBytes(dir / "in.json", c.json);
        const Result r = Ov2cat({"build", (dir / "in.json").string(), out});
        ExpectOneLineFailure(r, (dir / "in.json").string());
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(ReadFileBytes(out), "the previous catalogue");
    }

    // The same document with good values is built, so the refusals above are the values'.
    WriteFileBytes(dir / "in.json", Document(R"("Caf\u00e9")", R"("1","modified":"2023-04-01T12:00:00+02:00")", cddb));
    const Result good = Ov2cat({"build", (dir / "in.json").string(), out});
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(Ov2cat({"stat", out}).out, "discs 1 files 1 categories 1\n");
    EXPECT_NE(Ov2cat({"dump", out}).out.find(R"("modified": "2023-04-01T10:00:00Z")"),
              std::string::npos);

    const std::string nowhere = (dir / "no" / "such" / "folder.ovd").string();
    ExpectOneLineFailure(Ov2cat({"build", (dir / "in.json").string(), nowhere}), nowhere);
    ExpectOneLineFailure(Ov2cat({"build", (dir / "none.json").string(), out}), (dir / "none.json").string());
}

TEST(Ov2catLock, WritersLeaveACatalogueOpenElsewhereAloneUnlessForced) {
    TempDir dir;
    const std::string catalogue = (dir / "cat.ovd").string();
    COvDiscDatabase database;
    database.AddTail(MakeDisc("1", "one"));
    AddDefaultSettings(database);
    WriteFileBytes(catalogue, CatalogueBytes(database));
    const std::string before = ReadFileBytes(catalogue);
    std::filesystem::create_directory(dir / "disc");
    WriteFileBytes(dir / "disc" / "a.txt", "abc");
    WriteFileBytes(dir / "in.json", Dump(catalogue));
    // Taken an hour ago on another machine: held.
    const std::string since =
        QDateTime::currentDateTimeUtc().addSecs(-3600).toString(Qt::ISODate).toStdString();
    WriteFileBytes(dir / ".cat.ovd.lock", "anna livingroom 4242 " + since + "\n");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"scan", (dir / "disc").string(), catalogue},
          {"build", (dir / "in.json").string(), catalogue},
          {"import", (dir / "in.jsonl").string(), catalogue},
          {"rescan", (dir / "disc").string(), catalogue, "--disc", "1", "--yes"}}) {
        SCOPED_TRACE(args[0]);
        const Result r = Ov2cat(args);
        ExpectOneLineFailure(r, catalogue);
        EXPECT_NE(r.err.find(": locked by anna on livingroom since "), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFileBytes(catalogue), before);

    const Result forced = Ov2cat({"scan", (dir / "disc").string(), catalogue, "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(Ov2cat({"stat", catalogue}).out, "discs 2 files 1 categories 0\n");
}

TEST(Ov2catUsage, MissingOrUnknownVerbsAndWrongArgumentCountsExitTwo) {
    const std::vector<std::vector<std::string>> calls = {
        {}, {"frobnicate"}, {"frobnicate", "a"}, {"dump"}, {"dump", "a", "b"}, {"stat"}, {"build", "a.json"},
        {"build", "a", "b", "c"}, {"toc"}, {"toc", "e", "f"}};
    for (const auto& args : calls) {
        const Result r = Ov2cat(args);
        EXPECT_EQ(r.exitCode, 2) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: ov2cat"), std::string::npos);
    }
}

TEST(Ov2catUsage, AskedForHelpGoesToStandardOutputAndDescribesEachCommand) {
    Result r = Ov2cat({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const char* command : {"dump", "build", "stat", "gaps", "search", "drives", "toc",
                                "freedb", "scan", "rescan", "convert", "find"}) {
        EXPECT_NE(r.out.find("ov2cat "s + command), std::string::npos) << command;
        const Result help = Ov2cat({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.rfind("usage: ov2cat "s + command, 0), 0u) << help.out;
    }
    // In the README's words, wrapped for a terminal.
    EXPECT_EQ(Ov2cat({"gaps", "-h"}).out,
              "usage: ov2cat gaps FILE.ovd\n\n"
              "  the disc numbers from 1 to the last disc's that no disc carries, one a line;\n"
              "  at most 10,000, then a last line \"cut at 10000\"\n");
}

TEST(Ov2catToc, TracksWithTheirTypesAndTheLeadOutOfAnImageByPathOrByLetter) {
    TempDir dir;
    // Data track 1, audio tracks 2 and 3, 10,000 sectors: the lead-out at 2:15:25.
    const auto cue = WriteCueImage(dir.path(), "mixed", {{false, 0}, {true, 750}, {true, 4505}}, 10000);
    const std::string expected = "01 00:02:00 data\n02 00:12:00 audio\n03 01:02:05 audio\nleadout 02:15:25\n";

    Result r = Ov2cat({"toc", cue.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");

    // A sheet named relative to the working folder.
    const auto inDir = [&dir](QProcess& process) {
        process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    };
    r = Ov2cat({"toc", "mixed.cue"}, {}, inDir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected);

    for (const char* letter : {"F", "f:", "f:\\"}) {
        r = Ov2cat({"toc", letter}, {}, [&cue](QProcess& process) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("OV2_DRIVES"),
                               QStringLiteral("F=cdrom:") + QString::fromStdString(cue.string()));
            process.setProcessEnvironment(environment);
        });
        EXPECT_EQ(r.exitCode, 0) << letter << r.err;
        EXPECT_EQ(r.out, expected) << letter;
    }
}

TEST(Ov2catToc, UnreadableDiscsExitOneWithTheFirstMessage) {
    TempDir dir;
    WriteCueImage(dir.path(), "data", {{false, 0}}, 1000);
    WriteCueImage(dir.path(), "orphan", {{}}, 1000);
    std::filesystem::remove(dir / "orphan.bin");
    const auto mapped = [&dir](QProcess& process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("OV2_DRIVES"),
                           QStringLiteral("E=cdrom:") + QString::fromStdString(dir.path().string()));
        process.setProcessEnvironment(environment);
    };
    for (const std::string& disc : {(dir / "data.cue").string(), (dir / "orphan.cue").string(),
                                    (dir / "missing.cue").string(), dir.path().string(), "E"s, "Q:"s}) {
        const Result r = Ov2cat({"toc", disc}, {}, mapped);
        ExpectOneLineFailure(r, disc);
        EXPECT_NE(r.err.find("Could not read track information"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace ov2::test

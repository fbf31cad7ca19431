#include <gtest/gtest.h>

#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "core/ov2_doc.h"
#include "export/catalogue_export.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace ov2::test {
namespace {

using namespace ov2::exporting;

struct Outcome {
    int code = -1;
    std::string out, err;
};

// A program's exit code and output; `input` goes to its standard input.
Outcome Program(const QString& program, const QStringList& arguments,
                const std::string& input = {}) {
    QProcess process;
    process.start(program, arguments);
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    Outcome run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    return run;
}

Outcome Ov2cat(const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    return Program(QStringLiteral(OV2CAT_PATH), arguments);
}

// Two discs, one lent with notes and categories, a name holding a comma, a quote and a line
// break, a name in Windows-1252 (as catalogues made on Windows hold them), an empty disc.
void FillCatalogue(COvDiscDatabase& database) {
    database.AddTail(MakeDisc("1", "Holiday 2003",
                              {MakeFile("a, \"b\"\nc.jpg", "e:\\photos\\day1\\", "12345", {"Best"}),
                               MakeFile("<script>alert(1)</script>.txt", "e:\\", "7")},
                              {"\tPhotos", "\t\tDay1", "\tEmpty"}));
    database.AddTail(MakeDisc("2", "Caf\xE9 M\xFCller",
                              {MakeFile("Stra\xDF"
                                        "e.mp3",
                                        "e:\\music\\", "3000000000")},
                              {"\tmusic"}));
    database.AddTail(MakeDisc("3", "Nothing"));
    database.m_lstDiscs[0]->m_lstFiles[1]->m_facts.modified = 1700000000;
    COvDisc& lent = *database.m_lstDiscs[1];
    lent.m_strLocation = "Anna";
    lent.m_strLendDate = "May 02 2024";
    lent.m_strNotes = "two\r\nlines";
    lent.m_lstCategories = {"Music", "Best"};
    database.m_pCategories->m_strings = {"Best", "Music", "Unused"};
    AddDefaultSettings(database, COv2Doc::kDefaultCddbServer);
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillCatalogue(m_database);
        WriteFileBytes(m_dir / "Music.ovd", CatalogueBytes(m_database));
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    // Exports Music.ovd with ov2cat; the file's bytes.
    std::string Export(const char* out, std::vector<std::string> options) {
        std::vector<std::string> args{"export", Path("Music.ovd"), Path(out)};
        args.insert(args.end(), options.begin(), options.end());
        const Outcome run = Ov2cat(args);
        EXPECT_EQ(run.code, 0) << run.err;
        return ReadFileBytes(m_dir / out);
    }
    COvDiscDatabase m_database;
    TempDir m_dir;
};

// Python reads the fields back as written: quoting, UTF-8 from Windows-1252, the BOM and the
// locale's separator of the spreadsheet option; TSV keeps a row a line.
TEST_F(ExportTest, CsvAndTsvReadBackByPythonsCsvModuleWithEveryTextAsUtf8) {
    Export("plain.csv", {"--format", "csv"});
    const char* script =
        "import csv, json, sys\n"
        "rows = list(csv.reader(open(sys.argv[1], newline='', encoding=sys.argv[2]), "
        "delimiter=sys.argv[3]))\n"
        "print(json.dumps(rows))\n";
    const auto read = [&](const char* file, const char* encoding, const char* separator) {
        const Outcome run =
            Program(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromLatin1(script),
                                                QString::fromStdString(Path(file)),
                                                QLatin1String(encoding), QLatin1String(separator)});
        EXPECT_EQ(run.code, 0) << run.err;
        return run.out;
    };
    const std::string expected =
        R"([["catalogue", "disc", "discName", "artist", "location", "discCategories", "folder", "name", "extension", "size", "modified", "categories"], )"
        R"(["Music.ovd", "1", "Holiday 2003", "", "home", "", "e:\\photos\\day1\\", "a, \"b\"\nc.jpg", "jpg", "12345", "", "Best"], )"
        R"(["Music.ovd", "1", "Holiday 2003", "", "home", "", "e:\\", "<script>alert(1)</script>.txt", "txt", "7", "2023-11-14T22:13:20Z", ""], )"
        R"(["Music.ovd", "2", "Caf\u00e9 M\u00fcller", "", "Anna", "Music;Best", "e:\\music\\", "Stra\u00dfe.mp3", "mp3", "3000000000", "", ""]])"
        "\n";
    EXPECT_EQ(read("plain.csv", "utf-8", ","), expected);

    // For spreadsheets in a locale that writes "1,5": a BOM and ";".
    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ExportOptions options;
    options.forSpreadsheets = true;
    options.catalogue = "Music.ovd";
    ASSERT_EQ(ExportCatalogue(m_database, WholeCatalogue(m_database), options,
                              QString::fromStdString(Path("sheet.csv")))
                  .status,
              ExportStatus::Done);
    QLocale::setDefault(locale);
    EXPECT_TRUE(ReadFileBytes(m_dir / "sheet.csv")
                    .starts_with("\xEF\xBB\xBF"
                                 "catalogue;disc;"));
    EXPECT_EQ(read("sheet.csv", "utf-8-sig", ";"), expected);

    const std::string tsv = Export("plain.tsv", {"--format", "tsv"});
    EXPECT_NE(tsv.find("\t1\tHoliday 2003\t\thome\t\te:\\photos\\day1\\\ta, \"b\" "
                       "c.jpg\tjpg\t12345\t\tBest\n"),
              std::string::npos)
        << tsv;
}

// JSON Lines imported gives the same catalogue (discs, outlines, lending, notes, categories,
// settings of a new catalogue); CSV gives back files, sizes, categories and lending, and a
// row that does not parse names its line and writes nothing.
TEST_F(ExportTest, ImportRebuildsTheCatalogueFromJsonLinesAndCsvAndRefusesABadRow) {
    // Windows-1252 texts come back as UTF-8: the original is made UTF-8 to compare with.
    m_database.m_lstDiscs[1]->m_strName = "Caf\xC3\xA9 M\xC3\xBCller";
    m_database.m_lstDiscs[1]->m_strFolderTree = "2 Caf\xC3\xA9 M\xC3\xBCller\r\n\tmusic\r\n";
    m_database.m_lstDiscs[1]->m_lstFiles[0]->m_strFileName =
        "Stra\xC3\x9F"
        "e.mp3";
    WriteFileBytes(m_dir / "Music.ovd", CatalogueBytes(m_database));
    const std::string jsonl = Export("all.jsonl", {"--format", "jsonl"});
    EXPECT_NE(jsonl.find(R"("disc":2,"discName":"Café Müller")"), std::string::npos);
    EXPECT_NE(jsonl.find(R"("size":3000000000,"modified":null,"categories":[])"),
              std::string::npos);
    EXPECT_NE(jsonl.find(R"("size":7,"modified":"2023-11-14T22:13:20Z")"), std::string::npos);

    Outcome run = Ov2cat({"import", Path("all.jsonl"), Path("back.ovd")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "discs 3 files 3\n");
    EXPECT_EQ(Ov2cat({"dump", Path("back.ovd")}).out, Ov2cat({"dump", Path("Music.ovd")}).out);

    Export("all.csv", {"--format", "csv"});
    ASSERT_EQ(Ov2cat({"import", Path("all.csv"), Path("csv.ovd")}).code, 0);
    COvDiscDatabase back;
    std::string error;
    ASSERT_TRUE(ReadCatalogueFile(m_dir / "csv.ovd", back, &error)) << error;
    ASSERT_EQ(Numbers(back), "1 2");  // an empty disc has no row
    const COvDisc& lent = *back.m_lstDiscs[1];
    EXPECT_EQ(lent.m_strLocation, "Anna");
    EXPECT_EQ(lent.m_lstCategories, (std::vector<std::string>{"Music", "Best"}));
    EXPECT_EQ(back.m_lstDiscs[0]->m_strFolderTree, "1 Holiday 2003\r\n\tphotos\r\n\t\tday1\r\n");
    const COvFileData& odd = *back.m_lstDiscs[0]->m_lstFiles[0];
    EXPECT_EQ(odd.m_strFileName, "a, \"b\"\nc.jpg");
    EXPECT_EQ(odd.m_strFolder, "e:\\photos\\day1\\");
    EXPECT_EQ(odd.m_strDrive, "e:");
    EXPECT_EQ(odd.m_strSize, "12345");
    EXPECT_EQ(odd.m_lstCategories, std::vector<std::string>{"Best"});
    EXPECT_FALSE(odd.m_facts.HasTime());
    EXPECT_EQ(back.m_lstDiscs[0]->m_lstFiles[1]->m_facts.modified, 1700000000);

    std::string bad = jsonl;
    bad.insert(bad.find("\n{", bad.find("\n{") + 1) + 1, "{\"disc\":1,\"folder\":3}\n");
    WriteFileBytes(m_dir / "bad.jsonl", bad);
    run = Ov2cat({"import", Path("bad.jsonl"), Path("bad.ovd")});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("line 3: \"folder\" is not a text"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "bad.ovd"));
}

// sqlite3 finds one disc's files, files by words of their names and folders through full text
// search, and categories through their tables; --disc and --query choose the rows.
TEST_F(ExportTest, SqliteDatabaseAnswersSqlite3AndTheChoiceOfRowsHolds) {
    Export("all.sqlite", {"--format", "sqlite"});
    const auto sql = [&](const char* file, const char* query) {
        const Outcome run = Program(QStringLiteral("sqlite3"),
                                    {QString::fromStdString(Path(file)), QLatin1String(query)});
        EXPECT_EQ(run.code, 0) << run.err;
        return run.out;
    };
    EXPECT_EQ(sql("all.sqlite", "SELECT folder, name, size FROM file_row WHERE disc = 2"),
              "e:\\music\\|Straße.mp3|3000000000\n");
    EXPECT_EQ(sql("all.sqlite", "SELECT name, modified FROM file_row WHERE modified IS NOT NULL"),
              "<script>alert(1)</script>.txt|2023-11-14T22:13:20Z\n");
    EXPECT_EQ(sql("all.sqlite",
                  "SELECT file_row.name FROM file_search JOIN file_row ON file_row.id = "
                  "file_search.rowid "
                  "WHERE file_search MATCH 'day1' ORDER BY 1"),
              "a, \"b\"\nc.jpg\n");
    EXPECT_EQ(
        sql("all.sqlite",
            "SELECT disc.number, category.name FROM disc_category JOIN disc ON disc.id = disc_id "
            "JOIN category ON category.id = category_id ORDER BY 2"),
        "2|Best\n2|Music\n");
    EXPECT_EQ(sql("all.sqlite", "SELECT count(*) FROM category"), "3\n");

    Export("two.sqlite", {"--format", "sqlite", "--disc", "2"});
    EXPECT_EQ(sql("two.sqlite", "SELECT count(*), min(disc) FROM file_row"), "1|2\n");
    const std::string found =
        Export("found.tsv", {"--format", "tsv", "--query", "ext:jpg;mp3 size:>1kb", "--disc", "1"});
    EXPECT_EQ(std::count(found.begin(), found.end(), '\n'), 2) << found;
    EXPECT_NE(found.find("c.jpg"), std::string::npos);
    const Outcome bad = Ov2cat(
        {"export", Path("Music.ovd"), Path("x.csv"), "--format", "csv", "--query", "size:>zz"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "x.csv"));
    const std::string catalogue = ReadFileBytes(m_dir / "Music.ovd");
    EXPECT_EQ(Ov2cat({"export", Path("Music.ovd"), Path("Music.ovd"), "--format", "csv"}).code, 1);
    EXPECT_EQ(ReadFileBytes(m_dir / "Music.ovd"), catalogue);
}

// A cancelled export leaves nothing at the destination, not even its temporary file, and an
// older file there as it was.
TEST_F(ExportTest, CancelLeavesNoFileBehindInAnyFormat) {
    WriteFileBytes(m_dir / "old.csv", "kept");
    for (Format format :
         {Format::Csv, Format::Tsv, Format::JsonLines, Format::Html, Format::Sqlite}) {
        ExportOptions options;
        options.format = format;
        for (const char* name : {"new.out", "old.csv"}) {
            int calls = 0;
            const ExportResult result = ExportCatalogue(m_database, WholeCatalogue(m_database),
                                                        options, QString::fromStdString(Path(name)),
                                                        [&](std::size_t, std::size_t total) {
                                                            EXPECT_EQ(total, 3u);
                                                            return ++calls < 2;
                                                        });
            EXPECT_EQ(result.status, ExportStatus::Cancelled);
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 2)
            << FormatExtension(format);
        EXPECT_EQ(ReadFileBytes(m_dir / "old.csv"), "kept");
    }
}

// Headless Chromium opens the page with a search in its address: the hit count as the page
// shows it, and names that hold markup shown as text, never run.
TEST_F(ExportTest, HtmlPageAnswersASearchInChromiumAndShowsMarkupAsText) {
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty())
        GTEST_SKIP() << "Debian's chromium is not installed: the page is not opened";
    m_database.m_lstDiscs[0]->m_strArtist = "<img src=x onerror=\"document.body.dataset.ran=1\">";
    ExportOptions options;
    options.format = Format::Html;
    ASSERT_EQ(ExportCatalogue(m_database, WholeCatalogue(m_database), options,
                              QString::fromStdString(Path("page.html")))
                  .status,
              ExportStatus::Done);
    const std::string page = ReadFileBytes(m_dir / "page.html");
    EXPECT_EQ(page.find("://"), std::string::npos) << "the page must not load anything";
    const auto dom = [&](const char* fragment) {
        const Outcome run =
            Program(chromium,
                    {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                     QStringLiteral("--disable-gpu"), QStringLiteral("--dump-dom"),
                     QStringLiteral("file://%1%2")
                         .arg(QString::fromStdString(Path("page.html")), QLatin1String(fragment))});
        EXPECT_EQ(run.code, 0) << run.err;
        return run.out;
    };
    std::string shown = dom("#q=ALERT%20%20txt");
    EXPECT_NE(shown.find("<span id=\"count\">1 file found</span>"), std::string::npos) << shown;
    EXPECT_NE(shown.find(
                  ">&lt;script&gt;alert(1)&lt;/script&gt;.txt</span><span class=\"size\">7 bytes<"),
              std::string::npos);
    EXPECT_NE(shown.find("\u2014 &lt;img src=x"), std::string::npos);
    EXPECT_EQ(shown.find("data-ran"), std::string::npos);
    shown = dom("#q=STRASSE");  // no word of it: nothing found
    EXPECT_NE(shown.find("<span id=\"count\">0 files found</span>"), std::string::npos);
    EXPECT_NE(dom("").find("<span id=\"count\">3 files on all discs</span>"), std::string::npos);
}

}  // namespace
}  // namespace ov2::test

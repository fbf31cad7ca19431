// Old catalogues converted by the procedure, by "Convert Old Files" through the Convertor
// library's dialog, and by ov2cat convert.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/left_view.h"
#include "app/main_frame.h"
#include "convertor/convert_procedure.h"
#include "convertor/dialog_convert.h"
#include "core/catalogue_file.h"
#include "core/command_ids.h"
#include "core/string_list.h"
#include "core/ov2_doc.h"
#include "tests/support/drive_map.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;
namespace fs = std::filesystem;
using SV = std::vector<std::string_view>;

// Old files as the previous version wrote them, with the archive writer: each file an archive of
// its own, the old classes with their fields in file order.
const OvRuntimeClass kOldDisc{"CDisc", 0, nullptr, true}, kOldFile{"CFileData", 0, nullptr, true};
struct OldRecord final : CObject {
    OldRecord(const OvRuntimeClass* c, std::vector<std::string> t, std::vector<std::string> l = {})
        : cls(c), texts(std::move(t)), categories(std::move(l)) {}
    const OvRuntimeClass* GetRuntimeClass() const override { return cls; }
    void Serialize(CArchive& ar) override {
        for (const std::string& text : texts) ar.WriteString(text);
        SerializeStrings(ar, categories);
    }
    const OvRuntimeClass* cls;
    std::vector<std::string> texts, categories;
};

// A list of records, or with none, Cat.dat's list of the names.
std::string OldFile(std::vector<OldRecord> records, std::vector<std::string> names = {}) {
    std::string bytes;
    CArchive ar([&bytes](const char* data, std::size_t size) { return bytes.append(data, size), true; });
    if (records.empty()) SerializeStrings(ar, names);
    else ar.WriteCount(records.size());
    for (const OldRecord& record : records) ar.WriteObject(&record);
    ar.Flush();
    return bytes;
}

// A disc's fields other than number, name and location are the number with a prefix.
OldRecord Disc(const std::string& n, const std::string& name, const std::string& location = "home",
               std::vector<std::string> categories = {}) {
    return {&kOldDisc, {n, "quality " + n, "notes " + n, "artist " + n, name, location, "saved " + n, "1st", "2nd",
                        "lent " + n, "3rd"}, std::move(categories)};
}

// The tree names discs 3, 7 (a root line without a blank), 4 (no old disc), 1 and 2, and ends
// without a line end; old disc 9 and its file have no tree disc.
void WriteSample(const fs::path& folder) {
    fs::create_directories(folder);
    WriteFileBytes(folder / "Data.dat", OldFile({Disc("1", "One"), Disc("2", "Two", "Tom", {"a", "b", "c"}),
                                                 Disc("3", "3"), Disc("9", "9")}));
    WriteFileBytes(folder / "Cat.dat", OldFile({}, {"Rock", "Jazz"}));
    WriteFileBytes(folder / "FileData.dat", OldFile({{&kOldFile, {"x.mp3", "3", "e:\\mp3\\", "1024", "e:"}, {"Rock", "Jazz"}},
                                                     {&kOldFile, {"y", "1", "e:\\", "1", "e:"}},
                                                     {&kOldFile, {"z", "9", "e:\\", "1", "e:"}}}));
    WriteFileBytes(folder / "Tree.ovdt", "3 Three\r\n\tmp3\r\n\r\n7\n4 Four\n1 One\r\n2 Two");
}

TEST(ConvertorTest, AnOldCatalogueConvertsIntoAscendingDiscs) {
    TempDir dir;
    WriteSample(dir.path());
    CConvertProcedure procedure;
    procedure.m_strFolder = dir.path().string();
    ASSERT_EQ(procedure.FileCheck(), 0);
    const auto tree = procedure.GetTree(std::make_unique<COvDiscDatabase>());
    EXPECT_EQ(Numbers(*tree), "2 1 4 3");  // the root line "7" gives no number: left out at once
    EXPECT_EQ(procedure.m_nLeftOut, 1u);

    ASSERT_EQ(procedure.Convert(), CConvertProcedure::Outcome::Converted);
    COv2Doc doc;
    doc.TakeConvertedCatalogue(*procedure.m_pDatabase);
    const COvDiscDatabase& db = *doc.m_pDatabase;
    ASSERT_EQ(Numbers(db), "1 2 3 4");
    const COvDisc& two = *db.m_lstDiscs[1];
    EXPECT_EQ((SV{two.m_strName, two.m_strQuality, two.m_strNotes, two.m_strArtist, two.m_strLocation,
                  two.m_strSavedAt, two.m_strLendDate, two.m_strFolderTree}),
              (SV{"Two", "quality 2", "notes 2", "artist 2", "Tom", "saved 2", "lent 2", "2 Two\r\n"}));
    EXPECT_EQ(two.m_lstCategories, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(db.m_lstDiscs[2]->m_strFolderTree, "3 Three\r\n\tmp3\r\n");
    EXPECT_EQ(db.m_lstDiscs[3]->m_strLocation, "");
    const COvFileData& x = *db.m_lstDiscs[2]->m_lstFiles.at(0);
    EXPECT_EQ((SV{x.m_strFileName, x.m_strFolder, x.m_strSize, x.m_strDrive}), (SV{"x.mp3", "e:\\mp3\\", "1024", "e:"}));
    EXPECT_EQ(x.m_lstCategories, (std::vector<std::string>{"Rock", "Jazz"}));
    EXPECT_EQ(db.m_lstDiscs[0]->GetCount() + db.m_lstDiscs[1]->GetCount() + db.m_lstDiscs[3]->GetCount(), 1);
    EXPECT_EQ(db.m_pCategories->m_strings, (std::vector<std::string>{"Rock", "Jazz"}));
}

TEST(ConvertorTest, HostileFilesAreCheckedFirstAndCutShort) {
    TempDir dir;
    WriteFileBytes(dir / "Data.dat", "broken");
    CConvertProcedure procedure;
    procedure.m_strFolder = dir.path().string();
    EXPECT_EQ(procedure.Convert(), CConvertProcedure::Outcome::Missing);
    EXPECT_EQ(procedure.m_strMissing, "1: Cat.dat \r\n2: FileData.dat \r\n3: Tree.ovdt \r\n");

    // Names repeated or empty cost nothing; so do root lines that cannot become discs.
    WriteSample(dir.path());
    std::vector<std::string> names(100000, "Jazz");
    names.insert(names.begin() + 5, {"", "Rock", ""});
    WriteFileBytes(dir / "Cat.dat", OldFile({}, names));
    std::string tree = "7 Seven\n";
    for (int i = 0; i < 30; ++i) tree += (i % 3 ? "x\n" : "5 Five\n");
    WriteFileBytes(dir / "Tree.ovdt", tree + "5 Five\n\tsub\n" + ReadFileBytes(dir / "Tree.ovdt"));
    ASSERT_EQ(procedure.Convert(), CConvertProcedure::Outcome::Converted);
    EXPECT_EQ(procedure.m_pDatabase->m_pCategories->m_strings, (std::vector<std::string>{"Jazz", "Rock"}));
    EXPECT_EQ(Numbers(*procedure.m_pDatabase), "7 5 4 3 2 1");
    EXPECT_EQ(procedure.LeftOutMessage(),
              "31 disc(s) of the old catalogue were not converted: their numbers are not plain whole numbers, or "
              "another disc has the same number.\r\nNumbers: 5, (none), (none), 5, (none), (none), 5, (none), "
              "(none), 5, (none), (none), 5, (none), (none), 5, (none), (none), 5, (none) and 11 more");
}

// Root may write any file: ov2cat then runs as nobody, for whom read-only files are read-only.
std::pair<int, std::string> Ov2catConvert(const fs::path& old, const fs::path& out) {
    QProcess process;
    if (geteuid() == 0)
        process.setChildProcessModifier([] {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        });
    process.start(QStringLiteral(OV2CAT_PATH), {QStringLiteral("convert"), QString::fromStdString(old.string()),
                                                 QString::fromStdString(out.string())});
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardError().toStdString()};
}

TEST(ConvertorTest, Ov2catConvertsReadOnlyFilesAndNothingMissingOrMalformed) {
    TempDir dir;
    const fs::path old = dir / "old", out = dir / "out.ovd";
    WriteSample(old);
    fs::permissions(dir.path(), fs::perms::all);
    for (const auto& file : fs::directory_iterator(old)) fs::permissions(file, fs::perms::others_read | fs::perms::owner_read);
    fs::permissions(old, fs::perms::others_write | fs::perms::owner_write, fs::perm_options::remove);
    auto [code, err] = Ov2catConvert(old, out);
    EXPECT_EQ(code, 0) << err;
    COvDiscDatabase saved;
    ASSERT_TRUE(ReadCatalogueFile(out, saved, &err)) << err;
    EXPECT_EQ(Numbers(saved), "1 2 3 4");
    EXPECT_EQ(saved.m_pSettings->m_map.GetCount(), 3u);
    const std::string savedBytes = ReadFileBytes(out);

    fs::permissions(old, fs::perms::all);
    const std::string files = ReadFileBytes(old / "FileData.dat");
    fs::remove(old / "FileData.dat");
    WriteFileBytes(old / "FileData.dat", files.substr(0, files.size() - 1));
    std::tie(code, err) = Ov2catConvert(old, out);
    EXPECT_EQ(code, 1);
    EXPECT_NE(err.find("FileData.dat: the file ends before a complete item"), std::string::npos) << err;
    fs::remove(old / "Cat.dat");
    std::tie(code, err) = Ov2catConvert(old, out);
    EXPECT_EQ(code, 1);
    EXPECT_NE(err.find(": the needed old files have not been found\n1: Cat.dat\n2: FileData.dat\n3: Tree.ovdt\n"),
              std::string::npos) << err;
    EXPECT_EQ(ReadFileBytes(out), savedBytes);
}

TEST(ConvertorTest, ConvertOldFilesTakesTheDialogsDiscsIntoAnEmptyCatalogue) {
    TempDir dir;
    WriteSample(dir / "old");
    fs::create_directories(dir / "cd");
    const ScopedEnv home("HOME", dir.path().string());
    {
        const DriveMap cdOnly("D=cdrom:" + (dir / "cd").string());
        EXPECT_EQ(CDialogConvert().m_treeFolders->topLevelItem(0)->text(0).toStdString(), dir.path().string());
    }
    const DriveMap drives("C=fixed:" + dir.path().string() + ";D=cdrom:" + (dir / "cd").string() +
                          ";E=remote:" + (dir / "old").string());
    COv2Doc doc;
    CMainFrame frame(&doc);
    doc.OnNewDocument();
    MessageRecorder messages;
    QStringList shown;
    std::string foldedPath, drivePath;
    auto click = [](CDialogConvert* dialog, const char* button) {
        dialog->findChild<QPushButton*>(QLatin1String(button))->click();
    };
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDialogConvert*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        QTreeWidget* tree = dialog->m_treeFolders;
        QTreeWidgetItem* c = tree->topLevelItem(0);
        c->setExpanded(true);
        tree->setCurrentItem(c->child(1));
        c->setExpanded(false);  // folding C: selects it: "old" is gone from sight
        foldedPath = dialog->m_strPath + (tree->currentItem() == c ? "" : " is not C:");
        click(dialog, "buttonConvert");  // C: holds no old files
        click(dialog, "buttonOk");
    });
    frame.RunCommand(ov2::cmd::kConvertOldFiles);
    EXPECT_EQ(foldedPath, "C:\\\\");
    EXPECT_FALSE(doc.IsModified());  // nothing was converted

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDialogConvert*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        QTreeWidget* tree = dialog->m_treeFolders;
        tree->topLevelItem(2)->setExpanded(true);  // the home folder
        for (QTreeWidgetItem* item : {tree->topLevelItem(0), tree->topLevelItem(1), tree->topLevelItem(2),
                                      tree->topLevelItem(2)->child(0), tree->topLevelItem(2)->child(1)})
            shown << item->text(0);
        tree->setCurrentItem(tree->topLevelItem(1));
        drivePath = dialog->m_strPath;
        click(dialog, "buttonConvert");
        click(dialog, "buttonOk");
    });
    frame.RunCommand(ov2::cmd::kConvertOldFiles);
    EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(), "C:\\|E:\\|" + dir.path().string() + "|cd|old");
    EXPECT_EQ(drivePath, "E:\\\\");
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"The Needed Old Files:\r\n\n1: Data.dat \r\n2: Cat.dat \r\n3: FileData.dat \r\n"
                                        "4: Tree.ovdt \r\n\r\n\nhave Not Been Found.\r\nThe Convert Process has been terminated!",
                                        "The Conversion Process Was Compeleted Successfuly.",
                                        // the tree's root line "7" gave its disc no number
                                        "1 disc(s) of the old catalogue were not converted: their numbers are not "
                                        "plain whole numbers, or another disc has the same number.\r\nNumbers: (none)"}));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2 3 4");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(frame.findChild<CLeftView*>()->topLevelItemCount(), 4);
    EXPECT_EQ(frame.findChild<QTreeWidget*>(QStringLiteral("listCategories"))->topLevelItemCount(), 2);

    // Records of the library and of the program share one class description in the file.
    doc.m_pDatabase->AddTail(MakeDisc("5", "Five", {MakeFile("a", "e:\\", "1")}));
    const std::string bytes = CatalogueBytes(*doc.m_pDatabase);
    for (const char* name : {"COvDisc", "COvFileData"})
        EXPECT_TRUE(bytes.find(name) != std::string::npos && bytes.find(name) == bytes.rfind(name)) << name;

    frame.RunCommand(ov2::cmd::kConvertAccel);
    EXPECT_EQ(messages.Texts().back(), "Please, save your data first\n and use this function only with empty documents.");
    EXPECT_EQ(doc.m_pDatabase->GetCount(), 5);
}

}  // namespace

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
#include "core/ov2_doc.h"
#include "tests/support/bytes.h"
#include "tests/support/drive_map.h"
#include "tests/support/message_recorder.h"
#include "tests/support/old_catalogue.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;
namespace fs = std::filesystem;
using Outcome = CConvertProcedure::Outcome;

// The tree names discs 3, 7 (a root line without a blank), 4 (no old disc), 1 and 2, and ends
// without a line end; old disc 9 and its file have no tree disc.
void WriteSample(const fs::path& folder) {
    WriteOldCatalogue(folder, {{"1", "One"}, {"2", "Two", "Tom", {"a", "b", "c"}}, {"3", "Three"}, {"9", "Nine"}},
                      {"Rock", "Jazz"},
                      {{"x.mp3", "3", "e:\\mp3\\", {"Rock", "Jazz"}}, {"y.txt", "1", "e:\\"}, {"z", "9", "e:\\"}},
                      "3 Three\r\n\tmp3\r\n\r\n7\n4 Four\n1 One\r\n2 Two");
}

TEST(ConvertorTest, AnOldCatalogueConvertsIntoAscendingDiscs) {
    TempDir dir;
    WriteSample(dir.path());
    CConvertProcedure procedure;
    procedure.m_strFolder = dir.path().string();
    ASSERT_EQ(procedure.FileCheck(), 0);
    const auto tree = procedure.GetTree(std::make_unique<COvDiscDatabase>());
    EXPECT_EQ(Numbers(*tree), "2 1 4  3");
    EXPECT_EQ(tree->m_lstDiscs[3]->m_strFolderTree, "7\r\n");

    ASSERT_EQ(procedure.Convert(), Outcome::Converted);
    COv2Doc doc;
    doc.DeleteContents();
    doc.TakeConvertedCatalogue(*procedure.m_pDatabase);
    const COvDiscDatabase& db = *doc.m_pDatabase;
    ASSERT_EQ(Numbers(db), "1 2 3 4");
    const COvDisc& two = *db.m_lstDiscs[1];
    EXPECT_EQ((std::vector<std::string_view>{two.m_strName, two.m_strQuality, two.m_strNotes, two.m_strArtist,
                                             two.m_strLocation, two.m_strSavedAt, two.m_strLendDate}),
              (std::vector<std::string_view>{"Two", "quality 2", "notes 2", "artist 2", "Tom", "saved 2", "lent 2"}));
    EXPECT_EQ(two.m_lstCategories, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(two.m_strFolderTree, "2 Two\r\n");
    EXPECT_EQ(db.m_lstDiscs[2]->m_strFolderTree, "3 Three\r\n\tmp3\r\n");
    EXPECT_EQ(db.m_lstDiscs[3]->m_strLocation, "");
    const COvFileData& x = *db.m_lstDiscs[2]->m_lstFiles.at(0);
    EXPECT_EQ((std::vector<std::string_view>{x.m_strFileName, x.m_strFolder, x.m_strSize, x.m_strDrive}),
              (std::vector<std::string_view>{"x.mp3", "e:\\mp3\\", "1024", "e:"}));
    EXPECT_EQ(x.m_lstCategories, (std::vector<std::string>{"Rock", "Jazz"}));
    EXPECT_EQ(db.m_lstDiscs[0]->GetCount() + db.m_lstDiscs[1]->GetCount() + db.m_lstDiscs[3]->GetCount(), 1);
    EXPECT_EQ(db.m_pCategories->m_strings, (std::vector<std::string>{"Rock", "Jazz"}));
}

TEST(ConvertorTest, AMalformedOldFileConvertsNothing) {
    TempDir dir;
    WriteSample(dir.path());
    CConvertProcedure procedure;
    procedure.m_strFolder = dir.path().string();
    const std::string files = ReadFileBytes(dir / "FileData.dat");
    WriteFileBytes(dir / "FileData.dat", files.substr(0, files.size() - 1));
    EXPECT_EQ(procedure.Convert(), Outcome::Unreadable);
    EXPECT_NE(procedure.m_strError.find("FileData.dat: "), std::string::npos) << procedure.m_strError;
    WriteFileBytes(dir / "FileData.dat", files);
    WriteFileBytes(dir / "Data.dat", Bytes().Word(1).NewClass("COvDisc").Str("1"));
    EXPECT_EQ(procedure.Convert(), Outcome::Unreadable);
    EXPECT_NE(procedure.m_strError.find("Data.dat: unknown class"), std::string::npos) << procedure.m_strError;
    EXPECT_TRUE(procedure.m_pDatabase->IsEmpty());
}

struct ConvertRun {
    int code = -1;
    std::string out, err;
};

// Root may write any file: then ov2cat runs as nobody, for whom read-only files are read-only.
ConvertRun Ov2catConvert(const fs::path& old, const fs::path& out) {
    QProcess process;
    if (geteuid() == 0)
        process.setChildProcessModifier([] {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        });
    process.start(QStringLiteral(OV2CAT_PATH), {QStringLiteral("convert"), QString::fromStdString(old.string()),
                                                 QString::fromStdString(out.string())});
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

TEST(ConvertorTest, Ov2catConvertsReadOnlyFilesAndWritesNothingWhenFilesAreMissing) {
    TempDir dir;
    const fs::path old = dir / "old", out = dir / "out.ovd";
    WriteSample(old);
    fs::permissions(dir.path(), fs::perms::all);
    for (const auto& file : fs::directory_iterator(old)) fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(old, fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
    ConvertRun run = Ov2catConvert(old, out);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "discs 4 files 2 categories 2\n");
    COvDiscDatabase saved;
    std::string error;
    ASSERT_TRUE(ReadCatalogueFile(out, saved, &error)) << error;
    EXPECT_EQ(Numbers(saved), "1 2 3 4");
    EXPECT_EQ(saved.m_pSettings->m_map.GetCount(), 3u);

    fs::permissions(old, fs::perms::all);
    fs::remove(old / "Cat.dat");
    run = Ov2catConvert(old, out);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find(": the needed old files have not been found\n1: Cat.dat\n2: FileData.dat\n3: Tree.ovdt\n"),
              std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(out), CatalogueBytes(saved));
}

TEST(ConvertorTest, ConvertOldFilesTakesTheDialogsDiscsIntoAnEmptyCatalogue) {
    TempDir dir;
    WriteSample(dir / "old");
    fs::create_directories(dir / "cd");
    const DriveMap drives("C=fixed:" + dir.path().string() + ";D=cdrom:" + (dir / "cd").string() +
                          ";E=remote:" + (dir / "old").string());
    COv2Doc doc;
    CMainFrame frame(&doc);
    doc.OnNewDocument();
    MessageRecorder messages;
    QStringList shown;
    std::string drivePath;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDialogConvert*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        QTreeWidget* tree = dialog->m_treeFolders;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) shown << tree->topLevelItem(i)->text(0);
        for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i) shown << tree->topLevelItem(0)->child(i)->text(0);
        dialog->findChild<QPushButton*>(QStringLiteral("buttonConvert"))->click();  // on C:, no old files
        tree->setCurrentItem(tree->topLevelItem(1));
        drivePath = dialog->m_strPath;
        dialog->findChild<QPushButton*>(QStringLiteral("buttonConvert"))->click();
        dialog->findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
    });
    frame.RunCommand(ov2::cmd::kConvertOldFiles);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("C:\\"), QStringLiteral("E:\\"), QStringLiteral("cd"), QStringLiteral("old")}));
    EXPECT_EQ(drivePath, "E:\\\\");
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"The Needed Old Files:\r\n\n1: Data.dat \r\n2: Cat.dat \r\n3: FileData.dat \r\n"
                                        "4: Tree.ovdt \r\n\r\n\nhave Not Been Found.\r\nThe Convert Process has been terminated!",
                                        "The Conversion Process Was Compeleted Successfuly."}));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2 3 4");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(frame.findChild<CLeftView*>()->topLevelItemCount(), 4);
    EXPECT_EQ(frame.findChild<QTreeWidget*>(QStringLiteral("listCategories"))->topLevelItemCount(), 2);

    // Records of the library and of the program share one class description in the file.
    doc.m_pDatabase->AddTail(MakeDisc("5", "Five", {MakeFile("a", "e:\\", "1")}));
    const std::string bytes = CatalogueBytes(*doc.m_pDatabase);
    for (const char* name : {"COvDisc", "COvFileData"}) {
        std::size_t count = 0;
        for (std::size_t at = bytes.find(name); at != std::string::npos; at = bytes.find(name, at + 1)) ++count;
        EXPECT_EQ(count, 1u) << name;
    }

    frame.RunCommand(ov2::cmd::kConvertAccel);
    EXPECT_EQ(messages.Texts().back(), "Please, save your data first\n and use this function only with empty documents.");
    EXPECT_EQ(doc.m_pDatabase->GetCount(), 5);
}

}  // namespace

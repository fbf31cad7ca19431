// File > Export... in the real main window: the sources it offers (the catalogue, the selected
// disc, Find's rows, a search result window's rows), an export of Find's rows, and Cancel
// during a long export.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_frame.h"
#include "catalog_ops/dialog_search.h"
#include "core/catalogue_file.h"
#include "core/ov2_doc.h"
#include "export/gui/dialog_export.h"
#include "find/find_model.h"
#include "find/find_session.h"
#include "find/gui/find_box.h"
#include "find/gui/find_pane.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;

template <class T>
T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

TEST(ExportDialog, OffersTheCatalogueTheSelectedDiscFindAndSearchWindowsAndExportsFindsRows) {
    TempDir dir;
    COvDiscDatabase database;
    AddDefaultSettings(database);
    database.AddTail(
        MakeDisc("1", "Rock",
                 {MakeFile("Anthem.mp3", "e:\\rock\\", "100"), MakeFile("a.txt", "e:\\", "1")}));
    database.AddTail(MakeDisc("2", "Live", {MakeFile("live.mp3", "f:\\", "2000")}));
    WriteFileBytes(dir / "Music.ovd", CatalogueBytes(database));
    COv2Doc doc;
    CMainFrame frame(&doc);
    doc.OnOpenDocument(QString::fromStdString((dir / "Music.ovd").string()));
    doc.SetCurrentDisc(doc.m_pDatabase->m_lstDiscs[1].get());
    QTest::keyClicks(frame.Find()->Box(), QStringLiteral("ext:mp3"));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !frame.Find()->Session()->IsBusy() && frame.Find()->Model()->rowCount() == 2;
    }));

    auto* search = new CDialogSearch(&doc, {"a", "files", "all"}, {}, &frame);
    search->show();
    const QString out = QString::fromStdString((dir / "found.jsonl").string());
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDialogExport*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* sources = Child<QComboBox>(dialog, "comboSource");
        for (int i = 0; i < sources->count(); ++i) offered << sources->itemText(i);
        sources->setCurrentIndex(sources->findData(QStringLiteral("sourceFind")));
        Child<QComboBox>(dialog, "comboFormat")->setCurrentIndex(3);  // JSON Lines
        Child<QLineEdit>(dialog, "editDestination")->setText(out);
        QTest::mouseClick(Child<QPushButton>(dialog, "buttonExport"), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->IsRunning(); }));
        EXPECT_EQ(Child<QLabel>(dialog, "labelStatus")->text(),
                  QStringLiteral("2 files exported to %1.").arg(out));
        dialog->reject();
    });
    frame.findChild<QAction*>(QStringLiteral("actionExport"))->trigger();
    EXPECT_EQ(offered,
              (QStringList{QStringLiteral("The whole catalogue (2 discs, 3 files)"),
                           QStringLiteral("The selected disc: 2 Live (1 file)"),
                           QStringLiteral("The rows of Find: \"ext:mp3\" (2 files)"),
                           QStringLiteral("The rows of the search window \"a\" (2 files)")}));
    const std::string rows = ReadFileBytes(dir / "found.jsonl");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 5)
        << rows;  // catalogue, 2 discs, 2 files
    EXPECT_NE(rows.find(R"("catalogue":"Music.ovd","disc":2,"discName":"Live")"),
              std::string::npos);
    EXPECT_EQ(rows.find("a.txt"), std::string::npos);
}

TEST(ExportDialog, CancelDuringALongExportLeavesNoFile) {
    TempDir dir;
    auto database = std::make_shared<COvDiscDatabase>();
    for (int d = 1; d <= 300; ++d) {
        std::vector<std::shared_ptr<COvFileData>> files;
        for (int f = 0; f < 1000; ++f)
            files.push_back(MakeFile("file " + std::to_string(f) + ".dat", "e:\\data\\", "4096"));
        database->AddTail(MakeDisc(std::to_string(d), "Backup", std::move(files)));
    }
    ov2::exporting::ExportSource source;
    source.title = QStringLiteral("all");
    source.database = database;
    source.selection = ov2::exporting::WholeCatalogue(*database);
    CDialogExport dialog({source});
    dialog.show();
    Child<QComboBox>(&dialog, "comboFormat")->setCurrentIndex(5);  // SQLite
    Child<QLineEdit>(&dialog, "editDestination")
        ->setText(QString::fromStdString((dir / "all.sqlite").string()));
    QTest::mouseClick(Child<QPushButton>(&dialog, "buttonExport"), Qt::LeftButton);
    ASSERT_TRUE(dialog.IsRunning());
    QTest::mouseClick(Child<QPushButton>(&dialog, "buttonCancel"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());  // until the worker has cleaned up
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.IsRunning(); }, 20000));
    EXPECT_EQ(dialog.LastResult().status, ov2::exporting::ExportStatus::Cancelled);
    EXPECT_EQ(Child<QLabel>(&dialog, "labelStatus")->text(),
              QStringLiteral("The export was cancelled; no file was written."));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

}  // namespace

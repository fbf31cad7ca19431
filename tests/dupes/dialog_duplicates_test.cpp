#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTreeView>

#include "core/ov2_doc.h"
#include "dupes/gui/dialog_duplicates.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace {

using namespace ov2::test;

TEST(DialogDuplicates, ACopyGoesToItsDiscUntilTheDiscIsGoneAndABadSizeIsExplained) {
    COv2Doc doc;
    doc.OnNewDocument();
    doc.m_pDatabase->AddTail(MakeDisc("1", "Music", {MakeFile("song.mp3", "e:\\", "3000000")}));
    doc.m_pDatabase->AddTail(MakeDisc("2", "Backup", {MakeFile("SONG.mp3", "e:\\old\\", "3000000"),
                                                      MakeFile("only.mp3", "e:\\", "2000000")}));
    CDialogDuplicates window(&doc);
    std::vector<std::string> shown;
    QObject::connect(&window, &CDialogDuplicates::showFile,
                     [&](const std::string& number, const COvFileData& file) {
                         shown.push_back(number + ":" + file.m_strFileName.str());
                     });
    auto* duplicates = window.findChild<QTreeView*>(QStringLiteral("listDuplicates"));
    auto* singles = window.findChild<QTreeView*>(QStringLiteral("listSingleCopies"));
    const QAbstractItemModel* groups = duplicates->model();
    ASSERT_EQ(groups->rowCount(), 1);
    const QModelIndex group = groups->index(0, 0);
    ASSERT_EQ(groups->rowCount(group), 2);
    EXPECT_EQ(groups->index(0, 4).data().toInt(), 2);  // copies
    ASSERT_EQ(singles->model()->rowCount(), 1);
    EXPECT_EQ(singles->model()->index(0, 0).data(), QStringLiteral("only.mp3"));
    EXPECT_EQ(singles->model()->rowCount(singles->model()->index(0, 0)), 0);

    Q_EMIT duplicates->activated(group);  // the group: nowhere
    Q_EMIT duplicates->activated(groups->index(1, 0, group));
    EXPECT_EQ(shown, std::vector<std::string>{"2:SONG.mp3"});

    MessageRecorder messages;
    doc.m_pDatabase->DeleteDisc("2");
    Q_EMIT duplicates->activated(groups->index(1, 0, group));
    EXPECT_EQ(shown.size(), 1u);
    window.findChild<QLineEdit*>(QStringLiteral("editMinSize"))->setText(QStringLiteral("lots"));
    EXPECT_FALSE(window.Find());
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_NE(messages.Texts()[1].find("minimum size"), std::string::npos);
}

}  // namespace

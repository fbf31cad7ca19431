// The gap finder from the commands panel: a dialog of the unassigned numbers, or a message.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include "catalog_ops/commands_view.h"
#include "core/ov2_doc.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

TEST(GapsTest, PanelSaysThereAreNoGapsOrListsThemAtOnceEvenBelowAHugeLastNumber) {
    ov2::test::MessageRecorder messages;
    COv2Doc doc;
    doc.OnNewDocument();
    CCommandsView panel(&doc);
    panel.OnButtonGaps();  // an empty catalogue: neither message nor dialog
    for (const char* n : {"1", "2"}) doc.m_pDatabase->AddTail(ov2::test::MakeDisc(n, "d"));
    panel.OnButtonGaps();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No gaps in the cd index"});
    doc.m_pDatabase->AddTail(ov2::test::MakeDisc("2000000000", "d"));
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        QWidget* dialog = QApplication::activeModalWidget();
        shown << dialog->windowTitle();
        for (const QLabel* label : dialog->findChildren<QLabel*>()) shown << label->text();
        dialog->close();
    });
    QElapsedTimer clock;
    clock.start();
    panel.OnButtonGaps();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(shown.join(QLatin1Char('|')),
              QStringLiteral("Find Gaps in the CD Index|Unassigned Indices:|10000|"
                             "Only the first 10000 unassigned numbers are listed."));
}

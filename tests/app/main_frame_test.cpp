// The main window with its four real panes: layout, caption, the command line, dropped files,
// help, and which keys reach the accelerators.
#include "app/main_frame.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QSysInfo>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/left_view.h"
#include "app/ov2_app.h"
#include "app/pane_splitter.h"
#include "app/program_icon.h"
#include "app/recovery_offer.h"
#include "core/catalogue_file.h"
#include "core/catalogue_recovery.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "platform/shell_open.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::test;

// Records what would be opened instead of asking the desktop.
struct RecordingOpener {
    RecordingOpener() {
        previous = ov2::SetOpenHandler([this](const QString& target) {
            opened << target;
            return true;
        });
    }
    ~RecordingOpener() { ov2::SetOpenHandler(previous); }
    QStringList opened;
    ov2::OpenHandler previous;
};

QString WriteCatalogue(const TempDir& dir, const char* name, std::vector<std::shared_ptr<COvDisc>> discs) {
    COvDiscDatabase db;
    for (auto& d : discs) db.AddTail(d);
    WriteFileBytes(dir / name, CatalogueBytes(db));
    return QString::fromStdString((dir / name).string());
}

// Drops reach a window only while a drag is under way; the test hands the event over itself.
struct TestFrame : CMainFrame {
    using CMainFrame::CMainFrame;
    using CMainFrame::dropEvent;
};

struct MainFrameTest : testing::Test {
    MainFrameTest() {
        doc.OnNewDocument();
        frame.resize(1400, 800);
        frame.show();
        QCoreApplication::processEvents();
    }
    COv2Doc doc;
    TestFrame frame{&doc};
};

TEST_F(MainFrameTest, FourPanesWithTheExtraWidthInTheFileListRememberedOnClosing) {
    const QList<int> sizes = frame.Splitter()->sizes();
    ASSERT_EQ(sizes.size(), 4);
    EXPECT_EQ(sizes[0], 255);
    EXPECT_EQ(sizes[1], 200);
    EXPECT_GT(sizes[2], 320);
    // No narrower than the categories pane's titles need.
    EXPECT_EQ(sizes[3], std::max(165, frame.Splitter()->widget(3)->minimumSizeHint().width()));
    EXPECT_STREQ(frame.Splitter()->widget(0)->metaObject()->className(), "CCommandsView");
    EXPECT_STREQ(frame.Splitter()->widget(3)->metaObject()->className(), "CCategoriesView");

    frame.Splitter()->setSizes({300, 150, 700, 200});
    frame.close();
    COv2Doc nextDoc;
    nextDoc.OnNewDocument();
    CMainFrame next(&nextDoc);
    const auto showAt = [&next](int width) {
        next.resize(width, 800);
        next.show();
        QCoreApplication::processEvents();
        return next.Splitter()->sizes();
    };
    QList<int> remembered = showAt(1360);
    EXPECT_EQ(remembered[0], 300);
    EXPECT_EQ(remembered[1], 150);
    EXPECT_EQ(remembered[3], 200);
    EXPECT_LT(remembered[2], 700);  // a narrower window narrows the file list alone

    // Too narrow (small screen, large scaling): the side panes give way to half the window.
    for (int width : {1000, 800}) {
        const QList<int> squeezed = showAt(width);
        EXPECT_GE(squeezed[2], width / 2) << width;
        for (int pane : {0, 1, 3}) {
            EXPECT_LT(squeezed[pane], remembered[pane]) << width;
            EXPECT_GE(squeezed[pane], next.Splitter()->widget(pane)->minimumWidth()) << width;
        }
    }
    EXPECT_EQ(showAt(1360), remembered);
}

TEST_F(MainFrameTest, CommandLineAndDroppedFilesOpenCatalogues) {
    TempDir dir;
    const QString first = WriteCatalogue(dir, "first.ovd", {MakeDisc("4", "Four")});
    const QString second = WriteCatalogue(dir, "second.ovd", {MakeDisc("5", "Five"), MakeDisc("6", "Six")});
    EXPECT_TRUE(OpenAtStart(doc, frame, {first}));  // named as a catalogue opened later
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Ov2 - first.ovd[*]"));
    EXPECT_TRUE(OpenAtStart(doc, frame, {}));
    doc.SetModifiedFlag();  // an edit marks it and leaves its text
    EXPECT_EQ(frame.windowHandle()->title(), QStringLiteral("Orvella - Ov2*"));

    EXPECT_TRUE(OpenFromCommandLine(doc, {first}));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Ov2 - first.ovd[*]"));
    auto* tree = frame.findChild<CLeftView*>();
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->topLevelItemCount(), 1);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(second)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    frame.dropEvent(&drop);
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "5 6");
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Ov2 - second.ovd[*]"));

    MessageRecorder messages;
    EXPECT_FALSE(OpenFromCommandLine(doc, {QString::fromStdString((dir / "missing.ovd").string())}));
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("Failed to open document.", 0), 0u);

    EXPECT_TRUE(OpenFromCommandLine(doc, {}));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Ov2 - Untitled[*]"));
}

TEST_F(MainFrameTest, HelpOpensHelpChmOfTheCurrentFolderOrSaysItIsMissing) {
    TempDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    RecordingOpener opener;
    MessageRecorder messages;

    // No Help.chm here, and no help installed beside the test program.
    frame.RunCommand(ov2::cmd::kHelp);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Could Not Find Help Files."});
    EXPECT_EQ(messages.Messages()[0].icon, ov2::MsgIcon::Error);
    EXPECT_TRUE(opener.opened.isEmpty());

    WriteFileBytes(dir / "Help.chm", "help");
    frame.RunCommand(ov2::cmd::kHelp);
    EXPECT_EQ(opener.opened, QStringList{QDir::current().absoluteFilePath(QStringLiteral("Help.chm"))});
    EXPECT_EQ(messages.Texts().size(), 1u);
    QDir::setCurrent(previous);
}

TEST_F(MainFrameTest, HelpAndTipsSayWhyTheDesktopCannotShowThePage) {
    // The page installed in a data folder; an opener that finds no browser (its status 3).
    TempDir data, bin;
    std::filesystem::create_directories(data / "ov2" / "help");
    WriteFileBytes(data / "ov2" / "help" / "index.html", "<html></html>");
    WriteFileBytes(bin / "xdg-open", "#!/bin/sh\necho \"$1\" >>\"$0.args\"\nexit 3\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH"), dataDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("PATH", QByteArray(bin.path().c_str()) + ':' + path);
    qputenv("XDG_DATA_DIRS", data.path().c_str());
    MessageRecorder messages;
    frame.RunCommand(ov2::cmd::kHelp);
    frame.RunCommand(ov2::cmd::kTipsAndTricks);
    qputenv("PATH", path);
    qputenv("XDG_DATA_DIRS", dataDirs);

    const std::string page =
        std::filesystem::canonical(data / "ov2" / "help" / "index.html").string();
    EXPECT_EQ(ReadFileBytes(bin / "xdg-open.args"), page + "\nfile://" + page + "#tips\n");
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>(2, "Could Not Open Help Files.\n\n" + page +
                                              ": no application to open it is installed"));
}

TEST_F(MainFrameTest, RecentFileEntriesNameAndOpenTheCataloguesOpenedAndSavedLast) {
    TempDir dir;
    const QString first = WriteCatalogue(dir, "first.ovd", {MakeDisc("4", "Four")});
    const QString second = WriteCatalogue(dir, "second.ovd", {MakeDisc("5", "Five")});
    const QString saved = QString::fromStdString((dir / "saved.ovd").string());
    QString chosen;
    doc.m_askOpenPath = [&chosen] { return chosen; };
    doc.m_askSavePath = [&saved](const QString&) { return saved; };
    const auto entries = [this] {
        QStringList texts;
        for (int i = 0; i < 3; ++i) texts << frame.Action(ov2::cmd::kFileMru1 + i)->text().mid(3);
        return texts;
    };

    for (const QString& file : {first, second}) {
        chosen = file;
        frame.RunCommand(ov2::cmd::kFileOpen);
        EXPECT_EQ(entries().value(0), file);
    }
    frame.RunCommand(ov2::cmd::kFileSaveAs);
    EXPECT_EQ(entries(), QStringList({saved, second, first}));
    // Each entry opens the catalogue it names, and the list follows.
    frame.Action(ov2::cmd::kFileMru1 + 2)->trigger();
    EXPECT_EQ(doc.GetPathName(), first);
    EXPECT_EQ(entries(), QStringList({first, saved, second}));
}

TEST(Ov2Program, HelpAndVersionAnswerWithoutAWindowSystem) {
    for (const char* option : {"--help", "--version"}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(OV2_PATH), {QString::fromLatin1(option)});
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), 0) << option;
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(option[2] == 'h' ? QStringLiteral("Usage: ")
                                                    : QStringLiteral("Ov2 " OV2_VERSION "\n")))
            << out.toStdString();
    }
}

TEST_F(MainFrameTest, TextFieldsKeepTheirEditingKeys) {
    doc.m_pDatabase->AddTail(MakeDisc("1", "One"));
    doc.m_pDatabase->AddTail(MakeDisc("2", "Two"));
    doc.UpdateAllViews();
    auto* tree = frame.findChild<CLeftView*>();
    tree->SelectFirstVisible();
    MessageRecorder messages;

    // Del in the name field edits the text; no disc is offered for deletion.
    auto* name = frame.findChild<QLineEdit*>(QStringLiteral("editName"));
    ASSERT_TRUE(name);
    name->setFocus();
    name->setCursorPosition(0);
    QTest::keyClick(name, Qt::Key_Delete);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(name->text(), QStringLiteral("ne"));

    // In the tree, Del asks to delete the selected disc.
    tree->setFocus();
    doc.m_nDeleteTarget = 1;
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Do you really want to delete CD 1 ?"});
    QString opened;  // Ctrl+Y is CD Scan even in a text field, whose redo is Ctrl+Shift+Z
    QTimer::singleShot(0, name, [&opened] {
        opened = QApplication::activeModalWidget()->objectName();
        QApplication::activeModalWidget()->close();
    });
    QTest::keyClick(name, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(opened, QStringLiteral("CDialogScan"));
}

TEST_F(MainFrameTest, KeypadEnterWithCtrlIsCtrlEnter) {
    doc.m_pDatabase->AddTail(MakeDisc("1", "One"));
    doc.UpdateAllViews();
    frame.findChild<CLeftView*>()->SelectFirstVisible();
    doc.m_nEnterTarget = 8;  // a target that only resets
    QTest::keyClick(frame.findChild<CLeftView*>(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(doc.m_nEnterTarget, 0);
    doc.m_nEnterTarget = 8;
    QTest::keyClick(frame.findChild<CLeftView*>(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(doc.m_nEnterTarget, 0);
}

TEST_F(MainFrameTest, MenuItemsAreEnabledByTheDocument) {
    EXPECT_TRUE(frame.Action(ov2::cmd::kCdScan)->isEnabled());
    EXPECT_TRUE(frame.Action(ov2::cmd::kSettings)->isEnabled());
    EXPECT_TRUE(frame.Action(ov2::cmd::kConvertOldFiles)->isEnabled());
    EXPECT_TRUE(frame.Action(ov2::cmd::kDeleteCd)->isEnabled());
    EXPECT_TRUE(frame.Action(ov2::cmd::kLargeIcons)->isEnabled());
    EXPECT_FALSE(frame.Action(ov2::cmd::kSmallIcons)->isEnabled());
    frame.RunCommand(ov2::cmd::kLargeIcons);
    EXPECT_FALSE(frame.Action(ov2::cmd::kLargeIcons)->isEnabled());
    EXPECT_TRUE(frame.Action(ov2::cmd::kSmallIcons)->isEnabled());
    EXPECT_FALSE(frame.Action(ov2::cmd::kLargeIcons)->icon().isNull());
}

TEST_F(MainFrameTest, ASecondWindowOnALockedCatalogueIsAskedAndShowsItReadOnly) {
    TempDir dir;
    const QString path = WriteCatalogue(dir, "discs.ovd", {MakeDisc("4", "Four")});
    ASSERT_TRUE(doc.OpenFile(path));
    COv2Doc secondDoc;
    TestFrame second{&secondDoc};
    second.show();
    MessageRecorder messages;
    messages.Answer(ov2::MsgResult::Yes);
    ASSERT_TRUE(secondDoc.OpenFile(path));
    ASSERT_EQ(messages.Messages().size(), 1u);
    const ov2::MessageRequest& asked = messages.Messages()[0];
    const std::string host = QSysInfo::machineHostName().toStdString();
    const std::string start = "discs.ovd is being edited by ",
                      end = ". Open it read-only, open it anyway, or cancel?";
    EXPECT_EQ(asked.text.rfind(start, 0), 0u) << asked.text;
    EXPECT_NE(asked.text.find(" on " + host + " since " +
                              QTime::currentTime().toString(QStringLiteral("HH:")).toStdString()),
              std::string::npos)
        << asked.text;
    EXPECT_TRUE(asked.text.ends_with(end)) << asked.text;
    EXPECT_EQ(asked.labels, (std::vector<std::string>{"Read-Only", "Open Anyway", "Cancel"}));
    EXPECT_EQ(asked.defaultAnswer, ov2::MsgResult::Yes);

    EXPECT_EQ(second.windowTitle(), QStringLiteral("Ov2 - discs.ovd (read-only)[*]"));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Ov2 - discs.ovd[*]"));
    for (const char* name : {"buttonScan", "buttonDelete", "buttonChangeNumber", "buttonLend",
                             "buttonCreateCategory", "buttonSaveNotes"}) {
        EXPECT_FALSE(second.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled()) << name;
        EXPECT_TRUE(frame.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled()) << name;
    }
    EXPECT_TRUE(second.findChild<QWidget*>(QStringLiteral("buttonShowCd"))->isEnabled());
    EXPECT_FALSE(second.Action(ov2::cmd::kFileSave)->isEnabled());
    EXPECT_TRUE(second.Action(ov2::cmd::kFileSaveAs)->isEnabled());
    auto* tree = second.findChild<CLeftView*>();
    tree->setCurrentItem(tree->topLevelItem(0));
    tree->editItem(tree->topLevelItem(0));
    EXPECT_EQ(tree->findChild<QLineEdit*>(), nullptr);  // no label editing
}

TEST_F(MainFrameTest, AChangeOnDiskUnderChangesRaisesTheBarAndKeepMineSavesWithoutAsking) {
    TempDir dir;
    const QString path = WriteCatalogue(dir, "discs.ovd", {MakeDisc("4", "Four")});
    ASSERT_TRUE(doc.OpenFile(path));
    auto* bar = frame.findChild<QWidget*>(QStringLiteral("changedOnDiskBar"));
    doc.SetModifiedFlag();
    QTest::qWait(20);  // a time stamp of its own for the other program's file
    WriteCatalogue(dir, "discs.ovd", {MakeDisc("4", "Four"), MakeDisc("5", "Five")});
    EXPECT_TRUE(QTest::qWaitFor([bar] { return bar->isVisible(); }, 5000));
    EXPECT_EQ(frame.findChild<QLabel*>(QStringLiteral("changedOnDiskText"))->text(),
              QStringLiteral("discs.ovd was changed on disk by another program."));

    MessageRecorder messages;
    frame.RunCommand(ov2::cmd::kFileSave);  // answered Cancel
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Texts()[0],
              "discs.ovd was changed on disk since you opened it. Saving replaces those changes.");
    EXPECT_EQ(messages.Messages()[0].labels,
              (std::vector<std::string>{"Save As\u2026", "Replace", "Cancel"}));
    EXPECT_EQ(messages.Messages()[0].defaultAnswer, ov2::MsgResult::Cancel);
    EXPECT_TRUE(doc.IsModified());

    QTest::mouseClick(frame.findChild<QPushButton*>(QStringLiteral("buttonKeepMine")),
                      Qt::LeftButton);
    EXPECT_FALSE(bar->isVisible());
    frame.RunCommand(ov2::cmd::kFileSave);
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "4");
}

// The program that crashes in the recovery test below: it changes a catalogue, keeps the change
// in its recovery copy, and waits to be killed. It runs only when that test starts it.
TEST(RecoveryChild, ChangesTheCatalogueAndWaitsToBeKilled) {
    const QString path = qEnvironmentVariable("OV2_CRASHING_CATALOGUE");
    if (path.isEmpty()) GTEST_SKIP() << "started by the recovery test only";
    qputenv("XDG_STATE_HOME", qgetenv("OV2_CRASHING_STATE"));  // where the test looks
    COv2Doc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.m_pDatabase->AddTail(MakeDisc("2", "scanned"));
    doc.SetModifiedFlag();
    const QDir folder(CCatalogueRecovery::Folder());
    // The first change is kept at once; the line naming the catalogue is written last.
    ASSERT_TRUE(QTest::qWaitFor(
        [&folder] { return !folder.entryList({QStringLiteral("*.origin")}, QDir::Files).isEmpty(); },
        10000));
    std::puts("changes kept");
    std::fflush(stdout);
    QTest::qWait(60000);
}

TEST_F(MainFrameTest, AfterACrashTheNextStartOffersTheChangesAndRecoverRestoresThem) {
    TempDir dir;
    const QString path = WriteCatalogue(dir, "discs.ovd", {MakeDisc("1", "one")});
    QProcess crashing;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OV2_CRASHING_CATALOGUE"), path);
    environment.insert(QStringLiteral("OV2_CRASHING_STATE"),
                       qEnvironmentVariable("XDG_STATE_HOME"));
    crashing.setProcessEnvironment(environment);
    crashing.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--gtest_filter=RecoveryChild.*")});
    QByteArray output;
    while (!output.contains("changes kept") && crashing.waitForReadyRead(20000))
        output += crashing.readAll();
    ASSERT_TRUE(output.contains("changes kept")) << output.toStdString();
    const auto gone = static_cast<long long>(crashing.processId());
    crashing.kill();  // SIGKILL: nothing of it runs any more
    crashing.waitForFinished();
    // A copy that does not read, left by another crash, is set aside and named.
    const std::filesystem::path folder = CCatalogueRecovery::Folder().toStdString();
    const std::string brokenName = std::to_string(gone) + "-0-broken.ovd";
    WriteFileBytes(folder / brokenName, "not a catalogue");
    WriteFileBytes(folder / (brokenName + ".origin"), path.toStdString() + "\n");
    std::filesystem::last_write_time(
        folder / brokenName, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));

    MessageRecorder messages;
    messages.Answer(ov2::MsgResult::Ok);
    messages.Answer(ov2::MsgResult::Yes);
    ov2::OfferRecovery(doc);
    const std::vector<std::string> texts = messages.Texts();  // the older copy first
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("The unsaved changes to discs.ovd that Ov2 kept do not read (", 0), 0u)
        << texts[0];
    EXPECT_NE(texts[0].find("They are kept as " + (folder / brokenName).string() + ".unreadable-"),
              std::string::npos)
        << texts[0];
    const QRegularExpression offer(
        QStringLiteral("^Ov2 was closed with unsaved changes to discs.ovd \\(last change "
                       "\\d\\d:\\d\\d, 1 disc more than the "
                       "saved file\\). Recover them\\?$"));
    EXPECT_TRUE(offer.match(QString::fromStdString(texts[1])).hasMatch()) << texts[1];

    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.IsReadOnly());  // the dead program's lock is taken over
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Ov2 - discs.ovd[*]"));
    frame.RunCommand(ov2::cmd::kFileSave);
    COvDiscDatabase saved;
    std::string error;
    ASSERT_TRUE(ReadCatalogueFile(path.toStdString(), saved, &error)) << error;
    EXPECT_EQ(Numbers(saved), "1 2");
    EXPECT_TRUE(CCatalogueRecovery::LeftBehind().empty());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files += entry.path().string().find(".unreadable-") == std::string::npos;
    EXPECT_EQ(files, 0);  // saved: no copy of it left
}

// A run from the build tree has no installed icon theme to ask: the program's own icon must
// still be there, in the sizes the title bar, the commands panel and the About box draw.
TEST(ProgramIconTest, IsThereWithoutAnIconTheme) {
    const QStringList paths = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths({});
    for (const int size : {16, 48, 128})
        EXPECT_EQ(ov2::ProgramIcon().pixmap(size).size(), QSize(size, size)) << size;
    QIcon::setThemeSearchPaths(paths);
}

}  // namespace

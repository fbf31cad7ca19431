// The document: command routing with its guards, and the new/open/save cycle on real files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSysInfo>
#include <QTest>
#include <csignal>

#include "core/catalogue_file.h"
#include "core/command_ids.h"
#include "core/map_string_to_string.h"
#include "core/ov2_doc.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ov2::cmd;
using namespace ov2::test;

// A view that records the commands it is handed.
class RecordingView : public COvView {
public:
    RecordingView(COv2Doc& doc, const char* name) : m_doc(doc), m_name(name) { doc.AddView(this); }
    ~RecordingView() override { m_doc.RemoveView(this); }
    const char* GetViewClassName() const override { return m_name; }
    void OnInitialUpdate() override { ++updates; }
    bool OnViewCommand(int nID) override {
        commands.push_back(nID);
        return true;
    }
    std::vector<int> commands;
    int updates = 0;

private:
    COv2Doc& m_doc;
    const char* m_name;
};

struct DocumentTest : testing::Test {
    DocumentTest() { doc.OnNewDocument(); }
    COv2Doc doc;
    RecordingView tree{doc, "CLeftView"};
    RecordingView files{doc, "COv2View"};
    RecordingView categories{doc, "CCategoriesView"};
};

TEST_F(DocumentTest, CtrlEnterFollowsTheTargetAndKeepsOnlyTheFileSearch) {
    doc.m_nEnterTarget = 4;
    doc.OnCommand(kCtrlEnter);
    doc.OnCommand(kCtrlEnter);
    EXPECT_EQ(tree.commands, (std::vector<int>{kFileSearchButton, kFileSearchButton}));
    EXPECT_EQ(doc.m_nEnterTarget, 4);

    const std::pair<int, std::pair<RecordingView*, int>> routes[] = {
        {1, {&tree, kChangeNumber}}, {2, {&files, kFileOpenFile}},       {3, {&tree, kShowCd}},
        {5, {&tree, kLendButton}},   {6, {&tree, kSaveArtist}},          {7, {&categories, kCreateCategory}},
        {9, {&categories, kSaveNotes}}};
    for (const auto& [target, route] : routes) {
        route.first->commands.clear();
        doc.m_nEnterTarget = target;
        EXPECT_TRUE(doc.OnCommand(kCtrlEnter));
        EXPECT_EQ(route.first->commands, std::vector<int>{route.second}) << "target " << target;
        EXPECT_EQ(doc.m_nEnterTarget, 0);
    }
    tree.commands.clear();
    doc.m_nEnterTarget = 8;
    EXPECT_FALSE(doc.OnCommand(kCtrlEnter));
    EXPECT_EQ(doc.m_nEnterTarget, 0);
    EXPECT_TRUE(tree.commands.empty());
}

TEST_F(DocumentTest, DeleteKeyDispatchAndGuards) {
    doc.m_nDeleteTarget = 0;
    EXPECT_FALSE(doc.OnCommand(kDelete));
    doc.m_nDeleteTarget = 5;
    EXPECT_FALSE(doc.OnCommand(kDelete));
    EXPECT_EQ(doc.m_nDeleteTarget, 5);  // other values leave the target alone

    doc.m_nDeleteTarget = 1;  // an empty catalogue: nothing, and the target is spent
    EXPECT_FALSE(doc.OnCommand(kDelete));
    EXPECT_EQ(doc.m_nDeleteTarget, 0);
    EXPECT_TRUE(tree.commands.empty());

    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    doc.m_nDeleteTarget = 1;
    doc.OnCommand(kDelete);
    doc.m_nDeleteTarget = 2;
    doc.OnCommand(kDelete);
    doc.m_nDeleteTarget = 3;
    doc.OnCommand(kDelete);
    EXPECT_EQ(tree.commands, std::vector<int>{kDeleteCd});
    EXPECT_EQ(categories.commands, (std::vector<int>{kDeleteCategory, kRemoveAttachedCategory}));
    EXPECT_EQ(doc.m_nDeleteTarget, 0);
}

TEST_F(DocumentTest, GuardedCommandsWaitForADisc) {
    EXPECT_FALSE(doc.OnCommand(kCdInfo));
    EXPECT_FALSE(doc.OnCommand(kDeleteCd));
    EXPECT_TRUE(tree.commands.empty());
    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    EXPECT_TRUE(doc.OnCommand(kCdInfo));
    EXPECT_EQ(tree.commands, std::vector<int>{kCdInfo});

    EXPECT_TRUE(doc.IsCommandEnabled(kConvertOldFiles));
    EXPECT_TRUE(doc.IsCommandEnabled(kSettings));
    EXPECT_TRUE(doc.IsCommandEnabled(kDeleteCd));

    EXPECT_TRUE(doc.IsCommandEnabled(kLargeIcons));
    EXPECT_FALSE(doc.IsCommandEnabled(kSmallIcons));
    doc.OnCommand(kLargeIcons);
    EXPECT_EQ(doc.m_bLargeIcons, 1);
    EXPECT_FALSE(doc.IsCommandEnabled(kLargeIcons));
    EXPECT_TRUE(doc.IsCommandEnabled(kSmallIcons));
    EXPECT_EQ(files.commands, std::vector<int>{kLargeIcons});
}

TEST_F(DocumentTest, FindViewKnowsOnlyTheViewClasses) {
    EXPECT_EQ(doc.FindView("CLeftView"), &tree);
    EXPECT_EQ(doc.FindView("CCommandsView"), nullptr);  // not there
    RecordingView other(doc, "CSomethingElse");
    EXPECT_EQ(doc.FindView("CSomethingElse"), nullptr);
}

TEST_F(DocumentTest, NewCatalogueIsUntitledWithTheDefaultSettings) {
    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    doc.SetModifiedFlag();
    MessageRecorder messages;
    messages.Answer(ov2::MsgResult::No);
    const int before = tree.updates;
    EXPECT_TRUE(doc.OnFileNew());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Save changes to Untitled?"});
    EXPECT_EQ(messages.Messages()[0].buttons, ov2::MsgButtons::YesNoCancel);
    EXPECT_EQ(messages.Messages()[0].icon, ov2::MsgIcon::Question);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.m_pDatabase->IsEmpty());
    std::vector<std::string> keys;
    doc.m_pDatabase->m_pSettings->m_map.ForEach([&](const std::string& key, const auto&) { keys.push_back(key); });
    EXPECT_EQ(keys, (std::vector<std::string>{"SearchCombo", "LendCombo", "CDDB"}));
    EXPECT_EQ(tree.updates, before + 1);
}

TEST_F(DocumentTest, CancellingThePromptKeepsTheCatalogue) {
    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    doc.SetModifiedFlag();
    MessageRecorder messages;
    messages.Answer(ov2::MsgResult::Cancel);
    EXPECT_FALSE(doc.OnFileNew());
    EXPECT_EQ(doc.m_pDatabase->GetCount(), 1);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentTest, SaveAndReopenGiveTheSameCatalogue) {
    TempDir dir;
    const QString path = QString::fromStdString((dir / "discs.ovd").string());
    doc.m_pDatabase->AddTail(MakeDisc("1", "one", {MakeFile("a.txt", "d:\\", "5", {"Rock"})}, {"\tmusic"}));
    doc.m_pDatabase->AddTail(MakeDisc("2", "two"));
    doc.m_pDatabase->m_pCategories->m_strings = {"Rock"};
    doc.SetModifiedFlag();
    const std::string bytes = CatalogueBytes(*doc.m_pDatabase);

    MessageRecorder messages;
    messages.Answer(ov2::MsgResult::Yes);  // save changes before the new catalogue
    doc.m_askSavePath = [&](const QString& suggested) {
        EXPECT_EQ(suggested, QStringLiteral("Untitled"));
        return path;
    };
    EXPECT_TRUE(doc.OnFileNew());
    EXPECT_EQ(ReadFileBytes(dir / "discs.ovd"), bytes);
    EXPECT_EQ(doc.RecentFiles().Files().value(0), path);

    EXPECT_TRUE(doc.OpenFile(path));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("discs.ovd"));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2");
    EXPECT_EQ(doc.m_pDatabase->m_pCategories->m_strings, std::vector<std::string>{"Rock"});
    EXPECT_EQ(doc.m_pDatabase->m_pSettings->m_map.GetCount(), 3u);
    EXPECT_EQ(CatalogueBytes(*doc.m_pDatabase), bytes);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(messages.Texts().size(), 1u);
}

TEST_F(DocumentTest, AFailedOpenKeepsTheCatalogueAndSaysWhyAndTheOpenOneIsNotReadAgain) {
    TempDir dir;
    WriteFileBytes(dir / "broken.ovd", std::string("\x01\x00\xFF\xFF\x00\x00\x04\x00" "CFoo", 12));
    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    ASSERT_TRUE(doc.OnSaveDocument(QString::fromStdString((dir / "open.ovd").string())));
    doc.SetModifiedFlag();
    MessageRecorder messages;
    const QString path = QString::fromStdString((dir / "broken.ovd").string());
    doc.RecentFiles().Add(path);
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_FALSE(doc.RecentFiles().Files().contains(path));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Failed to open document.\n\n" + path.toStdString() + ": unknown class \"CFoo\""});
    int broughtForward = 0;
    doc.m_bringForward = [&] { ++broughtForward; };
    EXPECT_TRUE(doc.OpenFile(QString::fromStdString((dir / "." / "open.ovd").string())));
    EXPECT_EQ(broughtForward, 1);
    EXPECT_EQ(messages.Texts().size(), 1u);  // no prompt to save
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("open.ovd"));
}

TEST_F(DocumentTest, AFileMadeReadOnlyOffersSaveAs) {
    TempDir dir;
    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    ASSERT_TRUE(doc.OnSaveDocument(QString::fromStdString((dir / "discs.ovd").string())));
    std::filesystem::permissions(dir / "discs.ovd", std::filesystem::perms::owner_read);
    doc.SetModifiedFlag();
    doc.m_askSavePath = [&](const QString& suggested) {
        return QString::fromStdString((dir / "copy-").string()) + suggested;
    };
    MessageRecorder messages;
    EXPECT_TRUE(doc.DoFileSave());
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Failed to save document.\n\n" +
                                       (dir / "discs.ovd").string() + ": the file is read-only"});
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("copy-discs.ovd"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, AFailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    TempDir dir;
    const QString path = QString::fromStdString((dir / "discs.ovd").string());
    doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string old = ReadFileBytes(dir / "discs.ovd");

    std::vector<std::shared_ptr<COvFileData>> files;
    for (int i = 0; i < 5000; ++i) files.push_back(MakeFile("file " + std::to_string(i), "d:\\x\\", "1"));
    doc.m_pDatabase->AddTail(MakeDisc("2", "big", files));
    doc.SetModifiedFlag();

    // The file system refuses files over 4 KiB while the catalogue is saved.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    MessageRecorder messages;
    const bool saved = doc.DoFileSave();
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_FALSE(saved);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("Failed to save document.\n\n" + path.toStdString() + ": ", 0), 0u)
        << messages.Texts()[0];
    EXPECT_EQ(ReadFileBytes(dir / "discs.ovd"), old);
    EXPECT_TRUE(doc.IsModified());
    // The catalogue and its lock; no temporary file left behind.
    EXPECT_TRUE(std::filesystem::exists(dir / ".discs.ovd.lock"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

// A catalogue saved by this document, holding its lock; and a second document that opens it.
struct SharedCatalogueTest : DocumentTest {
    SharedCatalogueTest() {
        doc.m_pDatabase->AddTail(MakeDisc("1", "one"));
        EXPECT_TRUE(doc.OnSaveDocument(path));
        other.m_askOpenLocked = [this](const QString& title, const CCatalogueLock::Owner& owner) {
            asked.push_back(title.toStdString() + " " + owner.user + " " +
                            std::to_string(owner.pid));
            return answer;
        };
    }
    std::string LockText() const { return ReadFileBytes(dir / ".discs.ovd.lock"); }
    TempDir dir;
    const QString path = QString::fromStdString((dir / "discs.ovd").string());
    COv2Doc other;
    std::vector<std::string> asked;
    COv2Doc::LockChoice answer = COv2Doc::LockChoice::ReadOnly;
};

TEST_F(SharedCatalogueTest, ASecondWindowIsAskedAndReadOnlyRefusesEveryEdit) {
    const std::string lock = LockText();
    EXPECT_NE(lock.find(" " + std::to_string(getpid()) + " "), std::string::npos) << lock;

    answer = COv2Doc::LockChoice::Cancel;
    EXPECT_FALSE(other.OnOpenDocument(path));
    EXPECT_EQ(other.GetPathName(), QString());

    answer = COv2Doc::LockChoice::ReadOnly;
    ASSERT_TRUE(other.OnOpenDocument(path));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].rfind("discs.ovd ", 0), 0u);
    EXPECT_TRUE(asked[1].ends_with(" " + std::to_string(getpid())));
    EXPECT_TRUE(other.IsReadOnly());
    EXPECT_EQ(LockText(), lock);  // the first window keeps its lock
    // Menus, Del, Ctrl+Enter: nothing changes the catalogue, and Save is off.
    RecordingView otherTree{other, "CLeftView"};
    for (int id : {kDeleteCd, kCdScan, kSettings, kFileSave, kLend}) {
        EXPECT_FALSE(other.IsCommandEnabled(id)) << id;
        EXPECT_FALSE(other.OnCommand(id)) << id;
    }
    other.m_nDeleteTarget = 1;
    EXPECT_FALSE(other.OnCommand(kDelete));
    other.m_nEnterTarget = 1;
    EXPECT_FALSE(other.OnCommand(kCtrlEnter));
    other.m_nEnterTarget = 3;
    EXPECT_TRUE(other.OnCommand(kCtrlEnter));  // showing a disc still works
    EXPECT_EQ(otherTree.commands, std::vector<int>{kShowCd});
    EXPECT_EQ(Numbers(*other.m_pDatabase), "1");

    // Save As makes the new file the editable one, with its own lock.
    const QString copy = QString::fromStdString((dir / "mine.ovd").string());
    other.m_askSavePath = [&copy](const QString&) { return copy; };
    EXPECT_TRUE(other.OnCommand(kFileSaveAs));
    EXPECT_FALSE(other.IsReadOnly());
    EXPECT_TRUE(std::filesystem::exists(dir / ".mine.ovd.lock"));

    // Open Anyway takes the lock over; the first window closing leaves the new holder's lock.
    COv2Doc third;
    third.m_askOpenLocked = [](const QString&, const CCatalogueLock::Owner&) {
        return COv2Doc::LockChoice::OpenAnyway;
    };
    ASSERT_TRUE(third.OnOpenDocument(path));
    EXPECT_FALSE(third.IsReadOnly());
    doc.OnNewDocument();
    EXPECT_TRUE(std::filesystem::exists(dir / ".discs.ovd.lock"));
    third.OnNewDocument();
    EXPECT_FALSE(std::filesystem::exists(dir / ".discs.ovd.lock"));
}

TEST_F(SharedCatalogueTest, AStaleLockIsTakenOverAndAnUnwritableFolderOpensReadOnly) {
    doc.OnNewDocument();
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);  // a process that existed and is gone
    WriteFileBytes(dir / ".discs.ovd.lock", "anna " + QSysInfo::machineHostName().toStdString() +
                                                " " + std::to_string(child) +
                                                " 2026-12-07T20:14:00Z\n");
    ASSERT_TRUE(other.OnOpenDocument(path));
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(other.IsReadOnly());
    EXPECT_NE(LockText().find(" " + std::to_string(getpid()) + " "), std::string::npos);
    other.OnNewDocument();

    // A folder that takes no lock: its mode says so, and since the tests may run as root, who
    // writes anyway, a folder also holds the lock's name.
    std::filesystem::create_directory(dir / ".discs.ovd.lock");
    chmod(dir.path().c_str(), 0555);
    QString note;
    other.m_statusNote = [&note](const QString& text) { note = text; };
    const bool opened = other.OnOpenDocument(path);
    chmod(dir.path().c_str(), 0755);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(other.IsReadOnly());
    EXPECT_EQ(note, QStringLiteral(
                        "discs.ovd lies in a folder that cannot be written: opened read-only."));
}

TEST_F(SharedCatalogueTest, AChangeOnDiskReloadsAnUnmodifiedCatalogueAndIsReportedOverChanges) {
    int reported = 0;
    doc.m_changedOnDisk = [&reported] { ++reported; };
    COvDiscDatabase theirs;
    theirs.AddTail(MakeDisc("1", "one"));
    theirs.AddTail(MakeDisc("2", "two"));
    WriteFileBytes(dir / "other.ovd", CatalogueBytes(theirs));
    std::filesystem::rename(dir / "other.ovd", dir / "discs.ovd");  // as a safe save does
    EXPECT_TRUE(QTest::qWaitFor([this] { return Numbers(*doc.m_pDatabase) == "1 2"; }, 5000));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(reported, 0);

    doc.m_pDatabase->AddTail(MakeDisc("9", "mine"));
    doc.SetModifiedFlag();
    theirs.AddTail(MakeDisc("3", "three"));
    WriteFileBytes(dir / "discs.ovd", CatalogueBytes(theirs));
    EXPECT_TRUE(QTest::qWaitFor([&reported] { return reported == 1; }, 5000));
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2 9");  // nothing dropped without asking

    // Save over it asks; Cancel leaves both as they were.
    MessageRecorder messages;
    const std::string onDisk = ReadFileBytes(dir / "discs.ovd");
    std::vector<QString> saveAsked;
    doc.m_askSaveOverChanged = [&saveAsked](const QString& title) {
        saveAsked.push_back(title);
        return COv2Doc::ChangedFileChoice::Cancel;
    };
    EXPECT_FALSE(doc.OnCommand(kFileSave));
    EXPECT_EQ(saveAsked, std::vector<QString>{QStringLiteral("discs.ovd")});
    EXPECT_EQ(ReadFileBytes(dir / "discs.ovd"), onDisk);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Numbers(*doc.m_pDatabase), "1 2 9");
    // Replace saves; the next save asks nothing.
    doc.m_askSaveOverChanged = [](const QString&) { return COv2Doc::ChangedFileChoice::Replace; };
    EXPECT_TRUE(doc.OnCommand(kFileSave));
    doc.m_askSaveOverChanged = nullptr;
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.OnCommand(kFileSave));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(DocumentTest, WorkingCopySharesFileRecords) {
    auto disc = MakeDisc("3", "three", {MakeFile("a.txt", "d:\\", "5")});
    disc->m_lstCategories = {"Jazz"};
    doc.SetCurrentDisc(disc.get());
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstFiles[0], disc->m_lstFiles[0]);
    EXPECT_EQ(doc.m_pCurrentDisc->m_lstCategories, disc->m_lstCategories);
    EXPECT_EQ(doc.m_pCurrentDisc->m_strName, "three");
    doc.SetCurrentDisc(nullptr);
    EXPECT_EQ(doc.m_pCurrentDisc->GetCount(), 0);
    EXPECT_EQ(disc->m_lstFiles[0].use_count(), 1);
}

}  // namespace

#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <optional>

#include "app/about_dialog.h"
#include "app/left_view.h"
#include "app/ov2_view.h"
#include "app/pane_splitter.h"
#include "app/settings_sheet.h"
#include "catalog_ops/categories_view.h"
#include "catalog_ops/commands_view.h"
#include "catalog_ops/dialog_search.h"
#include "convertor/dialog_convert.h"
#include "dupes/gui/dialog_duplicates.h"
#include "core/command_ids.h"
#include "core/ov2_doc.h"
#include "export/gui/dialog_export.h"
#include "find/find_model.h"
#include "find/gui/find_pane.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "widgets/text_field_keys.h"
#include "widgets/theme_icons.h"

using namespace ov2::cmd;

namespace {

const QString kFilter = QStringLiteral("Ov2 Files (*.ovd)");
// The panes, left to right: commands, disc tree, file list, categories.
const QList<int> kDefaultWidths = {255, 200, 320, 165};
constexpr int kFileListPane = 2;
const QString kLayoutGroup = QStringLiteral("Layout");
const QString kPanesKey = QStringLiteral("Panes");
const QString kFileColumnsKey = QStringLiteral("FileListColumns");

// Widths as the settings keep them: readable numbers, one per pane or column.
QStringList WidthTexts(const QList<int>& widths) {
    QStringList texts;
    for (int width : widths) texts << QString::number(width);
    return texts;
}

// The remembered widths, or none when they are missing, of another count, or not sensible
// (an edited or damaged settings file).
std::optional<QList<int>> RememberedWidths(const QSettings& settings, const QString& key,
                                           int count) {
    const QStringList texts = settings.value(key).toStringList();
    if (texts.size() != count) return std::nullopt;
    QList<int> widths;
    for (const QString& text : texts) {
        bool ok = false;
        const int width = text.trimmed().toInt(&ok);
        if (!ok || width <= 0 || width > 100000) return std::nullopt;
        widths << width;
    }
    return widths;
}

// The help the program installs, found beside the program or in the shared data folders.
QString InstalledHelp() {
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList candidates = {appDir + QStringLiteral("/help/index.html"),
                              appDir + QStringLiteral("/../share/ov2/help/index.html")};
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << dir + QStringLiteral("/ov2/help/index.html");
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
    return {};
}

}  // namespace

CMainFrame::CMainFrame(COv2Doc* doc, QWidget* parent) : QMainWindow(parent), m_pDocument(doc) {
    setObjectName(QStringLiteral("mainFrame"));
    setAcceptDrops(true);
    qApp->installEventFilter(new CTextFieldKeys(this));

    m_splitter = new CPaneSplitter(kFileListPane, this);
    m_splitter->setObjectName(QStringLiteral("panes"));
    m_splitter->setChildrenCollapsible(false);
    m_commands = new CCommandsView(doc, m_splitter);
    m_tree = new CLeftView(doc, m_splitter);
    m_files = new COv2View(doc, m_splitter);
    m_categories = new CCategoriesView(doc, m_splitter);
    for (QWidget* pane : std::initializer_list<QWidget*>{m_commands, m_tree, m_files, m_categories})
        m_splitter->addWidget(pane);
    // Extra width goes to the file list, where long names need it; the others keep their widths
    // and, in a narrow window (a small screen, large scaling), give way before the file list.
    for (int i = 0; i < 4; ++i) {
        m_splitter->setStretchFactor(i, i == kFileListPane ? 1 : 0);
        if (i != kFileListPane) m_splitter->widget(i)->setMinimumWidth(kDefaultWidths[i] * 2 / 5);
    }
    // The commands panel's fields and buttons give way last: the tree and the categories lose
    // only room, the panel its content.
    if (const auto* commands =
            m_commands->findChild<QScrollArea*>(QStringLiteral("commandsScroll")))
        m_splitter->SetComfortableWidth(
            0, commands->widget()->minimumSizeHint().width() + 2 * commands->frameWidth() +
                   style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, commands));
    RestoreLayout();
    // Above the panes, the bar that says the file changed on disk under unsaved changes.
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_changedBar = new QFrame(central);
    m_changedBar->setObjectName(QStringLiteral("changedOnDiskBar"));
    m_changedBar->setFrameShape(QFrame::StyledPanel);
    m_changedBar->setAutoFillBackground(true);
    m_changedBar->setBackgroundRole(QPalette::ToolTipBase);
    auto* barRow = new QHBoxLayout(m_changedBar);
    barRow->setContentsMargins(8, 4, 8, 4);
    m_changedText = new QLabel(m_changedBar);
    m_changedText->setObjectName(QStringLiteral("changedOnDiskText"));
    m_changedText->setForegroundRole(QPalette::ToolTipText);
    barRow->addWidget(m_changedText, 1);
    auto* reload = new QPushButton(QStringLiteral("Reload"), m_changedBar);
    reload->setObjectName(QStringLiteral("buttonReload"));
    auto* keep = new QPushButton(QStringLiteral("Keep Mine"), m_changedBar);
    keep->setObjectName(QStringLiteral("buttonKeepMine"));
    barRow->addWidget(reload);
    barRow->addWidget(keep);
    connect(reload, &QPushButton::clicked, this, &CMainFrame::OnReloadFromDisk);
    connect(keep, &QPushButton::clicked, this, [this] {
        m_pDocument->KeepMine();
        m_changedBar->hide();
    });
    m_changedBar->hide();
    column->addWidget(m_changedBar);
    column->addWidget(m_splitter, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("statusBar"));

    CreateMenus();
    m_find = new CFindPane(doc, this);
    m_find->InstallInto(this);
    m_find->m_showInTree = [this](const std::string& number, const COvFileData& file) {
        m_tree->GoToFile(m_tree->FindDiscItem(number), file);
        m_tree->setFocus(Qt::OtherFocusReason);
    };

    m_pDocument->m_askOpenPath = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(), kFilter);
    };
    m_pDocument->m_askSavePath = [this](const QString& title) {
        const QString suggested = title == QLatin1String("Untitled") ? QStringLiteral("Ov2.ovd") : title;
        QFileDialog dialog(this, QStringLiteral("Save As"), QString(), kFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("ovd"));
        dialog.selectFile(suggested);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    m_pDocument->m_titleChanged = [this] {
        m_changedBar->hide();  // another file, or this one saved: the news is out of date
        UpdateCaption();
        UpdateRecentFiles();
    };
    ConnectFileOnDisk();
    // An edit marks the caption without renaming it: the start-up caption stays until the
    // title changes.
    m_pDocument->m_modifiedChanged = [this] { setWindowModified(m_pDocument->IsModified()); };
    m_pDocument->m_bringForward = [this] {
        raise();
        activateWindow();
    };
    m_pDocument->m_showSettings = [this] { OnSettings(); };
    // The dialog has no parent, as the library was always shown.
    m_pDocument->m_convertOldFiles = []() -> std::unique_ptr<COvDiscDatabase> {
        CDialogConvert dialog(nullptr);
        if (dialog.exec() != QDialog::Accepted) return nullptr;
        return std::move(dialog.m_pDatabase);
    };
    UpdateRecentFiles();
}

CMainFrame::~CMainFrame() {
    m_pDocument->m_titleChanged = nullptr;
    m_pDocument->m_modifiedChanged = nullptr;
    m_pDocument->m_bringForward = nullptr;
    m_pDocument->m_showSettings = nullptr;
    m_pDocument->m_convertOldFiles = nullptr;
    m_pDocument->m_askOpenPath = nullptr;
    m_pDocument->m_askSavePath = nullptr;
    m_pDocument->m_askOpenLocked = nullptr;
    m_pDocument->m_askSaveOverChanged = nullptr;
    m_pDocument->m_changedOnDisk = nullptr;
    m_pDocument->m_statusNote = nullptr;
    m_pDocument->m_showDisc = nullptr;
    m_pDocument->m_busy = nullptr;
    m_pDocument->m_readOnlyChanged = nullptr;
}

// ---------------------------------------------------------------- the file on disk

void CMainFrame::ConnectFileOnDisk() {
    m_pDocument->m_askOpenLocked = [](const QString& title, const CCatalogueLock::Owner& owner) {
        const std::string text = title.toStdString() + " is being edited by " + owner.user +
                                 " on " + owner.host + " since " +
                                 CCatalogueLock::SinceText(owner) +
                                 ". Open it read-only, open it anyway, or cancel?";
        switch (ov2::OvMessageBox(text, ov2::MsgButtons::YesNoCancel, ov2::MsgIcon::Question,
                                  ov2::MsgResult::Yes, {"Read-Only", "Open Anyway", "Cancel"})) {
            case ov2::MsgResult::Yes:
                return COv2Doc::LockChoice::ReadOnly;
            case ov2::MsgResult::No:
                return COv2Doc::LockChoice::OpenAnyway;
            default:
                return COv2Doc::LockChoice::Cancel;
        }
    };
    m_pDocument->m_askSaveOverChanged = [](const QString& title) {
        const std::string text =
            title.toStdString() +
            " was changed on disk since you opened it. Saving replaces those changes.";
        switch (ov2::OvMessageBox(text, ov2::MsgButtons::YesNoCancel, ov2::MsgIcon::Warning,
                                  ov2::MsgResult::Cancel, {"Save As\u2026", "Replace", "Cancel"})) {
            case ov2::MsgResult::Yes:
                return COv2Doc::ChangedFileChoice::SaveAs;
            case ov2::MsgResult::No:
                return COv2Doc::ChangedFileChoice::Replace;
            default:
                return COv2Doc::ChangedFileChoice::Cancel;
        }
    };
    m_pDocument->m_changedOnDisk = [this] { ShowChangedOnDiskBar(); };
    m_pDocument->m_statusNote = [this](const QString& note) { statusBar()->showMessage(note); };
    m_pDocument->m_showDisc = [this](const std::string& number) {
        if (QTreeWidgetItem* item = m_tree->FindDiscItem(number)) m_tree->setCurrentItem(item);
    };
    m_pDocument->m_busy = [] { return QApplication::activeModalWidget() != nullptr; };
    m_pDocument->m_readOnlyChanged = [this] { ApplyReadOnly(); };
}

void CMainFrame::ShowChangedOnDiskBar() {
    m_changedText->setText(m_pDocument->GetTitle() +
                           QStringLiteral(" was changed on disk by another program."));
    m_changedBar->show();
}

void CMainFrame::OnReloadFromDisk() {
    const std::string text = "Reload " + m_pDocument->GetTitle().toStdString() +
                             " as it is on disk? The changes on screen are lost.";
    if (ov2::OvMessageBox(text, ov2::MsgButtons::YesNo, ov2::MsgIcon::Question) !=
        ov2::MsgResult::Yes)
        return;
    if (m_pDocument->ReloadFromDisk()) m_changedBar->hide();
}

void CMainFrame::ApplyReadOnly() {
    UpdateCaption();
    UpdateMenuState();
    m_commands->EnableDiscCommands();
    m_categories->RefreshAttachedCategories();
}

// ---------------------------------------------------------------- menus and accelerators

QAction* CMainFrame::AddCommand(QMenu* menu, int nID, const QString& text, const char* icon, const QKeySequence& keys) {
    auto* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("command%1").arg(nID));
    action->setData(nID);
    if (icon) action->setIcon(ov2::ThemeIcon(icon, QStyle::SP_FileIcon));
    if (!keys.isEmpty()) {
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, [this, nID] { RunCommand(nID); });
    m_actions[nID] = action;
    return action;
}

// Accelerators without a menu item of their own.
void CMainFrame::AddAccelerator(int nID, const QList<QKeySequence>& keys) {
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("accelerator%1").arg(nID));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, nID] { RunCommand(nID); });
    addAction(action);
    m_actions[nID] = action;
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    AddCommand(m_fileMenu, kFileNew, QStringLiteral("&New"), "document-new", QKeySequence::New);
    AddCommand(m_fileMenu, kFileOpen, QStringLiteral("&Open..."), "document-open", QKeySequence::Open);
    AddCommand(m_fileMenu, kFileSave, QStringLiteral("&Save"), "document-save", QKeySequence::Save);
    AddCommand(m_fileMenu, kFileSaveAs, QStringLiteral("Save &As..."), "document-save-as");
    AddCommand(m_fileMenu, kConvertOldFiles, QStringLiteral("Convert Old Files"), "document-revert",
               QKeySequence(Qt::CTRL | Qt::Key_A));
    QAction* exportAction = m_fileMenu->addAction(QIcon::fromTheme(QStringLiteral("document-send")),
                                                  QStringLiteral("&Export..."));
    exportAction->setObjectName(QStringLiteral("actionExport"));
    connect(exportAction, &QAction::triggered, this, &CMainFrame::OnExport);
    m_recentSeparator = m_fileMenu->addSeparator();
    for (int i = 0; i < CRecentFileList::kSize; ++i)
        AddCommand(m_fileMenu, kFileMru1 + i, QString(), nullptr)->setVisible(false);
    m_fileMenu->addSeparator();
    AddCommand(m_fileMenu, kAppExit, QStringLiteral("E&xit"), "application-exit");

    QMenu* operations = bar->addMenu(QStringLiteral("&Operations"));
    AddCommand(operations, kCdScan, QStringLiteral("CD Scan"), nullptr,
               QKeySequence(Qt::CTRL | Qt::Key_Y))
        ->setIcon(ov2::StyleIcon(QStyle::SP_DriveCDIcon));
    AddCommand(operations, kFindGaps, QStringLiteral("Find Gapes"), "edit-find-replace",
               QKeySequence(Qt::CTRL | Qt::Key_G));
    AddCommand(operations, kDeleteCd, QStringLiteral("Delete CD"), "edit-delete");
    AddCommand(operations, kRescanDisc, QStringLiteral("Rescan Disc"), "view-refresh");
    AddCommand(operations, kCddb, QStringLiteral("CDDB"), "applications-internet",
               QKeySequence(Qt::CTRL | Qt::Key_D));
    AddCommand(operations, kCdInfo, QStringLiteral("CD Info"), "x-office-address-book");
    AddCommand(operations, kFindDuplicates, QStringLiteral("Find Duplicates\u2026"), "edit-copy");

    AddCommand(bar->addMenu(QStringLiteral("&Options")), kSettings, QStringLiteral("Ov2 Settings"),
               "preferences-system");

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    AddCommand(view, kLargeIcons, QStringLiteral("Large Icons"), "view-fullscreen");
    AddCommand(view, kSmallIcons, QStringLiteral("Small Icons"), "view-restore");

    QMenu* lend = bar->addMenu(QStringLiteral("&Lend"));
    AddCommand(lend, kLend, QStringLiteral("CD Lend / Borrow"), "mail-forward");
    AddCommand(lend, kGetBack, QStringLiteral("Get Back"), "mail-reply-sender",
               QKeySequence(Qt::CTRL | Qt::Key_B));
    AddCommand(lend, kShowAvailable, QStringLiteral("Show Available CDs"), "emblem-default",
               QKeySequence(Qt::CTRL | Qt::Key_H));
    AddCommand(lend, kShowLent, QStringLiteral("Show Non-Available CDs"), "emblem-important",
               QKeySequence(Qt::CTRL | Qt::Key_X));

    QMenu* search = bar->addMenu(QStringLiteral("&Search"));
    AddCommand(search, kCdSearch, QStringLiteral("CD Search"), "system-search", QKeySequence(Qt::CTRL | Qt::Key_Q));
    AddCommand(search, kFileSearch, QStringLiteral("File Search"), "folder-saved-search");

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    AddCommand(help, kHelp, QStringLiteral("Ov2 Help"), "help-browser");
    AddCommand(help, kTipsAndTricks, QStringLiteral("Tips And Tricks"), "dialog-information");
    AddCommand(help, kAppAbout, QStringLiteral("&About Ov2..."), "help-about");

    // Ctrl+Enter answers the keypad's Enter too; Del acts outside text fields, where the
    // field's own editing keys win.
    AddAccelerator(kCtrlEnter, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter),
                                QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter))});
    AddAccelerator(kDelete, {QKeySequence(Qt::Key_Delete)});

    for (QMenu* menu : bar->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateMenuState);
    UpdateMenuState();
}

QAction* CMainFrame::Action(int nID) const {
    auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::OnFindDuplicates() {
    auto* window = new CDialogDuplicates(m_pDocument, this);
    connect(window, &CDialogDuplicates::showFile, this,
            [this](const std::string& number, const COvFileData& file) {
                if (!m_pDocument->m_pDatabase->DiscExists(number)) return;
                m_tree->GoToFile(m_tree->FindDiscItem(number), file);
                raise();
                activateWindow();
                m_tree->setFocus(Qt::OtherFocusReason);
            });
    window->show();
}

void CMainFrame::OnExport() {
    std::vector<ov2::exporting::SearchRows> searches;
    for (const CDialogSearch* window : findChildren<CDialogSearch*>())
        if (window->isVisible()) searches.push_back({window->windowTitle(), &window->Hits()});
    CDialogExport dialog(ov2::exporting::ExportSources(*m_pDocument, m_find->Model()->Results(), searches), this);
    dialog.exec();
}

void CMainFrame::UpdateMenuState() {
    for (const auto& [id, action] : m_actions) {
        if (id >= kFileMru1 && id < kFileMru1 + CRecentFileList::kSize) continue;
        action->setEnabled(m_pDocument->IsCommandEnabled(id));
    }
}

void CMainFrame::UpdateRecentFiles() {
    m_recentShown = m_pDocument->RecentFiles().Files();
    for (int i = 0; i < CRecentFileList::kSize; ++i) {
        QAction* action = Action(kFileMru1 + i);
        action->setVisible(i < m_recentShown.size());
        if (i < m_recentShown.size())
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
                QDir::toNativeSeparators(m_recentShown[i])));
    }
    m_recentSeparator->setVisible(!m_recentShown.isEmpty());
}

void CMainFrame::UpdateCaption() {
    // "[*]" is where the window shows its unsaved-changes mark; a "[*]" in a file name is
    // doubled so that it shows as written.
    QString title = m_pDocument->GetTitle();
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (m_pDocument->IsReadOnly()) title += QStringLiteral(" (read-only)");
    setWindowTitle(QStringLiteral("Ov2 - ") + title + QStringLiteral("[*]"));
    setWindowModified(m_pDocument->IsModified());
}

void CMainFrame::RunCommand(int nID) {
    if (!m_pDocument->IsCommandEnabled(nID)) return;
    if (nID >= kFileMru1 && nID < kFileMru1 + CRecentFileList::kSize) {
        // An entry opens the file it names, whatever happened to the list since it was shown.
        const int i = nID - kFileMru1;
        if (i < m_recentShown.size()) m_pDocument->OpenFile(m_recentShown[i]);
        UpdateMenuState();
        return;
    }
    switch (nID) {
        case kAppExit: close(); break;
        case kAppAbout: OnAbout(); break;
        case kHelp: OnHelp(); break;
        case kTipsAndTricks: OnTipsAndTricks(); break;
        case kFindDuplicates: OnFindDuplicates(); break;
        default: m_pDocument->OnCommand(nID); break;
    }
    UpdateMenuState();
}

// ---------------------------------------------------------------- help and about

void CMainFrame::OnHelp() {
    // Help.chm in the current folder comes first, as it always did; else the help page that
    // the program installs.
    const QString chm = QDir::current().absoluteFilePath(QStringLiteral("Help.chm"));
    const QString help = QFileInfo(chm).isFile() ? chm : InstalledHelp();
    if (help.isEmpty()) {
        ov2::OvMessageBox("Could Not Find Help Files.", ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return;
    }
    OpenHelp(help, help);
}

void CMainFrame::OnTipsAndTricks() {
    // The tips are a section of the installed help.
    const QString help = InstalledHelp();
    if (help.isEmpty()) {
        ov2::OvMessageBox("Could Not Find Help Files.", ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return;
    }
    // "#tips" names the section, not part of the file's name.
    QUrl address = QUrl::fromLocalFile(help);
    address.setFragment(QStringLiteral("tips"));
    OpenHelp(address.toString(QUrl::FullyEncoded), help);
}

void CMainFrame::OpenHelp(const QString& target, const QString& file) {
    // The page is there but the desktop cannot show it (no browser, say): that is no missing
    // help, and the user is told what went wrong.
    QString reason;
    if (!ov2::OpenWithDesktop(target, &reason))
        ov2::OvMessageBox(
            "Could Not Open Help Files.\n\n" + file.toStdString() + ": " + reason.toStdString(),
            ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
}

void CMainFrame::OnSettings() {
    CSettingsSheet sheet(m_pDocument->m_pDatabase->m_pSettings.get(), m_pDocument->GetPathName(),
                         m_pDocument->m_pDatabase.get(), this);
    sheet.exec();
    // Entries the sheet removed leave the panel's drop-down lists as well.
    m_commands->PruneHistoryCombos();
    m_find->ReloadSettings();
}

void CMainFrame::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

// ---------------------------------------------------------------- closing and dropping

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_pDocument->SaveModified()) {
        SaveLayout();
        event->accept();
    } else {
        event->ignore();
    }
}

// ---------------------------------------------------------------- remembered layout

void CMainFrame::RestoreLayout() {
    QSettings settings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
    settings.beginGroup(kLayoutGroup);
    // The categories pane shows its titles whole at first.
    QList<int> widths = kDefaultWidths;
    widths[3] = std::max(widths[3], m_categories->minimumSizeHint().width());
    m_splitter->setSizes(RememberedWidths(settings, kPanesKey, 4).value_or(widths));
    // Settings from before the Modified column hold the widths of the size and type alone.
    std::optional<QList<int>> columns = RememberedWidths(settings, kFileColumnsKey, 3);
    if (!columns) columns = RememberedWidths(settings, kFileColumnsKey, 2);
    if (columns) {
        m_files->setColumnWidth(COv2View::kColumnSize, (*columns)[0]);
        m_files->setColumnWidth(COv2View::kColumnType, (*columns)[1]);
        if (columns->size() > 2) m_files->setColumnWidth(COv2View::kColumnModified, (*columns)[2]);
    }
}

void CMainFrame::SaveLayout() const {
    QSettings settings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
    settings.beginGroup(kLayoutGroup);
    settings.setValue(kPanesKey, WidthTexts(m_splitter->PreferredSizes()));
    settings.setValue(kFileColumnsKey,
                      WidthTexts({m_files->columnWidth(COv2View::kColumnSize),
                                  m_files->columnWidth(COv2View::kColumnType),
                                  m_files->columnWidth(COv2View::kColumnModified)}));
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    m_pDocument->OpenFile(urls.first().toLocalFile());
}

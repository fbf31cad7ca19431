#include "find/gui/find_pane.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/ov2_view.h"
#include "core/ov2_doc.h"
#include "find/find_index.h"
#include "find/find_model.h"
#include "find/find_session.h"
#include "find/gui/find_box.h"
#include "platform/text.h"
#include "widgets/theme_icons.h"

using ov2::find::CFindModel;
using ov2::find::CFindSession;
using ov2::find::FindResults;

CFindPane::CFindPane(COv2Doc* doc, QWidget* parent)
    : QWidget(parent), m_pDocument(doc), m_session(std::make_unique<CFindSession>(doc)) {
    setObjectName(QStringLiteral("findPane"));
    // The box belongs to the pane until a window's toolbar takes it.
    m_box = new CFindBox;

    m_countLine = new QLabel(this);
    m_countLine->setObjectName(QStringLiteral("findCount"));
    m_countLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_countLine->setWordWrap(true);
    m_errorLine = new QLabel(this);
    m_errorLine->setObjectName(QStringLiteral("findError"));
    m_errorLine->setTextFormat(Qt::PlainText);
    m_errorLine->setStyleSheet(QStringLiteral("QLabel { color: #c01c28; }"));
    m_errorLine->hide();

    m_model = new CFindModel(this);
    m_model->m_fileIcon = [](std::string_view name) { return QVariant(COv2View::FileIcon(name)); };
    m_model->m_folderIcon = [] { return QVariant(ov2::ThemeIcon("folder", QStyle::SP_DirIcon)); };
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("findTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->setDragEnabled(true);
    m_table->setDragDropMode(QAbstractItemView::DragOnly);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    // Half a million rows: one fixed height, no row header to size.
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    QHeaderView* header = m_table->horizontalHeader();
    // The folder takes the room that is left: long paths need it most.
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(CFindModel::kColumnFolder, QHeaderView::Stretch);
    header->setStretchLastSection(false);
    m_table->setColumnWidth(CFindModel::kColumnName, 260);
    m_table->setColumnWidth(CFindModel::kColumnSize, 100);
    m_table->setColumnWidth(CFindModel::kColumnDisc, 200);
    m_table->setColumnWidth(CFindModel::kColumnCatalogue, 140);
    // Rows come in catalogue order; a header click sorts them.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("findPopup"));
    m_actionGoTo = m_menu->addAction(QStringLiteral("Go to CD/File"), this,
                                     [this] { GoToRow(m_table->currentIndex().row()); });
    m_actionGoTo->setObjectName(QStringLiteral("actionFindGoTo"));
    m_actionCopy = m_menu->addAction(QStringLiteral("Copy path"), this, &CFindPane::CopyPaths);
    m_actionCopy->setObjectName(QStringLiteral("actionFindCopyPath"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(m_errorLine);
    layout->addWidget(m_countLine);
    layout->addWidget(m_table, 1);

    connect(m_box, &QLineEdit::textChanged, this, &CFindPane::OnTextChanged);
    connect(m_table, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { OpenRow(index.row()); });
    connect(m_table, &QWidget::customContextMenuRequested, this, &CFindPane::OnContextMenu);
    connect(m_session.get(), &CFindSession::ResultsReady, this, &CFindPane::ShowResults);
    connect(m_session.get(), &CFindSession::QueryFailed, this, &CFindPane::ShowError);
    connect(m_session.get(), &CFindSession::Cleared, this, [this] {
        ShowError({});
        m_model->SetResults(nullptr);
        UpdateCountLine();
    });
    connect(m_session->Shelf(), &ov2::find::CCatalogueShelf::Changed, this,
            &CFindPane::UpdateCountLine);
}

CFindPane::~CFindPane() {
    if (!m_bInstalled) delete m_box;
}

void CFindPane::InstallInto(QMainWindow* window) {
    auto* bar = new QToolBar(QStringLiteral("Find"), window);
    bar->setObjectName(QStringLiteral("findToolBar"));
    bar->setMovable(false);
    m_box->setMinimumWidth(220);
    m_box->setMaximumWidth(420);
    bar->addWidget(m_box);
    m_bInstalled = true;  // the toolbar owns the box now
    window->addToolBar(Qt::TopToolBarArea, bar);

    m_dock = new QDockWidget(QStringLiteral("Find"), window);
    m_dock->setObjectName(QStringLiteral("findDock"));
    m_dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    m_dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    m_dock->setWidget(this);
    window->addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    m_dock->hide();  // until the user asks something

    auto* focus = new QAction(QStringLiteral("Find"), window);
    focus->setObjectName(QStringLiteral("actionFind"));
    focus->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    focus->setShortcutContext(Qt::WindowShortcut);
    connect(focus, &QAction::triggered, this, [this] {
        m_box->setFocus(Qt::ShortcutFocusReason);
        m_box->selectAll();
        // Results the user closed come back with the box.
        if (!m_box->text().trimmed().isEmpty()) m_dock->show();
    });
    window->addAction(focus);
}

void CFindPane::ReloadSettings() {
    m_session->ReloadSettings();
}

void CFindPane::OnTextChanged(const QString& text) {
    const bool asking = !text.trimmed().isEmpty();
    if (m_dock && m_dock->isHidden() == asking) {
        m_dock->setVisible(asking);
        // A third of the window for the results, the views keep the rest.
        if (auto* window = qobject_cast<QMainWindow*>(m_dock->parentWidget()); window && asking)
            window->resizeDocks({m_dock}, {std::max(200, window->height() / 3)}, Qt::Vertical);
    }
    m_session->SetQuery(text);
}

void CFindPane::ShowResults(const std::shared_ptr<const FindResults>& results) {
    ShowError({});
    m_model->SetResults(results);
    UpdateCountLine();
}

void CFindPane::ShowError(const QString& error) {
    // The last good results stay on screen: the query is probably being typed.
    m_box->SetMalformed(!error.isEmpty());
    m_errorLine->setText(error);
    m_errorLine->setVisible(!error.isEmpty());
}

void CFindPane::UpdateCountLine() {
    QStringList parts;
    if (const QString count = m_model->CountText(); !count.isEmpty()) parts << count;
    // A catalogue that could not be read is named, never silently left out.
    for (const auto& entry : m_session->Shelf()->Entries()) {
        if (!entry.error.isEmpty())
            parts << entry.label + QStringLiteral(" could not be read: ") + entry.error;
        else if (entry.reading && !entry.index)
            parts << entry.label + QStringLiteral(" is being read");
    }
    m_countLine->setText(parts.join(QStringLiteral("; ")));
}

void CFindPane::OnContextMenu(const QPoint& pos) {
    const QModelIndex index = m_table->indexAt(pos);
    if (!index.isValid()) return;
    m_menu->popup(m_table->viewport()->mapToGlobal(pos));
}

void CFindPane::OpenRow(int row) {
    const ov2::find::Hit* hit = m_model->HitAt(row);
    const ov2::find::CCatalogueIndex* index = m_model->IndexAt(row);
    if (!hit || !index) return;
    const auto file =
        m_model->Results()->outcome.folders ? nullptr : index->File(hit->disc, hit->item);
    if (!file) {
        GoToRow(row);  // a folder opens where the tree shows it
        return;
    }
    const auto& disc = index->Disc(hit->disc);
    COv2View::OpenWithDiscPrompt(
        *file, disc ? ov2::EncodeText(ov2::DecodeText(disc->m_strNumber)) : std::string());
}

void CFindPane::GoToRow(int row) {
    const std::shared_ptr<const FindResults> results = m_model->Results();
    const ov2::find::Hit* hit = m_model->HitAt(row);
    const ov2::find::CCatalogueIndex* index = m_model->IndexAt(row);
    if (!hit || !index) return;
    const std::shared_ptr<COvDisc> disc = index->Disc(hit->disc);
    if (!disc) return;
    // The tree finds a file by its folder and the file list by its name and size; a folder is
    // a file without name in that folder.
    COvFileData target;
    if (const auto file = results->outcome.folders ? nullptr : index->File(hit->disc, hit->item))
        target = *file;
    else
        target.m_strFolder = "?:\\" + index->FolderPath(hit->disc, hit->item) + "\\";

    QString path = results->paths[hit->catalogue];
    // A row of the catalogue that was open when the query ran, and that another one has
    // replaced since, is a row of that catalogue's file (none when it was never saved).
    if (path.isEmpty() && results->replacements != m_session->Replacements()) {
        path = results->openPath;
        if (path.isEmpty()) return;
    }
    // Another catalogue is opened first, as File Open would, with its save prompt.
    if (!path.isEmpty() && !m_pDocument->OpenFile(path)) return;
    const std::string number = disc->m_strNumber.str();
    if (m_showInTree && m_pDocument->m_pDatabase->DiscExists(number)) m_showInTree(number, target);
}

void CFindPane::CopyPaths() {
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) rows << index.row();
    if (rows.isEmpty() && m_table->currentIndex().isValid()) rows << m_table->currentIndex().row();
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows) paths << m_model->PathText(row);
    if (!paths.isEmpty()) QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}

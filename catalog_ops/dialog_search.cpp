#include "catalog_ops/dialog_search.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/left_view.h"
#include "app/ov2_view.h"
#include "catalog_ops/category_icon.h"
#include "core/command_ids.h"
#include "core/disc_database.h"
#include "core/ov2_doc.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "widgets/theme_icons.h"

namespace {

constexpr int kCategoryBytesRole = Qt::UserRole;  // a criterion's record bytes
// What a cell gives its text on either side, besides the text, in the styles we meet.
constexpr int kCellPadding = 10;

struct Column {
    const char* title;
    int width;
    Qt::Alignment alignment;
    ov2::SortKind kind;
};

constexpr Column kFileColumns[] = {
    {"File Name", 180, Qt::AlignLeft, ov2::SortKind::Text},
    {"Nr", 50, Qt::AlignHCenter, ov2::SortKind::WholeNumber},
    {"Size", 68, Qt::AlignRight, ov2::SortKind::Size},
    {"Type", 45, Qt::AlignRight, ov2::SortKind::Text},
};
constexpr Column kDiscColumns[] = {
    {"CD Name", 200, Qt::AlignLeft, ov2::SortKind::Text},
    {"CD Number", 70, Qt::AlignRight, ov2::SortKind::WholeNumber},
    {"Location", 70, Qt::AlignRight, ov2::SortKind::Text},
};

QIcon DiscIcon() {
    return ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon);
}

QTreeWidget* MakeList(QWidget* parent, const char* objectName) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->header()->setStretchLastSection(true);
    return list;
}

}  // namespace

CDialogSearch::CDialogSearch(COv2Doc* doc, std::vector<std::string> parameters,
                             std::vector<std::string> categories, QWidget* parent)
    : QDialog(parent),
      m_lstParameters(std::move(parameters)),
      m_lstCategories(std::move(categories)),
      m_pDocument(doc) {
    setObjectName(QStringLiteral("CDialogSearch"));
    // A window of its own beside the main window, which stays usable; it can be minimized.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    // OK, Escape and the close box all end here; nothing uses a closed window again.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);

    m_labelMode = new QLabel(this);
    m_labelMode->setObjectName(QStringLiteral("labelMode"));
    m_editPattern = new QLineEdit(this);
    m_editPattern->setObjectName(QStringLiteral("editPattern"));
    connect(m_editPattern, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!m_lstParameters.empty()) m_lstParameters.front() = ov2::EncodeText(text);
    });
    auto* search = new QPushButton(QStringLiteral("Search"), this);
    search->setObjectName(QStringLiteral("buttonSearch"));
    search->setAutoDefault(false);
    connect(search, &QPushButton::clicked, this, &CDialogSearch::OnButtonSearch);
    connect(m_editPattern, &QLineEdit::returnPressed, this, &CDialogSearch::OnButtonSearch);

    m_listResult = MakeList(this, "FileList");
    m_listResult->setSelectionMode(QAbstractItemView::SingleSelection);
    // The name takes the room the window gives the list (SetUpColumns), not the last column.
    m_listResult->header()->setStretchLastSection(false);
    connect(m_listResult, &QWidget::customContextMenuRequested, this,
            &CDialogSearch::OnResultContextMenu);
    connect(m_listResult, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_nResultKind == 1)
            OnSearchOpen();
        else
            OnSearchGoto();
    });
    ov2::ConnectHeaderSort(m_listResult, &m_resultSort,
                           [this](int column) -> std::optional<ov2::SortKind> {
                               if (m_nResultKind == 1 && column >= 0 && column < 4)
                                   return kFileColumns[column].kind;
                               if (m_nResultKind == 2 && column >= 0 && column < 3)
                                   return kDiscColumns[column].kind;
                               return std::nullopt;
                           });

    m_listCriteria = MakeList(this, "CatList");
    m_listCriteria->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listCriteria->setIconSize(QSize(24, 24));
    m_listCriteria->setHeaderLabels({QStringLiteral("Category")});
    m_listCriteria->header()->setStretchLastSection(true);
    m_listCriteria->setColumnWidth(0, 120);
    connect(m_listCriteria, &QWidget::customContextMenuRequested, this,
            &CDialogSearch::OnCriteriaContextMenu);
    m_criteriaSort.SetState(0, QStringLiteral("true"));
    ov2::ConnectHeaderSort(m_listCriteria, &m_criteriaSort, [](int column) {
        return column == 0 ? std::optional(ov2::SortKind::Text) : std::nullopt;
    });

    m_menuResult = new QMenu(this);
    m_menuResult->setObjectName(QStringLiteral("menuSearchResult"));
    m_actionOpen =
        m_menuResult->addAction(ov2::ThemeIcon("document-open", QStyle::SP_DialogOpenButton),
                                QStringLiteral("Open"), this, &CDialogSearch::OnSearchOpen);
    m_actionOpen->setObjectName(QStringLiteral("actionSearchOpen"));
    m_actionOpen->setData(ov2::cmd::kSearchOpen);
    QAction* goTo = m_menuResult->addAction(ov2::ThemeIcon("go-jump", QStyle::SP_ArrowForward),
                                            QStringLiteral("Go to CD/File"), this,
                                            &CDialogSearch::OnSearchGoto);
    goTo->setObjectName(QStringLiteral("actionSearchGoTo"));
    goTo->setData(ov2::cmd::kSearchGoTo);
    m_menuCriteria = new QMenu(this);
    m_menuCriteria->setObjectName(QStringLiteral("menuSearchCategories"));
    QAction* remove =
        m_menuCriteria->addAction(ov2::ThemeIcon("edit-delete", QStyle::SP_TrashIcon),
                                  QStringLiteral("Delete"), this, &CDialogSearch::OnSearchDelete);
    remove->setObjectName(QStringLiteral("actionSearchDelete"));
    remove->setData(ov2::cmd::kSearchDelete);

    m_labelFound = new QLabel(this);
    m_labelFound->setObjectName(QStringLiteral("labelFound"));
    m_labelFound->setMinimumWidth(60);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(m_labelMode);
    top->addWidget(new QLabel(QStringLiteral("Search Pattern"), this));
    top->addWidget(m_editPattern, 1);
    top->addWidget(search);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Search Result"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Selected Categories"), this), 0, 1);
    lists->addWidget(m_listResult, 1, 0);
    lists->addWidget(m_listCriteria, 1, 1);
    lists->setColumnStretch(0, 4);
    lists->setColumnStretch(1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Found Items"), this));
    bottom->addWidget(m_labelFound);
    bottom->addStretch(1);
    bottom->addWidget(ok);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addLayout(lists, 1);
    column->addLayout(bottom);
    resize(680, 440);

    LoadParameters();
    Fill();
}

// ---------------------------------------------------------------- parameters and rows

void CDialogSearch::LoadParameters() {
    m_strPattern = m_lstParameters.empty() ? QString() : ov2::DecodeText(m_lstParameters.front());
    m_strMode = m_lstParameters.size() > 1 ? m_lstParameters[1] : std::string();
    m_strScope = m_lstParameters.size() > 2 ? m_lstParameters.back() : std::string();
    setWindowTitle(m_strPattern);
    if (m_editPattern->text() != m_strPattern) m_editPattern->setText(m_strPattern);
}

void CDialogSearch::SetUpColumns() {
    const bool files = m_strMode == "files";
    const Column* columns = files ? kFileColumns : kDiscColumns;
    const int count = files ? 4 : 3;
    m_nResultKind = files ? 1 : 2;
    m_labelMode->setPixmap(
        (files ? ov2::ThemeIcon("text-x-generic", QStyle::SP_FileIcon) : DiscIcon())
            .pixmap(32, 32));
    m_listResult->setColumnCount(count);
    auto* header = new QTreeWidgetItem;
    const QFontMetrics metrics(m_listResult->header()->font());
    const QFontMetrics rowMetrics(m_listResult->font());
    for (int i = 0; i < count; ++i) {
        header->setText(i, QString::fromLatin1(columns[i].title));
        header->setTextAlignment(i, columns[i].alignment | Qt::AlignVCenter);
        // Wide enough for the title and the sort indicator in any font.
        int width = std::max(columns[i].width, metrics.horizontalAdvance(header->text(i)) + 28);
        // A size column shows the largest size a disc can hold whole.
        if (columns[i].kind == ov2::SortKind::Size)
            width = std::max(width, rowMetrics.horizontalAdvance(QStringLiteral("999999.999 MB")) +
                                        2 * kCellPadding);
        m_listResult->setColumnWidth(i, width);
        m_resultSort.SetState(i, QStringLiteral("false"));
    }
    m_listResult->setHeaderItem(header);
    // The name takes whatever room the window gives the list.
    m_listResult->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_bColumnsSet = true;
}

void CDialogSearch::Fill() {
    if (m_strMode != "files" && m_strMode != "names") return;
    if (!m_bColumnsSet) SetUpColumns();
    const bool byCategory = m_strScope == "byCat";
    if (byCategory) FillCriteria();

    const COvDiscDatabase* database = m_pDocument->m_pDatabase.get();
    if (!database) return;
    ov2::SearchQuery query;
    query.pattern = ov2::EncodeText(m_strPattern);
    query.files = m_nResultKind == 1;
    query.byCategory = byCategory;
    if (byCategory) query.categories = m_lstCategories;
    m_hits = ov2::SearchCatalogue(*database, query);

    const Column* columns = query.files ? kFileColumns : kDiscColumns;
    const int count = query.files ? 4 : 3;
    const QIcon disc = DiscIcon();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(m_hits.size()));
    for (std::size_t i = 0; i < m_hits.size(); ++i) {
        const std::vector<std::string> texts = ov2::HitColumns(m_hits[i]);
        auto* row = new QTreeWidgetItem;
        for (int c = 0; c < count; ++c) {
            row->setText(c, ov2::DecodeText(texts[static_cast<std::size_t>(c)]));
            if (c > 0) row->setTextAlignment(c, columns[c].alignment | Qt::AlignVCenter);
        }
        row->setIcon(0, query.files ? COv2View::FileIcon(m_hits[i].file->m_strFileName) : disc);
        row->setData(0, kHitRole, static_cast<int>(i));
        rows.append(row);
    }
    m_listResult->addTopLevelItems(rows);
    m_labelFound->setText(QString::number(rows.size()));
}

void CDialogSearch::FillCriteria() {
    m_listCriteria->clear();
    const QIcon icon = ov2::CategoryIcon();
    for (const std::string& category : m_lstCategories) {
        auto* row = new QTreeWidgetItem(m_listCriteria, {ov2::DecodeText(category)});
        row->setIcon(0, icon);
        row->setData(0, kCategoryBytesRole, ov2::ToByteArray(category));
    }
}

// ---------------------------------------------------------------- actions

void CDialogSearch::OnButtonSearch() {
    LoadParameters();
    if (m_strPattern.isEmpty()) {
        ov2::OvMessageBox("Please, enter the name to search for.", ov2::MsgButtons::Ok,
                          ov2::MsgIcon::Warning);
        return;
    }
    m_listResult->clear();
    m_listCriteria->clear();
    m_hits.clear();
    Fill();
}

void CDialogSearch::OnSearchDelete() {
    for (const QTreeWidgetItem* row : m_listCriteria->selectedItems()) {
        const std::string category = row->data(0, kCategoryBytesRole).toByteArray().toStdString();
        const auto found = std::find(m_lstCategories.begin(), m_lstCategories.end(), category);
        if (found == m_lstCategories.end()) {
            ov2::OvMessageBox("CDialogSearch::OnSearchDelete() #Undefined Error",
                              ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
            continue;
        }
        m_lstCategories.erase(found);
    }
    FillCriteria();
}

const ov2::SearchHit* CDialogSearch::CurrentHit() const {
    const QTreeWidgetItem* row = m_listResult->currentItem();
    if (!row) return nullptr;
    const int index = row->data(0, kHitRole).toInt();
    if (index < 0 || static_cast<std::size_t>(index) >= m_hits.size()) return nullptr;
    const ov2::SearchHit& hit = m_hits[static_cast<std::size_t>(index)];

    // The catalogue may have changed since the search ran: a deleted disc or file, or another
    // catalogue altogether, is no longer there to open or to go to.
    const COvDiscDatabase* database = m_pDocument->m_pDatabase.get();
    if (!database) return nullptr;
    const auto& discs = database->m_lstDiscs;
    if (std::find(discs.begin(), discs.end(), hit.disc) == discs.end()) return nullptr;
    if (hit.file) {
        const auto& files = hit.disc->m_lstFiles;
        if (std::find(files.begin(), files.end(), hit.file) == files.end()) return nullptr;
    }
    return &hit;
}

void CDialogSearch::OnSearchOpen() {
    if (m_strMode != "files") return;
    const ov2::SearchHit* hit = CurrentHit();
    if (!hit || !hit->file) return;
    COv2View::OpenWithDiscPrompt(*hit->file, hit->disc->m_strNumber);
}

void CDialogSearch::OnSearchGoto() {
    const ov2::SearchHit* hit = CurrentHit();
    CLeftView* tree = m_pDocument->FindView<CLeftView>();
    if (!hit || !tree) return;
    const std::string number = hit->disc->m_strNumber.str();
    if (m_nResultKind == 2) {
        tree->SelectDisc(number);  // the tree makes the disc current
    } else if (hit->file) {
        // Only the disc visited last is folded again; the user's own unfolding stays.
        if (m_strLastVisited != number && m_pDocument->m_pDatabase->DiscExists(m_strLastVisited))
            if (QTreeWidgetItem* last = tree->FindDiscItem(m_strLastVisited))
                last->setExpanded(false);
        m_strLastVisited = number;
        tree->GoToFile(tree->FindDiscItem(number), *hit->file);
    }
    showMinimized();
}

void CDialogSearch::OnResultContextMenu(const QPoint& pos) {
    m_actionOpen->setEnabled(m_strMode == "files");
    m_menuResult->exec(m_listResult->viewport()->mapToGlobal(pos));
}

void CDialogSearch::OnCriteriaContextMenu(const QPoint& pos) {
    m_menuCriteria->exec(m_listCriteria->viewport()->mapToGlobal(pos));
}

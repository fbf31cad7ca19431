#include "app/ov2_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <ctime>

#include "app/left_view.h"
#include "catalog_ops/attached_categories_dialog.h"
#include "catalog_ops/disc_info_dialog.h"
#include "core/command_ids.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "platform/audio_cd.h"
#include "platform/drives.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "platform/text.h"
#include "widgets/theme_icons.h"

namespace {

using namespace ov2::cmd;

// The name bytes that a row was filled from (or renamed to).
std::string RowFileName(const QTreeWidgetItem* item) {
    return item->data(COv2View::kColumnName, COv2View::kNameRole).toByteArray().toStdString();
}

// A name's parts around its last ".": the whole name and no extension when there is no ".".
std::string_view Stem(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}
std::string_view Extension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// The text before the first blank; empty when there is no blank.
std::string_view Word(std::string_view text) {
    const auto blank = text.find(' ');
    return blank == std::string_view::npos ? std::string_view() : text.substr(0, blank);
}

// A record's folder without its drive ("d:\music\" → "music\"); none when it names no drive.
std::optional<std::string_view> FolderBelowDrive(std::string_view folder) {
    const auto slash = folder.find('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    return folder.substr(slash + 1);
}

// The folder part of a tree node's path, below its disc node ("12 Jazz\live\1999" →
// "live\1999"); none for the disc node itself. A disc's own label may hold "\" ("3 AC\DC"), so
// the path is cut after that label, not at its first "\".
std::optional<std::string_view> FolderOfNodePath(std::string_view path,
                                                 std::string_view discLabel) {
    if (path.substr(0, discLabel.size()) == discLabel) {
        const std::string_view rest = path.substr(discLabel.size());
        if (rest.empty()) return std::nullopt;
        // GetItemPath adds no "\" after a label that already ends with one.
        if (!discLabel.empty() && discLabel.back() == '\\') return rest;
        if (rest.front() == '\\') return rest.substr(1);
    }
    const auto slash = path.find('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    return path.substr(slash + 1);
}

// The label of the disc's node in the tree: number, blank, name.
std::string DiscNodeLabel(const COvDisc& disc) {
    return disc.m_strNumber.str() + " " + COvDiscDatabase::OutlineSafeName(disc.m_strName);
}

// Whether a record lies in the root folder of its disc ("d:\").
bool InDiscRoot(std::string_view folder) {
    return folder.size() >= 1 && folder.substr(1) == ":\\";
}

// Commits the edited title through the view's own rule instead of writing the text into the row:
// the row shows what the rule makes of the title, not what was typed.
class CTitleDelegate final : public QStyledItemDelegate {
public:
    explicit CTitleDelegate(COv2View* view) : QStyledItemDelegate(view), m_view(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_view->OnEndlabeledit(index.row(), line->text());
    }

private:
    COv2View* m_view;
};

}  // namespace

COv2View::COv2View(COv2Doc* doc, QWidget* parent) : QTreeWidget(parent), m_pDocument(doc) {
    setObjectName(QStringLiteral("fileList"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setItemDelegate(new CTitleDelegate(this));
    setSortingEnabled(false);  // the header-click rule sorts, not the view

    setColumnCount(4);
    setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Size"), QStringLiteral("Type"),
                     QStringLiteral("Modified")});
    headerItem()->setTextAlignment(kColumnSize, Qt::AlignRight | Qt::AlignVCenter);
    headerItem()->setTextAlignment(kColumnType, Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned like the type before it, so that the two never run together.
    headerItem()->setTextAlignment(kColumnModified, Qt::AlignRight | Qt::AlignVCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    // The names take whatever width the list has, so that a scroll bar narrows them and never
    // hides the type; the size, type and time keep room for their longest usual texts.
    header()->setSectionResizeMode(kColumnName, QHeaderView::Stretch);
    const int textMargins =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
    setColumnWidth(kColumnSize,
                   std::max(70, fontMetrics().horizontalAdvance(QStringLiteral("999999.999 MB")) +
                                    textMargins));
    // The header's title and its sort triangle.
    setColumnWidth(
        kColumnType,
        std::max(60, header()->fontMetrics().horizontalAdvance(QStringLiteral("Type")) + 28));
    setColumnWidth(
        kColumnModified,
        std::max(fontMetrics().horizontalAdvance(QStringLiteral("8888-88-88 88:88")) + textMargins,
                 header()->fontMetrics().horizontalAdvance(QStringLiteral("Modified")) + 28));
    ClearSortIndicator();
    connect(header(), &QHeaderView::sectionClicked, this, &COv2View::OnColumnclick);
    for (int column = kColumnName; column <= kColumnModified; ++column)
        m_mapSortState.SetState(column, QStringLiteral("false"));

    const int size = m_pDocument->m_bLargeIcons ? 32 : 16;
    setIconSize(QSize(size, size));

    m_popupActions = {
        AddPopupAction("actionAttachedCategories", "&View and Edit Attached Categories",
                       kFileAttachedCategories),
        nullptr,
        AddPopupAction("actionOpenFile", "&Open File", kFileOpenFile),
        AddPopupAction("actionFileCdInfo", "&CD Info", kFileCdInfo),
        AddPopupAction("actionRenameAudioFile", "Rename Audio File", kFileRenameAudio),
    };

    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { OnFilemenuOpenfile(); });

    m_pCurrentDisc = m_pDocument->m_pCurrentDisc.get();
    m_pDatabase = m_pDocument->m_pDatabase.get();
    m_pDocument->AddView(this);
}

COv2View::~COv2View() {
    m_pDocument->RemoveView(this);
}

QAction* COv2View::AddPopupAction(const char* objectName, const char* text, int nID) {
    auto* action = new QAction(QString::fromLatin1(text), this);
    action->setObjectName(QString::fromLatin1(objectName));
    connect(action, &QAction::triggered, this, [this, nID] { OnViewCommand(nID); });
    return action;
}

// ---------------------------------------------------------------- row texts

QString COv2View::NameText(std::string_view fileName) {
    return ov2::DecodeText(Stem(fileName));
}

QString COv2View::TypeText(std::string_view fileName) {
    return ov2::DecodeText(Extension(fileName)).toUpper();
}

QString COv2View::SizeText(std::string_view sizeBytes) {
    // The size is read into single precision, as every list of the program has always shown it.
    const float bytes = static_cast<float>(ParseLeadingDouble(sizeBytes));
    return QString::fromStdString(FormatSizeText(bytes));
}

QString COv2View::ModifiedText(const ov2::FileFacts& facts) {
    if (!facts.HasTime()) return {};
    // The C library's conversion: QDateTime's takes twice as long as the rest of a row.
    const std::time_t seconds = static_cast<std::time_t>(facts.modified);
    std::tm local{};
    char text[64];
    if (!localtime_r(&seconds, &local) ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0)
        return {};
    return QString::fromLatin1(text);
}

const QString& COv2View::EncryptedTip() {
    static const QString tip =
        QStringLiteral("Encrypted inside its archive: opening it needs the password.");
    return tip;
}

QIcon COv2View::FileIcon(std::string_view fileName, bool encrypted) {
    // A folder of 20,000 files holds a handful of extensions: look each up once. A name without
    // extension is its own key, since some of them have types of their own ("Makefile").
    static QHash<QString, QIcon> cache;
    static QHash<QString, QIcon> lockedCache;
    const QString name = ov2::DecodeText(fileName);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString key = dot < 0 ? name : name.mid(dot);
    if (encrypted) {
        if (auto found = lockedCache.constFind(key); found != lockedCache.constEnd()) return *found;
        return *lockedCache.insert(key, ov2::LockedIcon(FileIcon(fileName)));
    }
    if (auto found = cache.constFind(key); found != cache.constEnd()) return *found;

    static const QMimeDatabase mimeDatabase;
    const QMimeType mime = mimeDatabase.mimeTypeForFile(dot < 0 ? name : QStringLiteral("x") + key,
                                                        QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull()) icon = ov2::ThemeIcon("text-x-generic", QStyle::SP_FileIcon);
    cache.insert(key, icon);
    return icon;
}

// ---------------------------------------------------------------- the view

void COv2View::OnInitialUpdate() {
    m_pCurrentDisc = m_pDocument->m_pCurrentDisc.get();
    m_pDatabase = m_pDocument->m_pDatabase.get();
    clear();
    ClearSortIndicator();
    for (int column = kColumnName; column <= kColumnModified; ++column)
        m_mapSortState.SetState(column, QStringLiteral("false"));
}

void COv2View::ClearSortIndicator() {
    // Rows in catalogue order show no arrow: an arrow would claim an order they do not have.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    header()->setSortIndicatorShown(false);
}

bool COv2View::OnViewCommand(int nID) {
    // A catalogue open read-only takes no change, whichever way the command came.
    if (m_pDocument->IsReadOnly() && COv2Doc::ChangesCatalogue(nID)) return false;
    switch (nID) {
        case kFileAttachedCategories:
            OnFilemenuViewandeditattachedcategories();
            return true;
        case kFileOpenFile:
            OnFilemenuOpenfile();
            return true;
        case kFileCdInfo:
            OnFilemenuCdinfo();
            return true;
        case kFileRenameAudio:
            OnFilemenuRenameaudiofile();
            return true;
        case kLargeIcons:
            OnViewLargeicons();
            return true;
        case kSmallIcons:
            OnViewSmallicons();
            return true;
        default:
            return false;
    }
}

void COv2View::ShowFolder(std::string_view path) {
    clear();
    ClearSortIndicator();
    if (!m_pCurrentDisc) return;

    const std::optional<std::string_view> nodeFolder =
        FolderOfNodePath(path, DiscNodeLabel(*m_pCurrentDisc));
    std::string folder;  // a folder node's folder below the drive, as the records keep it
    if (nodeFolder) folder = ov2::LowerText(std::string(*nodeFolder) + '\\');

    QList<QTreeWidgetItem*> rows;
    for (const auto& file : m_pCurrentDisc->m_lstFiles) {
        const std::string_view recordFolder = file->m_strFolder;
        if (!nodeFolder) {
            if (!InDiscRoot(recordFolder)) continue;
        } else {
            const auto below = FolderBelowDrive(recordFolder);
            if (!below || *below != folder) continue;
        }
        const std::string_view name = file->m_strFileName;
        const ov2::FileFacts& facts = file->m_facts;
        auto* row = new QTreeWidgetItem(QStringList{NameText(name), SizeText(file->m_strSize),
                                                    TypeText(name), ModifiedText(facts)});
        row->setData(kColumnName, kNameRole, ov2::ToByteArray(name));
        row->setIcon(kColumnName, FileIcon(name, facts.encrypted));
        if (facts.encrypted) row->setToolTip(kColumnName, EncryptedTip());
        if (facts.HasTime())
            row->setData(kColumnModified, ov2::kSortValueRole, static_cast<qint64>(facts.modified));
        row->setTextAlignment(kColumnSize, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(kColumnType, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(kColumnModified, Qt::AlignRight | Qt::AlignVCenter);
        row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
        rows.append(row);
    }
    addTopLevelItems(rows);
}

void COv2View::SelectFileRow(const COvFileData& file) {
    const QString size = SizeText(file.m_strSize);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = topLevelItem(i);
        if (!ov2::EqualsNoCase(RowFileName(row), file.m_strFileName) ||
            row->text(kColumnSize) != size)
            continue;
        // Selected and made the row that Open File acts on, without scrolling the list.
        const bool scrolls = hasAutoScroll();
        setAutoScroll(false);
        selectionModel()->setCurrentIndex(indexFromItem(row),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        setAutoScroll(scrolls);
        return;
    }
}

COvFileData* COv2View::FindFileRecord(int row) const {
    if (!m_pCurrentDisc || row < 0 || row >= topLevelItemCount()) return nullptr;
    const auto* tree = m_pDocument->FindView<CLeftView>();
    if (!tree || !tree->currentItem()) return nullptr;  // no node, no folder to look in

    const std::string name = RowFileName(topLevelItem(row));
    const std::string path = tree->GetItemPath(tree->currentItem());
    const std::optional<std::string_view> nodeFolder =
        FolderOfNodePath(path, CLeftView::ItemLabel(tree->GetDiscItem()));
    const std::string folder =
        nodeFolder ? ov2::LowerText(std::string(*nodeFolder) + '\\') : std::string();

    // Linux folders may hold "A.txt" beside "a.txt": the row's own bytes win over a name that
    // only matches without regard to case.
    for (const bool exact : {true, false}) {
        for (const auto& file : m_pCurrentDisc->m_lstFiles) {
            const std::string_view fileName = file->m_strFileName;
            if (exact ? fileName != name : !ov2::EqualsNoCase(fileName, name)) continue;
            if (!nodeFolder) {
                if (InDiscRoot(file->m_strFolder)) return file.get();
            } else if (const auto below = FolderBelowDrive(file->m_strFolder)) {
                if (exact ? *below == folder : ov2::EqualsNoCase(*below, folder)) return file.get();
            }
        }
    }
    return nullptr;
}

std::optional<std::string> COv2View::LocateDiscDrive(std::string_view fullPath) {
    return ov2::LocateDiscDrive(fullPath);
}

// ---------------------------------------------------------------- opening a file

void COv2View::OnFilemenuOpenfile() {
    QTreeWidgetItem* row = currentItem();
    const COvFileData* file = row ? FindFileRecord(indexOfTopLevelItem(row)) : nullptr;
    if (!file) return;
    const std::string number =
        m_pCurrentDisc ? ov2::EncodeText(ov2::DecodeText(m_pCurrentDisc->m_strNumber)) : std::string();
    OpenWithDiscPrompt(*file, number);
}

void COv2View::OpenWithDiscPrompt(const COvFileData& file, std::string_view number) {
    // Each round looks for the disc again, so the user can insert it and press OK.
    while (!OpenFromDrive(file))
        if (!AskForDisc(number)) return;
}

bool COv2View::AskForDisc(std::string_view number) {
    return ov2::OvMessageBox("Please, insert CD " + std::string(number) + " and then press OK.",
                             ov2::MsgButtons::OkCancel) == ov2::MsgResult::Ok;
}

std::string COv2View::DiscPath(const COvFileData& file) {
    return file.m_strFolder.str() + file.DiscFileName();
}

bool COv2View::OpenFromDrive(const COvFileData& file) {
    const std::string fullPath = DiscPath(file);

    if (const std::optional<std::string> root = LocateDiscDrive(fullPath)) {
        const auto slash = fullPath.find('\\');
        const std::string rest = slash == std::string::npos ? std::string() : fullPath.substr(slash + 1);
        // A file inside a disc image is opened from a private copy taken out of the image.
        const std::optional<std::string> native = ov2::OpenableDrivePath(*root + rest);
        if (!native || !ov2::OpenWithDesktop(QFile::decodeName(ov2::ToByteArray(*native))))
            ov2::OvMessageBox("File Opening Failed", ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return true;
    }

    // An audio CD without a file system shows its tracks only through its table of
    // contents; the desktop plays a track by its address, and an image has none.
    if (const std::optional<ov2::AudioTrackPlace> track = ov2::LocateAudioTrack(fullPath)) {
        const QString url = ov2::TrackUrl(track->drive, track->track);
        if (url.isEmpty() || !ov2::OpenWithDesktop(url))
            ov2::OvMessageBox("File Opening Failed", ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- popup menu and commands

void COv2View::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_pDatabase || m_pDatabase->IsEmpty()) return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("fileListPopup"));
    for (QAction* action : m_popupActions) {
        if (action)
            menu.addAction(action);
        else
            menu.addSeparator();
    }
    menu.exec(event->globalPos());
}

void COv2View::OnFilemenuViewandeditattachedcategories() {
    QTreeWidgetItem* row = currentItem();
    COvFileData* file = row ? FindFileRecord(indexOfTopLevelItem(row)) : nullptr;
    if (!file) {
        ov2::OvMessageBox("OnFilemenuViewandeditattachedcategories() #Could not find file",
                          ov2::MsgButtons::Ok, ov2::MsgIcon::Error);
        return;
    }
    COv2Doc* doc = m_pDocument;
    CDialogAttachedCategories dialog(
        *file, [doc] { doc->SetModifiedFlag(true); }, this);
    dialog.exec();
}

void COv2View::OnFilemenuCdinfo() {
    if (!m_pCurrentDisc) return;
    CDialogDiscInfo dialog(*m_pCurrentDisc, this);
    dialog.exec();
}

void COv2View::OnViewLargeicons() {
    m_pDocument->m_bLargeIcons = 1;
    setIconSize(QSize(32, 32));
}

void COv2View::OnViewSmallicons() {
    m_pDocument->m_bLargeIcons = 0;
    setIconSize(QSize(16, 16));
}

void COv2View::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) OnClick();
}

void COv2View::OnClick() {
    m_pDocument->m_nEnterTarget = 2;  // Ctrl+Enter now opens the clicked file
    m_pDocument->m_nDeleteTarget = 0;
}

void COv2View::OnColumnclick(int column) {
    if (column < kColumnName || column > kColumnModified) return;
    const ov2::SortKind kind = column == kColumnSize       ? ov2::SortKind::Size
                               : column == kColumnModified ? ov2::SortKind::Value
                                                           : ov2::SortKind::Text;
    if (const std::optional<Qt::SortOrder> order = m_mapSortState.OnColumnClick(column))
        ov2::SortListRows(this, column, kind, *order);
}

// ---------------------------------------------------------------- audio track titles

void COv2View::OnFilemenuRenameaudiofile() {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    setFocus();
    edit(current.siblingAtColumn(kColumnName), AllEditTriggers, nullptr);
}

bool COv2View::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Titles are given with F2, "Rename Audio File" or a click on the name of a row that is
    // already selected; a double click opens the file instead, and the base class refuses it.
    const bool asked = trigger == AllEditTriggers || trigger == EditKeyPressed ||
                       (trigger == SelectedClicked && index.column() == kColumnName);
    if (!asked || !index.isValid()) return QTreeWidget::edit(index, trigger, event);
    if (m_pDocument->IsReadOnly()) return false;

    const QTreeWidgetItem* row = itemFromIndex(index.siblingAtColumn(kColumnName));
    if (!row || row->text(kColumnType) != QLatin1String("CDA")) return false;  // only audio tracks
    m_nEditRow = index.row();
    m_strEditOldText = std::string(Stem(RowFileName(row)));
    return QTreeWidget::edit(index.siblingAtColumn(kColumnName), trigger, event);
}

void COv2View::OnEndlabeledit(int row, const QString& text) {
    m_strEditNewText = ov2::EncodeText(text);
    if (m_strEditNewText.empty() || !m_pCurrentDisc) return;
    m_nEditRow = row;
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;

    const std::string& oldText = m_strEditOldText;
    const std::string& newText = m_strEditNewText;
    std::string number;
    bool untitled = false;
    // An untitled track shows as TrackNN: its number is what follows the "k". Any other text
    // that starts with "T" is a title.
    if (!oldText.empty() && oldText.front() == 'T') {
        if (const auto k = oldText.rfind('k'); k != std::string::npos) {
            untitled = true;
            const std::size_t digits = k >= 2 ? k - 2 : 0;
            number = oldText.substr(oldText.size() - digits);
        }
    }
    if (!untitled) number = std::string(Word(oldText));

    const std::string oldFileName = oldText + ".cda";
    COvFileData* file = nullptr;
    for (const auto& candidate : m_pCurrentDisc->m_lstFiles) {
        if (candidate->m_strFileName == oldFileName) {
            file = candidate.get();
            break;
        }
    }
    if (!file) return;

    // The track number always leads the title, whether or not the user typed it.
    const std::string rowText =
        untitled || Word(newText) != number ? number + ' ' + newText : newText;
    const std::string fileName = rowText + ".cda";
    file->m_strFileName = fileName;
    item->setText(kColumnName, ov2::DecodeText(rowText));
    item->setData(kColumnName, kNameRole, ov2::ToByteArray(fileName));
    m_pDocument->SetModifiedFlag(true);
}

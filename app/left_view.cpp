#include "app/left_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <unordered_set>

#include "app/ov2_view.h"
#include "catalog_ops/categories_view.h"
#include "catalog_ops/commands_view.h"
#include "catalog_ops/disc_info_dialog.h"
#include "core/command_ids.h"
#include "core/number_text.h"
#include "core/ov2_doc.h"
#include "platform/archive_listing.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "widgets/theme_icons.h"

using namespace ov2::cmd;

namespace {

constexpr int kNumberRole = Qt::UserRole + 2;  // QByteArray: a disc node's disc number

std::string DiscLabel(const COvDisc& disc) {
    return disc.m_strNumber.str() + " " + COvDiscDatabase::OutlineSafeName(disc.m_strName);
}

const QIcon& DiscIcon() {
    static const QIcon icon = ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon);
    return icon;
}

// The folder icon, drawn open while its node is selected.
const QIcon& FolderIcon() {
    static const QIcon icon = [] {
        QIcon folder = ov2::ThemeIcon("folder", QStyle::SP_DirClosedIcon);
        const QIcon open = ov2::ThemeIcon("folder-open", QStyle::SP_DirOpenIcon);
        for (int size : {16, 22, 32}) folder.addPixmap(open.pixmap(size), QIcon::Selected);
        return folder;
    }();
    return icon;
}

// The contents of an archive, listed by the scan as a folder beside the archive file.
const QIcon& ArchiveFolderIcon() {
    static const QIcon icon = ov2::ThemeIcon("package-x-generic", QStyle::SP_DirClosedIcon);
    return icon;
}

// The paths below the drive root ("backup\photos-2003.zip", lower case) of the disc's archive
// files. A folder of the outline at such a path holds the archive's contents: the records say so
// without any marking of their own.
std::unordered_set<std::string> ArchiveFilePaths(const COvDisc& disc) {
    std::unordered_set<std::string> paths;
    for (const auto& file : disc.m_lstFiles) {
        if (!ov2::IsArchiveName(file->m_strFileName.view())) continue;
        const std::string_view folder = file->m_strFolder.view();
        const std::size_t slash = folder.find('\\');
        paths.insert(
            ov2::LowerText(std::string(slash == std::string_view::npos ? std::string_view()
                                                                       : folder.substr(slash + 1)) +
                           file->m_strFileName.str()));
    }
    return paths;
}

}  // namespace

CLeftView::CLeftView(COv2Doc* doc, QWidget* parent) : QTreeWidget(parent), m_pDocument(doc) {
    setObjectName(QStringLiteral("discTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A click on the selected node or F2 edits its label, as tree controls do.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize(QSize(16, 16));
    m_pDocument->AddView(this);
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { OnSelchanged(); });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_bSettingLabel) OnEndlabeledit(item);
    });
}

CLeftView::~CLeftView() { m_pDocument->RemoveView(this); }

// ---------------------------------------------------------------- labels and paths

std::string CLeftView::ItemLabel(const QTreeWidgetItem* item) {
    return item ? item->data(0, kLabelRole).toByteArray().toStdString() : std::string();
}

void CLeftView::SetItemLabel(QTreeWidgetItem* item, std::string_view label) {
    m_bSettingLabel = true;
    item->setData(0, kLabelRole, ov2::ToByteArray(label));
    item->setText(0, ov2::DecodeText(label));
    m_bSettingLabel = false;
}

int CLeftView::GetItemDepth(const QTreeWidgetItem* item) {
    int depth = 0;
    for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent()) ++depth;
    return depth;
}

std::string CLeftView::GetItemPath(const QTreeWidgetItem* item) const {
    std::string path = ItemLabel(item);
    for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent()) {
        std::string label = ItemLabel(p);
        if (label.empty() || label.back() != '\\') label += '\\';
        path = label + path;
    }
    return path;
}

QTreeWidgetItem* CLeftView::GetDiscItem() const {
    QTreeWidgetItem* item = currentItem();
    while (item && item->parent()) item = item->parent();
    return item;
}

// ---------------------------------------------------------------- building

void CLeftView::OnInitialUpdate() {
    m_pCurrentDisc = m_pDocument->m_pCurrentDisc.get();
    m_pDatabase = m_pDocument->m_pDatabase.get();
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    clear();
    for (const auto& disc : m_pDatabase->m_lstDiscs) AddDiscBranch(*disc, nullptr);
    setUpdatesEnabled(true);
}

QTreeWidgetItem* CLeftView::AddDiscBranch(const COvDisc& disc, QTreeWidgetItem* after) {
    // The disc node comes from the record, so every disc has a node that its number finds.
    auto* discItem = new QTreeWidgetItem;
    discItem->setFlags(discItem->flags() | Qt::ItemIsEditable);
    discItem->setIcon(0, DiscIcon());
    discItem->setData(0, kNumberRole, ov2::ToByteArray(disc.m_strNumber));
    SetItemLabel(discItem, DiscLabel(disc));
    insertTopLevelItem(after ? indexOfTopLevelItem(after) + 1 : topLevelItemCount(), discItem);

    // The folders come from the outline: one line per folder after the root line, one TAB per
    // level. Text after the last CR LF is no line.
    const std::string_view outline = disc.m_strFolderTree;
    std::size_t start = 0, end = outline.find("\r\n");
    if (end == std::string_view::npos) return discItem;
    const std::size_t base = outline.substr(0, end).find_first_not_of('\t') == std::string_view::npos
                                 ? end
                                 : outline.substr(0, end).find_first_not_of('\t');
    QTreeWidgetItem* last = discItem;
    std::vector<QTreeWidgetItem*> children;
    const std::unordered_set<std::string> archives = ArchiveFilePaths(disc);
    std::vector<std::string> pathAt{std::string()};  // a folder's path below the root, by depth
    for (start = end + 2; (end = outline.find("\r\n", start)) != std::string_view::npos; start = end + 2) {
        std::string_view line = outline.substr(start, end - start);
        if (line.empty()) continue;
        const std::size_t tabs = std::min(line.find_first_not_of('\t'), line.size());
        line.remove_prefix(tabs);
        // A line that would climb to or above the disc's level goes directly under the disc.
        const int depth = std::max<int>(1, static_cast<int>(tabs) - static_cast<int>(base));
        const int lastDepth = GetItemDepth(last);
        QTreeWidgetItem* parent = last;
        if (depth <= lastDepth)
            for (int up = lastDepth - depth + 1; up > 0 && parent->parent(); --up) parent = parent->parent();
        auto* folder = new QTreeWidgetItem(parent);
        bool archive = false;
        if (!archives.empty()) {  // most discs hold no archive: no paths to follow then
            const auto folderDepth = static_cast<std::size_t>(GetItemDepth(folder));
            pathAt.resize(folderDepth + 1);
            const std::string path = pathAt[folderDepth - 1] + std::string(line);
            pathAt[folderDepth] = path + '\\';
            archive = ov2::IsArchiveName(line) && archives.count(ov2::LowerText(path));
        }
        folder->setIcon(0, archive ? ArchiveFolderIcon() : FolderIcon());
        folder->setFlags(folder->flags() & ~Qt::ItemIsEditable);
        SetItemLabel(folder, line);
        last = folder;
    }
    return discItem;
}

QTreeWidgetItem* CLeftView::FindDiscItem(std::string_view number) const {
    const QByteArray wanted = ov2::ToByteArray(number);
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->data(0, kNumberRole).toByteArray() == wanted) return topLevelItem(i);
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

void CLeftView::SelectFirstVisible() {
    if (topLevelItemCount() > 0) setCurrentItem(topLevelItem(0));
}

// ---------------------------------------------------------------- selection

void CLeftView::OnSelchanged() {
    m_pDocument->m_nDeleteTarget = 1;
    QTreeWidgetItem* item = currentItem();
    if (!item || !m_pDatabase) return;
    // A node is a disc node exactly when it is top-level; a folder belongs to its own disc,
    // whatever its name reads.
    const QTreeWidgetItem* discItem = GetDiscItem();
    const COvDisc* disc = m_pDatabase->FindDisc(discItem->data(0, kNumberRole).toByteArray().toStdString());
    if (!disc) return;
    ShowCurrentDisc(item, disc);
}

void CLeftView::ShowCurrentDisc(QTreeWidgetItem* item, const COvDisc* disc) {
    m_pDocument->SetCurrentDisc(disc);
    RefreshPanels();
    if (auto* fileList = m_pDocument->FindView<COv2View>()) fileList->ShowFolder(GetItemPath(item));
}

void CLeftView::RefreshPanels() {
    if (auto* commands = m_pDocument->FindView<CCommandsView>()) commands->RefreshFromCurrentDisc();
    if (auto* categories = m_pDocument->FindView<CCategoriesView>()) categories->RefreshAttachedCategories();
}

// ---------------------------------------------------------------- delete, rename, renumber

QTreeWidgetItem* CLeftView::RebuildDiscBranch(const COvDisc& disc) {
    QTreeWidgetItem* old = FindDiscItem(disc.m_strNumber);
    if (!old) return nullptr;
    const int index = indexOfTopLevelItem(old);
    const bool expanded = old->isExpanded();
    QTreeWidgetItem* item = nullptr;
    {
        // The disc stays current: the caller shows it once its branch is whole again.
        const QSignalBlocker blocker(this);
        delete old;
        item = AddDiscBranch(disc, nullptr);
        takeTopLevelItem(indexOfTopLevelItem(item));
        insertTopLevelItem(index, item);
        item->setExpanded(expanded);
        setCurrentItem(item);
    }
    scrollToItem(item);
    return item;
}

void CLeftView::DeleteCurrentDisc() {
    QTreeWidgetItem* item = currentItem();
    if (!item || item->parent()) {
        ov2::OvMessageBox("Please, click on the CD Icon.");
        return;
    }
    const std::string number = item->data(0, kNumberRole).toByteArray().toStdString();
    if (ov2::OvMessageBox("Do you really want to delete CD " + number + " ?",
                          ov2::MsgButtons::YesNo, ov2::MsgIcon::Question,
                          ov2::MsgResult::No) != ov2::MsgResult::Yes)
        return;
    // The neighbouring disc takes the selection, the next one or else the one before.
    const int index = indexOfTopLevelItem(item);
    QTreeWidgetItem* neighbour = topLevelItem(index + 1) ? topLevelItem(index + 1) : topLevelItem(index - 1);
    {
        const QSignalBlocker blocker(this);
        delete item;
        setCurrentItem(neighbour);
    }
    m_pDatabase->DeleteDisc(number);
    if (neighbour) {
        OnSelchanged();
    } else {
        // The catalogue is empty: the working copy lets go of the deleted disc's records.
        m_pDocument->SetCurrentDisc(nullptr);
        if (auto* fileList = m_pDocument->FindView<COv2View>()) fileList->clear();
        RefreshPanels();
    }
    m_pDocument->SetModifiedFlag();
}

void CLeftView::ChangeDiscNumberAndName(std::string number, std::string name, bool nameIsLabel) {
    // "12 Holiday" typed as a label: the leading number is not part of the name.
    if (const std::size_t blank = name.find(' ');
        nameIsLabel && blank != std::string::npos &&
        ParseLeadingInt(std::string_view(name).substr(0, blank)) != 0)
        name.erase(0, blank + 1);
    if (name.empty() || name == m_pCurrentDisc->m_strName) {
        name = m_pCurrentDisc->m_strName.str();
        m_bMarkModified = false;
    }
    QTreeWidgetItem* item = currentItem();
    if (!item || item->parent()) {
        ov2::OvMessageBox("Please, click on the CD icon.");
        m_bMarkModified = true;
        return;
    }
    const std::string current = m_pCurrentDisc->m_strNumber.str();
    SetItemLabel(item, current + " " + COvDiscDatabase::OutlineSafeName(name));
    m_pDatabase->SetDiscName(current, name);
    m_pDocument->SetCurrentDisc(m_pDatabase->FindDisc(current));
    if (m_bMarkModified) m_pDocument->SetModifiedFlag();

    if (!number.empty() && number != current && !m_pDatabase->DiscExists(number)) {
        const std::string previous = m_pDatabase->ChangeDiscNumber(current, number);
        const COvDisc* disc = m_pDatabase->FindDisc(number);
        QTreeWidgetItem* moved = nullptr;
        {
            const QSignalBlocker blocker(this);
            delete item;
            moved = AddDiscBranch(*disc, previous == "0" ? nullptr : FindDiscItem(previous));
            if (previous == "0") insertTopLevelItem(0, takeTopLevelItem(indexOfTopLevelItem(moved)));
        }
        setCurrentItem(moved);
        m_pDocument->SetCurrentDisc(disc);
        // A new number is a change of the catalogue even when the name stayed.
        m_pDocument->SetModifiedFlag();
    }
    m_bMarkModified = true;
}

void CLeftView::OnEndlabeledit(QTreeWidgetItem* item) {
    if (item != currentItem() || item->parent()) return;
    // The operation sets the label itself; the edited text is only its input.
    const std::string edited = ov2::EncodeText(item->text(0));
    SetItemLabel(item, ItemLabel(item));
    ChangeDiscNumberAndName(std::string(), edited);
    if (auto* commands = m_pDocument->FindView<CCommandsView>()) commands->RefreshFromCurrentDisc();
}

bool CLeftView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (m_pDocument->IsReadOnly()) return false;
    // Only disc nodes get new labels.
    if (index.parent().isValid()) return false;
    if (trigger == SelectedClicked) m_bKeyAfterClick = false;
    // The slow second click opens the editor a moment later, arriving here without an event;
    // a key pressed meanwhile cancels it, so that letters search the labels and Enter renames
    // nothing.
    if (trigger == AllEditTriggers && !event && m_bKeyAfterClick) return false;
    return QTreeWidget::edit(index, trigger, event);
}

void CLeftView::keyPressEvent(QKeyEvent* event) {
    m_bKeyAfterClick = true;
    QTreeWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- finding a file

QTreeWidgetItem* CLeftView::SelectDisc(std::string_view number) {
    QTreeWidgetItem* item = FindDiscItem(number);
    if (item) {
        setCurrentItem(item);
        scrollToItem(item);
    }
    return item;
}

void CLeftView::GoToFile(QTreeWidgetItem* discItem, const COvFileData& file) {
    if (!discItem) return;
    setCurrentItem(discItem);
    discItem->setExpanded(true);
    std::string_view folder = file.m_strFolder;
    const std::size_t first = folder.find('\\');
    folder = first == std::string_view::npos ? std::string_view() : folder.substr(first + 1);
    if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
    // Joined as GetItemPath joins labels: a disc label may itself end in "\".
    std::string target = ItemLabel(discItem);
    if (!folder.empty() && (target.empty() || target.back() != '\\')) target += '\\';
    target += folder;
    target = ov2::LowerText(target);

    std::vector<QTreeWidgetItem*> pending{discItem};
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        if (ov2::LowerText(GetItemPath(node)) == target) {
            setCurrentItem(node);
            node->setExpanded(true);
            if (auto* fileList = m_pDocument->FindView<COv2View>()) fileList->SelectFileRow(file);
            return;
        }
        for (int i = node->childCount() - 1; i >= 0; --i) pending.push_back(node->child(i));
    }
}

// ---------------------------------------------------------------- commands and menus

void CLeftView::OnTreeCdinfo() {
    CDialogDiscInfo dialog(*m_pCurrentDisc, this);
    dialog.exec();
}

bool CLeftView::OnViewCommand(int nID) {
    // A catalogue open read-only takes no change, whichever way the command came.
    if (m_pDocument->IsReadOnly() && COv2Doc::ChangesCatalogue(nID)) return false;
    switch (nID) {
        case kTreeDelete:
        case kDeleteCd:
            DeleteCurrentDisc();
            return true;
        case kTreeRename:
            m_bKeyAfterClick = false;
            if (QTreeWidgetItem* item = currentItem()) editItem(item);
            return true;
        case kTreeCdInfo:
            OnTreeCdinfo();
            return true;
        case kCdInfo:
            if (!m_pCurrentDisc->m_strNumber.empty()) OnTreeCdinfo();
            return true;
        default:
            // The scan, search, lending, gaps and freedb commands, and the panel's Ctrl+Enter
            // operations, go on to the commands panel.
            if (COvView* panel = m_pDocument->FindView("CCommandsView")) return panel->OnViewCommand(nID);
            return false;
    }
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_pDatabase || m_pDatabase->IsEmpty()) return;
    if (QTreeWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("treePopupMenu"));
    const std::pair<int, QString> entries[] = {{kTreeDelete, QStringLiteral("Delete")},
                                               {kTreeRename, QStringLiteral("Rename")},
                                               {kTreeCdInfo, QStringLiteral("CD Info")}};
    for (const auto& [id, text] : entries)
        menu.addAction(text, this, [this, id = id] { OnViewCommand(id); })->setData(id);
    // A disc node's own walk brought up to date.
    if (QTreeWidgetItem* item = currentItem(); item && !item->parent()) {
        menu.addSeparator();
        // Through the document, which keeps the long work in the recovery copy at once.
        menu.addAction(QStringLiteral("Rescan Disc"), this,
                       [this] { m_pDocument->OnCommand(kRescanDisc); })
            ->setData(kRescanDisc);
    }
    menu.exec(event->globalPos());
}

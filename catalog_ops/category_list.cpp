#include "catalog_ops/category_list.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>

#include "catalog_ops/category_icon.h"
#include "platform/text.h"

CCategoryList::CCategoryList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A click on a selected row or F2 edits its label, as list controls with label editing do.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize(QSize(24, 24));
    setHeaderLabels({QStringLiteral("Category Sort")});
    header()->setStretchLastSection(true);
    setColumnWidth(0, 100);
    ResetSortState();
    ov2::ConnectHeaderSort(this, &m_sortState, [](int column) {
        return column == 0 ? std::optional(ov2::SortKind::Text) : std::nullopt;
    });
}

void CCategoryList::ResetSortState() {
    m_sortState.SetState(0, QStringLiteral("false"));
}

std::string CCategoryList::Bytes(const QTreeWidgetItem* item) {
    return item ? item->data(0, kBytesRole).toByteArray().toStdString() : std::string();
}

void CCategoryList::SetBytes(QTreeWidgetItem* item, std::string_view category) {
    item->setData(0, kBytesRole,
                  QByteArray(category.data(), static_cast<qsizetype>(category.size())));
    item->setText(0, ov2::DecodeText(category));
}

QTreeWidgetItem* CCategoryList::InsertSorted(std::string_view category) {
    auto* item = new QTreeWidgetItem;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setIcon(0, ov2::CategoryIcon());
    SetBytes(item, category);
    int row = 0;
    while (row < topLevelItemCount() &&
           ov2::CompareSortTexts(ov2::SortKind::Text, topLevelItem(row)->text(0), item->text(0)) <=
               0)
        ++row;
    insertTopLevelItem(row, item);
    return item;
}

void CCategoryList::Fill(const std::vector<std::string>& categories) {
    clear();
    // The rows stand in ascending order again, which an earlier header triangle may not say.
    header()->setSortIndicatorShown(false);
    for (const std::string& category : categories) InsertSorted(category);
}

std::vector<std::string> CCategoryList::SelectedBytes() const {
    std::vector<std::string> selected;
    for (int row = 0; row < topLevelItemCount(); ++row)
        if (topLevelItem(row)->isSelected()) selected.push_back(Bytes(topLevelItem(row)));
    return selected;
}

std::vector<std::string> CCategoryList::AllBytes() const {
    std::vector<std::string> all;
    all.reserve(static_cast<std::size_t>(topLevelItemCount()));
    for (int row = 0; row < topLevelItemCount(); ++row) all.push_back(Bytes(topLevelItem(row)));
    return all;
}

bool CCategoryList::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!QTreeWidget::edit(index, trigger, event)) return false;
    // Editing really began (an editor is open), not just a key or click that might have begun it.
    if (state() == QAbstractItemView::EditingState && !m_editIndex.isValid()) {
        m_editIndex = index;
        Q_EMIT labelEditBegan(itemFromIndex(index));
    }
    return true;
}

void CCategoryList::commitData(QWidget* editor) {
    // The row keeps its text; the owner sets the new one if it takes it.
    const auto* lineEdit = qobject_cast<QLineEdit*>(editor);
    QTreeWidgetItem* item = itemFromIndex(m_editIndex);
    if (lineEdit && item) Q_EMIT labelEditEnded(item, lineEdit->text());
}

void CCategoryList::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    m_editIndex = QPersistentModelIndex();
    QTreeWidget::closeEditor(editor, hint);
}

void CCategoryList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) Q_EMIT rightPressed();
    QTreeWidget::mousePressEvent(event);
}

void CCategoryList::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) Q_EMIT leftClicked();
}

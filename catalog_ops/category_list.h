#pragma once

#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_ops/list_sort.h"

// One of the categories panel's two lists: one column "Category Sort", a category icon on every
// row, several rows selectable, rows kept in ascending order as they are inserted, header clicks
// sorting by the shared rule.
//
// Each row keeps its category's record bytes beside the text it shows: a category of an old
// catalogue is not UTF-8, and its displayed text would not find it in the records again.
//
// Label editing reports the text typed instead of writing it into the row, so that the owner
// decides whether the new name is taken.
class CCategoryList final : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kBytesRole = Qt::UserRole;

    explicit CCategoryList(QWidget* parent = nullptr);

    // A new row in its ascending place (text order without regard to case; after its equals).
    QTreeWidgetItem* InsertSorted(std::string_view category);
    // Empties the list and inserts every category.
    void Fill(const std::vector<std::string>& categories);
    // The record bytes of a row; empty for none.
    static std::string Bytes(const QTreeWidgetItem* item);
    // Sets a row's bytes and shown text.
    static void SetBytes(QTreeWidgetItem* item, std::string_view category);
    // The bytes of the selected rows, in row order.
    std::vector<std::string> SelectedBytes() const;
    // The bytes of every row, in row order.
    std::vector<std::string> AllBytes() const;

    // The header's state word of the one column becomes "false" again.
    void ResetSortState();

Q_SIGNALS:
    // A left click ended, after the list took it (the selection is the clicked one).
    void leftClicked();
    // The right button went down over the list.
    void rightPressed();
    // Editing of a row's label has begun.
    void labelEditBegan(QTreeWidgetItem* item);
    // Editing of a row's label ended with this text; a cancelled edit reports nothing.
    void labelEditEnded(QTreeWidgetItem* item, const QString& text);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

protected Q_SLOTS:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    ov2::CListSortState m_sortState;
    QPersistentModelIndex m_editIndex;
};

#pragma once

#include <QDialog>
#include <functional>

#include "catalog_ops/list_sort.h"

class COvFileData;
class QAction;
class QMenu;
class QTreeWidget;

// Lists the categories attached to one file and removes the chosen ones from the file record.
class CDialogAttachedCategories final : public QDialog {
    Q_OBJECT
public:
    // `markModified` is called after categories were removed from the record, so that the
    // catalogue is saved with the change.
    CDialogAttachedCategories(COvFileData& file, std::function<void()> markModified,
                              QWidget* parent = nullptr);

public Q_SLOTS:
    // Removes each selected category from the file record and fills the list again.
    void OnFiledlgDelete();

private:
    void FillList();
    void OnContextMenu(const QPoint& position);

    COvFileData& m_file;
    std::function<void()> m_markModified;
    ov2::CListSortState m_sortState;
    QTreeWidget* m_list = nullptr;
    QMenu* m_menuFileDlg = nullptr;
};

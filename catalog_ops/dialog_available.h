#pragma once

#include <QDialog>
#include <string>

#include "catalog_ops/list_sort.h"

class COvDiscDatabase;
class QTreeWidget;
class QTreeWidgetItem;

// Lists the discs that are at home. A double-click on a row picks that disc and closes the
// dialog with OK; OK itself picks nothing.
class CDialogAvailable final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogAvailable(const COvDiscDatabase& database, QWidget* parent = nullptr);

    // The number of the picked disc; "-1" when none was picked.
    std::string m_strSelectedNumber = "-1";

private:
    void OnDblclkList(QTreeWidgetItem* row);

    ov2::CListSortState m_sortState;
    QTreeWidget* m_list = nullptr;
};

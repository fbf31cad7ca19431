#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "catalog_ops/list_sort.h"

class COvDiscDatabase;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

// Lists the discs that are out: all of them, or only those of one borrower. Discs come back
// through the list's popup menu; a double-click on a row picks that disc and closes the dialog
// with OK.
class CDialogNotAvailable final : public QDialog {
    Q_OBJECT
public:
    // `personFilter` is the borrower whose discs are listed, all lent discs when empty.
    // `markModified` is called after discs came back, so that the catalogue is saved with it.
    CDialogNotAvailable(COvDiscDatabase& database, const QString& personFilter,
                        std::function<void()> markModified, QWidget* parent = nullptr);

    // The number of the picked disc; "-1" when none was picked.
    std::string m_strSelectedNumber = "-1";

public Q_SLOTS:
    // Brings each selected row's disc home; its lend date stays. The list is filled again.
    void OnDlglendGetback();

private:
    void FillList();
    void OnContextMenu(const QPoint& position);
    void OnDblclkList(QTreeWidgetItem* row);

    COvDiscDatabase& m_database;
    QString m_strPersonFilter;
    std::function<void()> m_markModified;
    ov2::CListSortState m_sortState;
    QTreeWidget* m_list = nullptr;
    QMenu* m_menuDlgLend = nullptr;
};

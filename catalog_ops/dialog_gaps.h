#pragma once

#include <QDialog>

#include "catalog_ops/list_sort.h"

class QTreeWidget;

namespace ov2 {
struct DiscGaps;
}

// Shows the unassigned disc numbers, so that the user can give them to new discs. It changes
// nothing.
class CDialogGaps final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogGaps(const ov2::DiscGaps& gaps, QWidget* parent = nullptr);

private:
    ov2::CListSortState m_sortState;
    QTreeWidget* m_list = nullptr;
};

#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_ops/list_sort.h"

class COvDisc;
class QFormLayout;
class QLabel;
class QTreeWidget;

// Shows the label of one disc: its texts, its number of files, the sum of their sizes, its notes
// and its categories. It changes nothing.
class CDialogDiscInfo final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogDiscInfo(const COvDisc& disc, QWidget* parent = nullptr);

private:
    // A caption and, beside it, a value label named `objectName` that shows the text.
    QLabel* AddValue(QFormLayout* form, const char* caption, const char* objectName,
                     const QString& value);
    void FillCategories(const std::vector<std::string>& categories);

    QTreeWidget* m_listCategories = nullptr;
    ov2::CListSortState m_sortState;
};

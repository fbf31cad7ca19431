#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_ops/list_sort.h"

class COvDisc;
namespace ov2 {
struct DiscFacts;
}
class QFormLayout;
class QLabel;
class QTreeWidget;

// Shows the label of one disc: its texts, its number of files, the sum of their sizes, its notes
// its categories and what was known of its volume when it was scanned. It changes nothing.
class CDialogDiscInfo final : public QDialog {
    Q_OBJECT
public:
    explicit CDialogDiscInfo(const COvDisc& disc, QWidget* parent = nullptr);

private:
    // A caption and, beside it, a value label named `objectName` that shows the text.
    QLabel* AddValue(QFormLayout* form, const char* caption, const char* objectName,
                     const QString& value);
    // The rows of what was known of the volume when the disc was scanned.
    void AddFacts(QFormLayout* form, const ov2::DiscFacts& facts);
    void FillCategories(const std::vector<std::string>& categories);

    QTreeWidget* m_listCategories = nullptr;
    ov2::CListSortState m_sortState;
};

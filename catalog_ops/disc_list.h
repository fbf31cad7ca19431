#pragma once

#include <QTreeWidget>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

class COvDisc;

// The lists of discs and disc numbers that the lending and gap dialogs show: rows with a disc
// icon, columns of fixed widths, and the record bytes of each row's disc number kept beside its
// text, so that a number of an old catalogue finds its disc again.
namespace ov2 {

struct DiscListColumn {
    const char* caption;
    int width;
};

// A report list with those columns; it is wide enough to show them all unclipped.
QTreeWidget* NewDiscList(QWidget* parent, std::initializer_list<DiscListColumn> columns);

// A row with the disc icon, the texts shown decoded, and `number` kept as the row's number.
QTreeWidgetItem* NewDiscRow(std::initializer_list<std::string_view> texts, std::string_view number);

// The record bytes of a row's disc number.
std::string RowNumber(const QTreeWidgetItem* row);

}  // namespace ov2

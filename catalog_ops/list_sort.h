#pragma once

#include <QString>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>

// How every list with column headers sorts when a header is clicked: each list keeps a state
// word per column ("column1".."column4" → "true"/"false"); "true" sorts ascending and stores
// "false", "false" sorts descending and stores "true", anything else does nothing.
namespace ov2 {

enum class SortKind {
    WholeNumber = 1,  // leading decimal integers, as atoi reads them (saturating)
    Text = 2,         // without regard to case
    Date = 3,         // "%B %d %Y" dates; texts that are no date sort equal, before every date
    Decimal = 4,      // decimal numbers, as atof reads them; no number counts 0
    Size = 5,         // the decimal number before the first blank ("12.345 MB"); none counts 0
    Value = 6,        // the whole number the cell keeps under kSortValueRole, not its text (a
                      // local time reads alike twice a year); cells without one sort equal,
                      // before every number
};

// The cell data role that holds the qint64 a SortKind::Value column sorts by.
inline constexpr int kSortValueRole = Qt::UserRole + 16;

// A three-way comparison of two column texts under a kind: <0, 0, >0. It is a valid ordering
// for every input (equal values compare equal, texts that do not parse order consistently).
int CompareSortTexts(SortKind kind, const QString& a, const QString& b);

class CListSortState {
public:
    // "column<N+1>" of column N (0-based) starts with the given state word.
    void SetState(int column, const QString& word);
    // The state word of the column; empty when it has none.
    QString State(int column) const;
    // Applies the header-click rule to the column: the order to sort in, or none when the state
    // word says nothing should happen. The state word flips.
    std::optional<Qt::SortOrder> OnColumnClick(int column);

private:
    std::map<QString, QString> m_mapSortState;
};

// Sorts the top-level rows of a list by one column's texts, stably, and sets the header's sort
// indicator on that column. The current item, the selection and the rows' expanded and hidden
// flags are kept; the list emits no selection signals while its rows move.
void SortListRows(QTreeWidget* list, int column, SortKind kind, Qt::SortOrder order);

// The sort kind of a column, or none for a column that does not sort.
using SortKindOfColumn = std::function<std::optional<SortKind>(int column)>;

// Makes header clicks sort the list by the rule above. A click on a column without a kind, or
// whose state word says nothing, leaves the rows and the header's indicator as they were. The
// state must outlive the list.
void ConnectHeaderSort(QTreeWidget* list, CListSortState* state, SortKindOfColumn kindOf);

}  // namespace ov2

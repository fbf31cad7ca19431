#include "catalog_ops/list_sort.h"

#include <QDate>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/number_text.h"
#include "platform/text.h"

namespace ov2 {
namespace {

// What a text sorts by under its column's kind, computed once per row so that sorting a long
// list decodes and parses each text only once.
struct SortKey {
    int whole = 0;            // WholeNumber
    std::string bytes;        // Text: the UTF-8 bytes, compared without regard to case
    std::optional<qint64> ordinal;  // Date: the Julian day, none when the text is no date;
                                    // Value: the cell's number
    double number = 0;        // Decimal, Size; never NaN
};

int Sign(int value) { return (value > 0) - (value < 0); }

template <class T>
int ThreeWay(const T& a, const T& b) {
    return (b < a) - (a < b);
}

// The value of a number text as atof reads it. "nan" is no number to a user and would make the
// ordering inconsistent (it is neither less nor greater than anything), so it counts 0.
double NumberValue(const std::string& text) {
    const double value = ParseLeadingDouble(text);
    return std::isnan(value) ? 0.0 : value;
}

// 1..12 for an English month name, full or three-letter, in any case; 0 otherwise.
int MonthOf(const QString& word) {
    static const char* const kMonths[] = {"january", "february", "march",     "april",
                                          "may",     "june",     "july",      "august",
                                          "september", "october", "november", "december"};
    const QString lower = word.toLower();
    for (int i = 0; i < 12; ++i) {
        const QString name = QString::fromLatin1(kMonths[i]);
        if (lower == name || (lower.size() == 3 && name.startsWith(lower))) return i + 1;
    }
    return 0;
}

bool AllDigits(const QString& word, qsizetype minLength, qsizetype maxLength) {
    if (word.size() < minLength || word.size() > maxLength) return false;
    return std::all_of(word.begin(), word.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// A date written with "%B %d %Y" ("December 07 2026"); blanks around the words are free.
std::optional<qint64> ParseDate(const QString& text) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() != 3) return std::nullopt;
    const int month = MonthOf(words[0]);
    if (month == 0 || !AllDigits(words[1], 1, 2) || !AllDigits(words[2], 4, 4)) return std::nullopt;
    const QDate date(words[2].toInt(), month, words[1].toInt());
    if (!date.isValid()) return std::nullopt;
    return date.toJulianDay();
}

SortKey MakeKey(SortKind kind, const QString& text) {
    SortKey key;
    switch (kind) {
        case SortKind::WholeNumber: key.whole = ParseLeadingInt(EncodeText(text)); break;
        case SortKind::Text: key.bytes = EncodeText(text); break;
        case SortKind::Date: key.ordinal = ParseDate(text); break;
        case SortKind::Value: break;  // the cell's number, not its text: see CellKey
        case SortKind::Decimal: key.number = NumberValue(EncodeText(text)); break;
        case SortKind::Size: {
            const qsizetype blank = text.indexOf(QLatin1Char(' '));
            key.number = blank < 0 ? 0.0 : NumberValue(EncodeText(text.left(blank)));
            break;
        }
    }
    return key;
}

int CompareKeys(SortKind kind, const SortKey& a, const SortKey& b) {
    switch (kind) {
        case SortKind::WholeNumber: return ThreeWay(a.whole, b.whole);
        case SortKind::Text: return Sign(CompareNoCase(a.bytes, b.bytes));
        case SortKind::Date:
        case SortKind::Value:
            // Texts that are no date (a disc never lent has an empty lend date) sort equal to
            // each other and before every date, so that they gather at one end of the list.
            if (!a.ordinal || !b.ordinal)
                return ThreeWay(a.ordinal.has_value(), b.ordinal.has_value());
            return ThreeWay(*a.ordinal, *b.ordinal);
        case SortKind::Decimal:
        case SortKind::Size: return ThreeWay(a.number, b.number);
    }
    return 0;
}

SortKey CellKey(SortKind kind, const QTreeWidgetItem& item, int column) {
    if (kind != SortKind::Value) return MakeKey(kind, item.text(column));
    SortKey key;
    const QVariant value = item.data(column, kSortValueRole);
    if (value.isValid()) key.ordinal = value.toLongLong();
    return key;
}

QString StateKey(int column) { return QStringLiteral("column%1").arg(column + 1); }

}  // namespace

int CompareSortTexts(SortKind kind, const QString& a, const QString& b) {
    return CompareKeys(kind, MakeKey(kind, a), MakeKey(kind, b));
}

void CListSortState::SetState(int column, const QString& word) {
    if (column >= 0) m_mapSortState[StateKey(column)] = word;
}

QString CListSortState::State(int column) const {
    const auto it = m_mapSortState.find(StateKey(column));
    return it == m_mapSortState.end() ? QString() : it->second;
}

std::optional<Qt::SortOrder> CListSortState::OnColumnClick(int column) {
    if (column < 0) return std::nullopt;
    const auto it = m_mapSortState.find(StateKey(column));
    if (it == m_mapSortState.end()) return std::nullopt;
    if (it->second == QLatin1String("true")) {
        it->second = QStringLiteral("false");
        return Qt::AscendingOrder;
    }
    if (it->second == QLatin1String("false")) {
        it->second = QStringLiteral("true");
        return Qt::DescendingOrder;
    }
    return std::nullopt;
}

void SortListRows(QTreeWidget* list, int column, SortKind kind, Qt::SortOrder order) {
    if (!list || column < 0 || column >= list->columnCount()) return;

    struct Row {
        QTreeWidgetItem* item;
        SortKey key;
        bool expanded;
        bool hidden;
    };
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(list->topLevelItemCount()));
    // The flags are asked of the view by row number: asking an item for them makes the view
    // search the list for the item's row, which for every row of a long list takes minutes.
    QAbstractItemModel* model = list->model();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        rows.push_back({item, CellKey(kind, *item, column), list->isExpanded(model->index(i, 0)),
                        list->isRowHidden(i, QModelIndex())});
    }
    // Descending reverses the comparison, not the result: rows that compare equal keep their
    // order either way.
    const int direction = order == Qt::AscendingOrder ? 1 : -1;
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return direction * CompareKeys(kind, a.key, b.key) < 0;
    });

    {
        // The rows leave and come back; to the list's users nothing about the selection changes.
        const QSignalBlocker blocker(list);
        QTreeWidgetItem* const current = list->currentItem();
        const QList<QTreeWidgetItem*> selected = list->selectedItems();
        list->invisibleRootItem()->takeChildren();
        QList<QTreeWidgetItem*> sorted;
        sorted.reserve(static_cast<qsizetype>(rows.size()));
        for (const Row& row : rows) sorted.append(row.item);
        list->addTopLevelItems(sorted);
        // The view forgets these flags when its rows leave.
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            if (rows[static_cast<std::size_t>(i)].expanded) list->setExpanded(model->index(i, 0), true);
            if (rows[static_cast<std::size_t>(i)].hidden) list->setRowHidden(i, QModelIndex(), true);
        }
        if (current) list->setCurrentItem(current, column, QItemSelectionModel::NoUpdate);
        for (QTreeWidgetItem* item : selected) item->setSelected(true);
    }

    QHeaderView* header = list->header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
}

void ConnectHeaderSort(QTreeWidget* list, CListSortState* state, SortKindOfColumn kindOf) {
    if (!list || !state || !kindOf) return;
    QHeaderView* header = list->header();
    header->setSectionsClickable(true);

    // The header turns its indicator over by itself on every click, before it reports the
    // click; a click that sorts nothing puts back the indicator that was there before it.
    struct Indicator {
        int section;
        Qt::SortOrder order;
    };
    auto before = std::make_shared<Indicator>(
        Indicator{header->sortIndicatorSection(), header->sortIndicatorOrder()});
    QObject::connect(header, &QHeaderView::sectionPressed, list, [header, before](int) {
        *before = {header->sortIndicatorSection(), header->sortIndicatorOrder()};
    });
    QObject::connect(header, &QHeaderView::sectionClicked, list,
                     [list, header, state, kindOf, before](int column) {
                         const std::optional<SortKind> kind = kindOf(column);
                         const std::optional<Qt::SortOrder> order =
                             kind ? state->OnColumnClick(column) : std::nullopt;
                         if (!order) {
                             header->setSortIndicator(before->section, before->order);
                             return;
                         }
                         SortListRows(list, column, *kind, *order);
                         *before = {column, *order};
                     });
}

}  // namespace ov2

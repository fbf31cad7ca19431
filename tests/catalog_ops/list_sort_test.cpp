#include "catalog_ops/list_sort.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <vector>

namespace ov2 {
namespace {

QString Q(const char* text) { return QString::fromUtf8(text); }

int Cmp(SortKind kind, const char* a, const char* b) { return CompareSortTexts(kind, Q(a), Q(b)); }

// Texts of every shape the lists hold, and of shapes they should not but may.
const std::vector<QString>& MixedTexts() {
    static const std::vector<QString> texts = [] {
        std::vector<QString> list;
        for (const char* text :
             {"", " ", "abc", "ABC", "Zebra", "zebra", "apple", "Éclair", "éclair", "ß", "12", "012",
              "  7", "7x", "-0", "0", "12.5", "12.50", "99999999999", "-99999999999", "2147483647",
              "-2147483648", "2147483648", "nan", "-nan", "inf", "-inf", "1e400", "0x1A",
              "12.500 MB", "0.001 MB", "12.345 MB", "1.0 MB", "nan KB", "inf KB", "KB 12",
              "December 07 2026", "december 7 2026", "Dec 07 2026", "January 01 2027",
              "February 29 2024", "February 30 2026", "March 1 1999", "Smarch 01 2026",
              "June 31 2026", "July 04 20266", "not a date"})
            list.push_back(Q(text));
        return list;
    }();
    return texts;
}

// Irreflexivity, antisymmetry and the transitivity of both "less" and "equal" over every triple:
// what std::stable_sort needs of a comparison to sort at all.
void ExpectValidOrdering(SortKind kind) {
    const auto& texts = MixedTexts();
    const auto sign = [kind](const QString& a, const QString& b) {
        const int c = CompareSortTexts(kind, a, b);
        return (c > 0) - (c < 0);
    };
    for (const QString& a : texts) {
        ASSERT_EQ(sign(a, a), 0) << "kind " << int(kind) << ": " << a.toStdString();
        for (const QString& b : texts) {
            const int ab = sign(a, b);
            ASSERT_EQ(ab, -sign(b, a)) << "kind " << int(kind) << ": " << a.toStdString()
                                       << " / " << b.toStdString();
            for (const QString& c : texts) {
                const int bc = sign(b, c);
                // a~b~c, a<b<c, a>b>c; a~b then b<c, or a<b then b~c.
                int expected = 2;
                if (ab == bc) expected = ab;
                else if (ab == 0) expected = bc;
                else if (bc == 0) expected = ab;
                if (expected != 2) {
                    ASSERT_EQ(sign(a, c), expected)
                        << "kind " << int(kind) << ": " << a.toStdString() << " / "
                        << b.toStdString() << " / " << c.toStdString();
                }
            }
        }
    }
}

TEST(CompareSortTexts, EveryKindIsAValidOrderingOverMixedTexts) {
    for (SortKind kind : {SortKind::WholeNumber, SortKind::Text, SortKind::Date, SortKind::Decimal,
                          SortKind::Size}) {
        SCOPED_TRACE(int(kind));
        ExpectValidOrdering(kind);
    }
}

TEST(CompareSortTexts, WholeNumbersCompareByValueWithoutOverflow) {
    EXPECT_LT(Cmp(SortKind::WholeNumber, "9", "10"), 0);
    EXPECT_LT(Cmp(SortKind::WholeNumber, "-2147483648", "1"), 0);
    EXPECT_GT(Cmp(SortKind::WholeNumber, "2147483647", "-1"), 0);
    EXPECT_GT(Cmp(SortKind::WholeNumber, "99999999999", "-2147483648"), 0);
    EXPECT_EQ(Cmp(SortKind::WholeNumber, "12abc", "012"), 0);
    EXPECT_EQ(Cmp(SortKind::WholeNumber, "abc", "0"), 0);
}

TEST(CompareSortTexts, TextIgnoresCase) {
    EXPECT_EQ(Cmp(SortKind::Text, "Rock", "rOCK"), 0);
    EXPECT_LT(Cmp(SortKind::Text, "apple", "Banana"), 0);
    EXPECT_EQ(Cmp(SortKind::Text, "Éclair", "éCLAIR"), 0);
    EXPECT_LT(Cmp(SortKind::Text, "Rock", "Rockabilly"), 0);
}

TEST(CompareSortTexts, DatesCompareByDayAndNonDatesComeFirst) {
    EXPECT_GT(Cmp(SortKind::Date, "January 05 2027", "December 07 2026"), 0);
    EXPECT_LT(Cmp(SortKind::Date, "December 06 2026", "December 07 2026"), 0);
    EXPECT_LT(Cmp(SortKind::Date, "April 30 2026", "March 01 2027"), 0);
    EXPECT_EQ(Cmp(SortKind::Date, "December 07 2026", "december 7 2026"), 0);
    EXPECT_EQ(Cmp(SortKind::Date, "Dec 07 2026", "December 07 2026"), 0);
    // Not dates: equal to each other, before the earliest date.
    EXPECT_EQ(Cmp(SortKind::Date, "", "not a date"), 0);
    EXPECT_EQ(Cmp(SortKind::Date, "February 30 2026", ""), 0);
    EXPECT_LT(Cmp(SortKind::Date, "", "January 01 1900"), 0);
    EXPECT_GT(Cmp(SortKind::Date, "February 29 2024", "February 29 2023"), 0);
}

TEST(CompareSortTexts, DecimalsCompareByValueAndEqualValuesAreEqual) {
    EXPECT_LT(Cmp(SortKind::Decimal, "2", "10"), 0);
    EXPECT_LT(Cmp(SortKind::Decimal, "-1.5", "-1.25"), 0);
    EXPECT_EQ(Cmp(SortKind::Decimal, "1.50", "1.5"), 0);
    EXPECT_EQ(Cmp(SortKind::Decimal, "abc", "0"), 0);
    EXPECT_EQ(Cmp(SortKind::Decimal, "nan", "0"), 0);
    EXPECT_LT(Cmp(SortKind::Decimal, "-1", "abc"), 0);
}

TEST(CompareSortTexts, SizesCompareTheNumberBeforeTheFirstBlank) {
    EXPECT_LT(Cmp(SortKind::Size, "0.001 MB", "12.500 MB"), 0);
    EXPECT_LT(Cmp(SortKind::Size, "9.000 MB", "10.000 MB"), 0);
    EXPECT_EQ(Cmp(SortKind::Size, "12.345 MB", "12.345 KB"), 0);
    EXPECT_EQ(Cmp(SortKind::Size, "12.345", "0.000 MB"), 0);  // no blank counts 0
    EXPECT_LT(Cmp(SortKind::Size, "12.345", "0.001 MB"), 0);
}

TEST(CListSortState, StateWordsFlipAndOtherWordsDoNothing) {
    CListSortState state;
    state.SetState(0, QStringLiteral("true"));
    state.SetState(3, QStringLiteral("false"));
    state.SetState(1, QStringLiteral("TRUE"));

    EXPECT_EQ(state.OnColumnClick(0), Qt::AscendingOrder);
    EXPECT_EQ(state.State(0), QStringLiteral("false"));
    EXPECT_EQ(state.OnColumnClick(0), Qt::DescendingOrder);
    EXPECT_EQ(state.State(0), QStringLiteral("true"));

    EXPECT_EQ(state.OnColumnClick(3), Qt::DescendingOrder);
    EXPECT_EQ(state.State(3), QStringLiteral("true"));

    EXPECT_EQ(state.OnColumnClick(1), std::nullopt);
    EXPECT_EQ(state.State(1), QStringLiteral("TRUE"));
    EXPECT_EQ(state.OnColumnClick(2), std::nullopt);  // no state at all
    EXPECT_EQ(state.State(2), QString());
    EXPECT_EQ(state.OnColumnClick(-1), std::nullopt);
}

// A list of (id, key) rows.
class SortListRowsTest : public ::testing::Test {
protected:
    void Fill(std::initializer_list<std::pair<const char*, const char*>> rows) {
        for (const auto& [id, key] : rows) new QTreeWidgetItem(&m_list, {Q(id), Q(key)});
    }
    std::string Ids() const {
        std::string ids;
        for (int i = 0; i < m_list.topLevelItemCount(); ++i)
            ids += m_list.topLevelItem(i)->text(0).toStdString();
        return ids;
    }
    QTreeWidgetItem* Row(const char* id) const {
        return m_list.findItems(Q(id), Qt::MatchExactly, 0).value(0);
    }

    QTreeWidget m_list;

    void SetUp() override {
        m_list.setColumnCount(2);
        m_list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
};

TEST_F(SortListRowsTest, EqualRowsKeepTheirOrderInBothDirections) {
    Fill({{"1", "b"}, {"2", "A"}, {"3", "a"}, {"4", "B"}, {"5", "c"}, {"6", "b"}});

    SortListRows(&m_list, 1, SortKind::Text, Qt::AscendingOrder);
    EXPECT_EQ(Ids(), "231465");
    EXPECT_TRUE(m_list.header()->isSortIndicatorShown());
    EXPECT_EQ(m_list.header()->sortIndicatorSection(), 1);
    EXPECT_EQ(m_list.header()->sortIndicatorOrder(), Qt::AscendingOrder);

    SortListRows(&m_list, 1, SortKind::Text, Qt::DescendingOrder);
    EXPECT_EQ(Ids(), "514623");  // equal rows keep the order they had, they are not reversed
    EXPECT_EQ(m_list.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_FALSE(m_list.isSortingEnabled());
}

TEST_F(SortListRowsTest, SizesSortByValue) {
    Fill({{"a", "12.500 MB"}, {"b", "0.001 MB"}, {"c", "3.000 MB"}, {"d", "100.000 MB"}});
    SortListRows(&m_list, 1, SortKind::Size, Qt::AscendingOrder);
    EXPECT_EQ(Ids(), "bcad");
}

TEST_F(SortListRowsTest, KeepsCurrentAndSelectedRowsWithoutSelectionSignals) {
    Fill({{"1", "30"}, {"2", "10"}, {"3", "20"}, {"4", "5"}});
    m_list.setCurrentItem(Row("3"));
    Row("1")->setSelected(true);
    Row("3")->setSelected(true);
    Row("2")->setSelected(false);
    QSignalSpy selectionSpy(&m_list, &QTreeWidget::itemSelectionChanged);
    QSignalSpy currentSpy(&m_list, &QTreeWidget::currentItemChanged);

    SortListRows(&m_list, 1, SortKind::WholeNumber, Qt::AscendingOrder);

    EXPECT_EQ(Ids(), "4231");
    EXPECT_EQ(m_list.currentItem(), Row("3"));
    EXPECT_TRUE(Row("1")->isSelected());
    EXPECT_TRUE(Row("3")->isSelected());
    EXPECT_FALSE(Row("2")->isSelected());
    EXPECT_FALSE(Row("4")->isSelected());
    EXPECT_EQ(selectionSpy.count(), 0);
    EXPECT_EQ(currentSpy.count(), 0);
}

TEST_F(SortListRowsTest, BadColumnsAndEmptyListsChangeNothing) {
    Fill({{"2", "x"}, {"1", "y"}});
    SortListRows(&m_list, 5, SortKind::Text, Qt::AscendingOrder);
    SortListRows(&m_list, -1, SortKind::Text, Qt::AscendingOrder);
    SortListRows(nullptr, 0, SortKind::Text, Qt::AscendingOrder);
    EXPECT_EQ(Ids(), "21");
    EXPECT_FALSE(m_list.header()->isSortIndicatorShown());

    m_list.clear();
    SortListRows(&m_list, 1, SortKind::Date, Qt::DescendingOrder);
    EXPECT_EQ(m_list.topLevelItemCount(), 0);
    EXPECT_EQ(m_list.header()->sortIndicatorSection(), 1);
}

// Header clicks on a real list.
class HeaderSortTest : public SortListRowsTest {
protected:
    void SetUp() override {
        SortListRowsTest::SetUp();
        m_list.setHeaderLabels({QStringLiteral("Id"), QStringLiteral("Key")});
        m_list.resize(300, 200);
        Fill({{"1", "b"}, {"2", "c"}, {"3", "a"}});
        m_state.SetState(0, QStringLiteral("false"));  // column 0 has a state but no kind
        m_state.SetState(1, QStringLiteral("true"));
        ConnectHeaderSort(&m_list, &m_state, [](int column) {
            return column == 1 ? std::optional(SortKind::Text) : std::nullopt;
        });
        m_list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    }
    void ClickHeader(int column) {
        QHeaderView* header = m_list.header();
        const QPoint point(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    }
    std::pair<int, Qt::SortOrder> Indicator() const {
        return {m_list.header()->sortIndicatorSection(), m_list.header()->sortIndicatorOrder()};
    }

    CListSortState m_state;
};

TEST_F(HeaderSortTest, ClicksSortUpThenDownAndMoveTheTriangle) {
    ClickHeader(1);
    EXPECT_EQ(Ids(), "312");
    EXPECT_EQ(Indicator(), std::make_pair(1, Qt::AscendingOrder));
    EXPECT_TRUE(m_list.header()->isSortIndicatorShown());
    ClickHeader(1);
    EXPECT_EQ(Ids(), "213");
    EXPECT_EQ(Indicator(), std::make_pair(1, Qt::DescendingOrder));
    ClickHeader(1);
    EXPECT_EQ(Ids(), "312");
}

TEST_F(HeaderSortTest, ClicksThatSortNothingLeaveRowsAndTriangle) {
    ClickHeader(1);
    ClickHeader(1);
    ASSERT_EQ(Indicator(), std::make_pair(1, Qt::DescendingOrder));

    ClickHeader(0);  // a column without a kind
    EXPECT_EQ(Ids(), "213");
    EXPECT_EQ(Indicator(), std::make_pair(1, Qt::DescendingOrder));
    EXPECT_EQ(m_state.State(0), QStringLiteral("false"));

    m_state.SetState(1, QStringLiteral("maybe"));
    ClickHeader(1);
    EXPECT_EQ(Ids(), "213");
    EXPECT_EQ(Indicator(), std::make_pair(1, Qt::DescendingOrder));
    EXPECT_EQ(m_state.State(1), QStringLiteral("maybe"));
}

}  // namespace
}  // namespace ov2

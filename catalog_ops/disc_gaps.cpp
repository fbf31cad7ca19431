#include "catalog_ops/disc_gaps.h"

#include <algorithm>

#include "core/disc_database.h"
#include "core/number_text.h"

namespace ov2 {

DiscGaps FindDiscGaps(const COvDiscDatabase& database, std::size_t limit) {
    DiscGaps gaps;
    if (database.IsEmpty()) return gaps;
    const int last = ParseLeadingInt(database.m_lstDiscs.back()->m_strNumber.view());

    // The numbers that a disc carries in their "%d" form, the only form a lookup of "%d" finds.
    std::vector<int> taken;
    taken.reserve(database.m_lstDiscs.size());
    for (const auto& disc : database.m_lstDiscs)
        if (const std::optional<int> n = ParseCanonicalInt(disc->m_strNumber.view()); n && *n >= 1)
            taken.push_back(*n);
    std::sort(taken.begin(), taken.end());

    auto next = taken.begin();
    // 64 bits, so that stepping past a last number of 2147483647 cannot overflow.
    for (long long i = 1; i <= last; ++i) {
        next = std::lower_bound(next, taken.end(), i);
        if (next != taken.end() && *next == i) {
            // Skip the run of taken numbers in one step.
            while (next + 1 != taken.end() && next[1] <= i + 1) {
                i = next[1];
                ++next;
            }
            continue;
        }
        if (gaps.numbers.size() == limit) {
            gaps.cut = true;
            break;
        }
        gaps.numbers.push_back(std::to_string(i));
    }
    return gaps;
}

}  // namespace ov2

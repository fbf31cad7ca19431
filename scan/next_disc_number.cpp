#include "scan/next_disc_number.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <unordered_set>

#include "core/disc_database.h"
#include "core/number_text.h"

namespace ov2 {

std::string NextDiscNumber(const COvDiscDatabase& database) {
    if (database.IsEmpty()) return "1";
    const auto usable = [&database](std::int64_t number) {
        return number >= 1 && number <= INT_MAX && !database.DiscExists(std::to_string(number));
    };
    const std::int64_t afterLast =
        static_cast<std::int64_t>(ParseLeadingInt(database.m_lstDiscs.back()->m_strNumber)) + 1;
    if (usable(afterLast)) return std::to_string(afterLast);

    std::int64_t largest = 0;
    for (const auto& disc : database.m_lstDiscs)
        largest = std::max<std::int64_t>(largest, ParseLeadingInt(disc->m_strNumber));
    if (usable(largest + 1)) return std::to_string(largest + 1);

    std::unordered_set<std::string_view> taken;
    for (const auto& disc : database.m_lstDiscs) taken.insert(disc->m_strNumber.view());
    for (std::int64_t number = 1; number <= INT_MAX; ++number)
        if (!taken.contains(std::to_string(number))) return std::to_string(number);
    return "1";  // two billion discs: unreachable in memory
}

}  // namespace ov2

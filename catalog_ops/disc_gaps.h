#pragma once

#include <cstddef>
#include <string>
#include <vector>

class COvDiscDatabase;

namespace ov2 {

// The numbers from 1 to the last disc's number that no disc carries, as "%d" texts in
// ascending order. A disc numbered "07" does not carry 7: numbers are compared as text.
struct DiscGaps {
    std::vector<std::string> numbers;
    bool cut = false;  // more gaps exist than the list holds
};

// A catalogue whose last disc is numbered 2000000000 has nearly that many gaps; nobody reads
// past the first thousands, so the list stops here.
inline constexpr std::size_t kMaxListedGaps = 10000;

// Works from the sorted disc numbers: the time grows with the number of discs and of the gaps
// listed, never with the size of the last number.
DiscGaps FindDiscGaps(const COvDiscDatabase& database, std::size_t limit = kMaxListedGaps);

}  // namespace ov2

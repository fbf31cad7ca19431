#pragma once

#include <string>

class COvDiscDatabase;

namespace ov2 {

// The number a newly scanned disc gets: "1" in an empty catalogue, else one above the number of
// the last disc in the catalogue's order. A catalogue whose discs are not in order can already
// hold that number; then it is one above the largest number, and when even that would not fit
// "%d", the smallest number from 1 that no disc carries.
std::string NextDiscNumber(const COvDiscDatabase& database);

}  // namespace ov2

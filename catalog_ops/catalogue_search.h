#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class COvDisc;
class COvDiscDatabase;
class COvFileData;

// Finding discs by their name and files by their name, among every disc or among those discs
// and files that carry a set of categories. The result windows and `ov2cat search` share it.
namespace ov2 {

struct SearchQuery {
    std::string pattern;  // found anywhere in the name, as ov2::CTextMatcher finds it
    bool files = false;   // files by their name; discs by their name otherwise
    bool byCategory = false;
    // By category: a candidate carries every one of these (exact case). The pattern "*" then
    // takes every candidate.
    std::vector<std::string> categories;
};

// One found disc, or one found file and the disc that holds it. The row keeps the records
// themselves, so that a row acts on its own record whatever its texts look like.
struct SearchHit {
    std::shared_ptr<COvDisc> disc;
    std::shared_ptr<COvFileData> file;  // none in a disc search
};

// The hits in catalogue order: discs first to last, files in each disc's order.
std::vector<SearchHit> SearchCatalogue(const COvDiscDatabase& database, const SearchQuery& query);

// The texts of a result row, as the result windows show them and `ov2cat search` prints them.
// A disc: name, number, location. A file: name without its extension, disc number, size
// ("%0.3f MB"), extension in upper case (the whole name in upper case when it has none).
std::vector<std::string> HitColumns(const SearchHit& hit);

}  // namespace ov2

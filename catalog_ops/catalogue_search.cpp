#include "catalog_ops/catalogue_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/disc_database.h"
#include "core/number_text.h"
#include "platform/text.h"
#include "platform/text_matcher.h"

namespace ov2 {
namespace {

// Whether every criterion is among the categories, exactly as typed.
bool CarriesAll(const std::vector<std::string>& categories,
                const std::vector<std::string>& criteria) {
    if (categories.size() < criteria.size()) return false;
    return std::all_of(criteria.begin(), criteria.end(), [&](const std::string& criterion) {
        return std::find(categories.begin(), categories.end(), criterion) != categories.end();
    });
}

std::string AsciiUpper(std::string_view bytes) {
    std::string upper(bytes);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// Upper case by Unicode rules for UTF-8 text; bytes of another code page stay bytes, only their
// ASCII letters change.
std::string UpperText(std::string_view bytes) {
    if (IsAscii(bytes)) return AsciiUpper(bytes);
    const QString text = DecodeText(bytes);
    if (EncodeText(text) != bytes) return AsciiUpper(bytes);
    return EncodeText(text.toUpper());
}

}  // namespace

std::vector<SearchHit> SearchCatalogue(const COvDiscDatabase& database, const SearchQuery& query) {
    std::vector<SearchHit> hits;
    const CTextMatcher matcher(query.pattern);
    const bool everyCandidate = query.byCategory && query.pattern == "*";
    auto matches = [&](const std::vector<std::string>& categories, std::string_view name) {
        if (query.byCategory && !CarriesAll(categories, query.categories)) return false;
        return everyCandidate || matcher.Contains(name);
    };
    for (const auto& disc : database.m_lstDiscs) {
        if (!query.files) {
            if (matches(disc->m_lstCategories, disc->m_strName)) hits.push_back({disc, nullptr});
            continue;
        }
        const auto& files = disc->m_lstFiles;
        for (std::size_t i = 0; i < files.size(); ++i) {
            // A million records are a million places in memory: ask for the next ones early,
            // the record first and its name's bytes once the record is there.
            if (i + 16 < files.size()) __builtin_prefetch(&files[i + 16]->m_strFileName);
            if (i + 8 < files.size()) files[i + 8]->m_strFileName.Prefetch();
            const auto& file = files[i];
            if (matches(file->m_lstCategories, file->m_strFileName)) hits.push_back({disc, file});
        }
    }
    return hits;
}

std::vector<std::string> HitColumns(const SearchHit& hit) {
    if (!hit.file)
        return {hit.disc->m_strName.str(), hit.disc->m_strNumber.str(),
                hit.disc->m_strLocation.str()};
    const std::string_view name = hit.file->m_strFileName;
    const auto dot = name.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    const std::string_view type = dot == std::string_view::npos ? name : name.substr(dot + 1);
    // Sizes are read into single precision, as every list of the program shows them.
    const float bytes = static_cast<float>(ParseLeadingDouble(hit.file->m_strSize));
    return {std::string(stem), hit.disc->m_strNumber.str(), FormatSizeText(bytes), UpperText(type)};
}

}  // namespace ov2

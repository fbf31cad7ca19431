#include "catalog_ops/catalogue_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "core/disc_database.h"
#include "core/number_text.h"
#include "platform/text.h"

namespace ov2 {
namespace {

constexpr std::array<char, 256> MakeAsciiLower() {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] =
            static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return table;
}
constexpr std::array<char, 256> kAsciiLower = MakeAsciiLower();

char Lower(char c) {
    return kAsciiLower[static_cast<unsigned char>(c)];
}

// Eight bytes at a time: names are short, and most of them are ASCII.
bool IsAscii(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n > 0; ++p, --n) any |= static_cast<unsigned char>(*p);
    return (any & kHighBits) == 0;
}

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

CNameMatcher::CNameMatcher(std::string_view pattern)
    : m_strLowerPattern(LowerText(pattern)), m_bAsciiPattern(IsAscii(m_strLowerPattern)) {}

bool CNameMatcher::Matches(std::string_view name) const {
    if (m_strLowerPattern.empty()) return true;
    // An ASCII pattern found with ASCII folding is found by Unicode lowering too: lowering
    // leaves the ASCII letters of a name as folding does. Only names with other characters
    // can match in a way folding does not see ("İ" lowers to "i" and a dot).
    if (m_bAsciiPattern && FindFolded(name)) return true;
    return !IsAscii(name) && LowerText(name).find(m_strLowerPattern) != std::string::npos;
}

bool CNameMatcher::FindFolded(std::string_view name) const {
    const std::string_view pattern = m_strLowerPattern;
    const std::size_t m = pattern.size();
    if (name.size() < m) return false;
    const std::size_t last = name.size() - m;  // the last place the pattern can start
    const char first = pattern.front();
    auto matchesAt = [&](std::size_t k) {
        for (std::size_t j = 0; j < m; ++j)
            if (Lower(name[k + j]) != pattern[j]) return false;
        return true;
    };

    // Candidates for the first character, eight bytes at a time: bit 5 set on every byte turns
    // "A".."Z" into "a".."z" (and other bytes into bytes that the check at the place refuses),
    // then a byte equal to the first character becomes a zero byte.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    const bool letter = first >= 'a' && first <= 'z';
    const std::uint64_t fold = letter ? kOnes * 0x20 : 0;
    const std::uint64_t wanted = kOnes * static_cast<unsigned char>(first);
    std::size_t i = 0;
    for (; i + 8 <= name.size() && i <= last; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, name.data() + i, 8);
        const std::uint64_t x = (word | fold) ^ wanted;
        // The lowest zero byte is found exactly; bytes above it may be false candidates.
        for (std::uint64_t zeros = (x - kOnes) & ~x & kHigh; zeros != 0; zeros &= zeros - 1) {
            const std::size_t k = i + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
            if (k > last) break;
            if (matchesAt(k)) return true;
        }
    }
    for (; i <= last; ++i)
        if (matchesAt(i)) return true;
    return false;
}

std::vector<SearchHit> SearchCatalogue(const COvDiscDatabase& database, const SearchQuery& query) {
    std::vector<SearchHit> hits;
    const CNameMatcher matcher(query.pattern);
    const bool everyCandidate = query.byCategory && query.pattern == "*";
    auto matches = [&](const std::vector<std::string>& categories, std::string_view name) {
        if (query.byCategory && !CarriesAll(categories, query.categories)) return false;
        return everyCandidate || matcher.Matches(name);
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

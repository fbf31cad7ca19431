#include "platform/text_matcher.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <QString>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

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

// NFC after folding too: folding can take a character apart ("ΐ" folds to ι and two marks),
// and the parts must meet a pattern's whole character again.
icu::UnicodeString NormalFolded(icu::UnicodeString text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    auto normalise = [&] {
        UErrorCode check = U_ZERO_ERROR;
        if (!nfc || U_FAILURE(status) || nfc->isNormalized(text, check) || U_FAILURE(check)) return;
        icu::UnicodeString normal = nfc->normalize(text, check);
        if (U_SUCCESS(check)) text = std::move(normal);
    };
    normalise();
    text.foldCase(U_FOLD_CASE_DEFAULT);
    normalise();
    return text;
}

}  // namespace

std::string FoldText(std::string_view bytes) {
    std::string folded;
    AppendFoldText(folded, bytes);
    return folded;
}

void AppendFoldText(std::string& out, std::string_view bytes) {
    if (IsAscii(bytes)) {
        const std::size_t start = out.size();
        out.append(bytes);
        for (auto it = out.begin() + static_cast<std::ptrdiff_t>(start); it != out.end(); ++it)
            *it = Lower(*it);
        return;
    }
    const QString text = DecodeText(bytes);
    const icu::UnicodeString folded = NormalFolded(icu::UnicodeString(
        reinterpret_cast<const UChar*>(text.utf16()), static_cast<int32_t>(text.size())));
    folded.toUTF8String(out);
}

CTextMatcher::CTextMatcher(std::string_view pattern)
    : m_strFolded(FoldText(pattern)), m_bAsciiPattern(IsAscii(m_strFolded)) {}

bool CTextMatcher::Contains(std::string_view text) const {
    if (m_strFolded.empty()) return true;
    // An ASCII text folds to ASCII, so only an ASCII pattern can be in it. Another text is
    // folded whole: a pattern's ASCII letters found in its bytes may belong to a character
    // that NFC composes with the mark after them ("cafe" and a combining accent).
    if (IsAscii(text)) return m_bAsciiPattern && FindAscii(text);
    return FoldText(text).find(m_strFolded) != std::string::npos;
}

bool CTextMatcher::Equals(std::string_view text) const {
    if (IsAscii(text)) {
        if (!m_bAsciiPattern || text.size() != m_strFolded.size()) return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (Lower(text[i]) != m_strFolded[i]) return false;
        return true;
    }
    return FoldText(text) == m_strFolded;
}

bool CTextMatcher::FindAscii(std::string_view name) const {
    const std::string_view pattern = m_strFolded;
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

}  // namespace ov2

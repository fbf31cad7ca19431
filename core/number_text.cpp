#include "core/number_text.h"

#include <charconv>
#include <climits>
#include <cstdint>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int ParseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double ParseLeadingDouble(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '-') return 0;  // no second sign
    double value = 0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (result.ec == std::errc::invalid_argument) return 0;
    // Out of range: from_chars leaves the value alone; atof gives infinity or zero.
    return negative ? -value : value;
}

std::optional<int> ParseCanonicalInt(std::string_view text) {
    if (text.empty() || text.size() > 10 || !IsDigit(text[0])) return std::nullopt;
    if (text[0] == '0' && text.size() > 1) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::string FormatSizeText(double bytes) {
    char buffer[512];  // room for any double in fixed notation
    const double mebibytes = bytes * 9.5367431640625e-07;
    auto result = std::to_chars(buffer, buffer + sizeof buffer, mebibytes, std::chars_format::fixed, 3);
    if (result.ec != std::errc()) return "0.000 MB";
    return std::string(buffer, result.ptr) + " MB";
}

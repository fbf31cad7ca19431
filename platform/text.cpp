#include "platform/text.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ov2 {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The characters of Windows-1252 at 0x80..0x9F; the rest of the code page is Latin-1. The five
// unassigned bytes map to the C1 controls of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The UTF-8 text of valid UTF-8 bytes; a null QString otherwise. A leading byte order mark is
// kept as U+FEFF: the decoder would otherwise drop it, and lowering or comparing would then lose
// a byte of the record or find two different names equal.
QString DecodeUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return {};
    return text.isNull() ? QString(QLatin1String("")) : text;
}

}  // namespace

bool IsAscii(std::string_view bytes) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n > 0; ++p, --n) any |= static_cast<unsigned char>(*p);
    return (any & kHighBits) == 0;
}

QString DecodeText(std::string_view bytes) {
    if (IsAscii(bytes)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = DecodeUtf8(bytes);
    if (!text.isNull()) return text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

std::string EncodeText(const QString& text) { return text.toStdString(); }

std::string LowerText(std::string_view bytes) {
    if (IsAscii(bytes)) {
        std::string lower(bytes);
        std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
        return lower;
    }
    const QString text = DecodeUtf8(bytes);
    if (text.isNull()) {
        std::string lower(bytes);
        std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
        return lower;
    }
    return text.toLower().toStdString();
}

int CompareNoCase(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
            if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        }
        return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
    }
    const std::string x = LowerText(a), y = LowerText(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

std::optional<std::vector<std::string_view>> SplitDrivePath(std::string_view relative) {
    std::vector<std::string_view> names;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = relative.size();
        const std::string_view name = relative.substr(start, end - start);
        if (name == "." || name == "..") return std::nullopt;
        if (!name.empty()) names.push_back(name);
        start = end + 1;
    }
    return names;
}

std::string RecordName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') c = '_';
    }
    return safe;
}

}  // namespace ov2

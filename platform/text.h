#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Record texts are bytes. Catalogues made on Linux hold UTF-8; catalogues made on Windows hold
// the Windows-1252 code page. These turn record bytes into display text and back, and compare
// them the way a user expects.
namespace ov2 {

// Whether every byte is ASCII, eight bytes at a time: names are short, and most are ASCII.
bool IsAscii(std::string_view bytes);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeText(std::string_view bytes);
// What the user typed, as record bytes (UTF-8).
std::string EncodeText(const QString& text);

// Record bytes kept in a widget's item data, unchanged.
inline QByteArray ToByteArray(std::string_view bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Lower case: Unicode rules for UTF-8 text, ASCII rules otherwise (the bytes of other code pages
// stay as they are). ASCII text takes a fast path without decoding.
std::string LowerText(std::string_view bytes);
// Comparison without regard to case, by the same rules; <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

// The names of a path below a drive's root ("photos\\2003\\a.jpg"; "\\" or "/" between names),
// empty names left out. None when a name is "." or "..": a record never holds them, and they
// would lead out of the drive.
std::optional<std::vector<std::string_view>> SplitDrivePath(std::string_view relative);

// A file or folder name as records and outlines keep it. Linux allows "\" and control
// characters in names, which would split a record path or an outline line; each such byte
// (0x01..0x1F, 0x7F and "\") becomes "_".
std::string RecordName(std::string_view name);

}  // namespace ov2

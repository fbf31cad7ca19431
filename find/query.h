#pragma once

#include <QRegularExpression>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "find/find_query.h"

namespace ov2::find {

// One piece of a wildcard pattern: a folded literal, or `*` (any run of characters) or `?`
// (one character).
struct GlobPiece {
    enum class Kind { Literal, AnyRun, AnyOne } kind = Kind::Literal;
    std::string text;
};

// One condition of a query: a word, a wildcard pattern or a filter, possibly negated.
struct Condition {
    enum class Kind {
        Substring,   // `text` (folded) anywhere in the folded name
        Wildcard,    // `glob` over the whole folded name
        Regex,       // `regex` somewhere in the folded name
        Extension,   // the folded name ends in "." and one of `list` (folded)
        Size,        // the file's size in bytes is in [low, high]
        DiscNumber,  // the disc's number is in [low, high]
        DiscName,    // `text` (folded) anywhere in the folded disc name
        Path,        // `text` (folded, "\" between names) anywhere in the folded folder path
        Category,    // the file carries one of `list`, exact case
        Lent,        // the disc is not at home; with `text`, lent to that person (case-blind)
        Modified,    // the file's modification time is known and in [from, until)
        Copies,      // the file has a copy among the catalogues searched (dupes/duplicates.h)
    };
    Kind kind = Kind::Substring;
    bool negated = false;
    std::string text;
    std::vector<std::string> list;
    std::vector<GlobPiece> glob;
    std::shared_ptr<const QRegularExpression> regex;  // compiled at once: threads share it
    std::uint64_t low = 0;
    std::uint64_t high = std::numeric_limits<std::uint64_t>::max();
    std::int64_t from = std::numeric_limits<std::int64_t>::min();  // UTC seconds
    std::int64_t until = std::numeric_limits<std::int64_t>::max();

    // Whether the condition looks at the disc only (its number, name or location).
    bool OfDisc() const {
        return kind == Kind::DiscNumber || kind == Kind::DiscName || kind == Kind::Lent;
    }
};

// A parsed query: every group must hold (AND); a group holds when any of its conditions does
// (`|`, OR). No groups: everything matches.
class CQuery {
public:
    std::vector<std::vector<Condition>> groups;
    bool folders = false;  // `folder:`: outline folders are matched instead of files
};

}  // namespace ov2::find

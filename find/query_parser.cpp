// Reads the text of the Find box into a query: blank-separated words, quotes, `|`, `!` and the
// `name:value` filters. Any fault is an error text for the line under the box, never an
// exception.

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <utility>

#include <QDate>
#include <QDateTime>

#include "find/disc_part.h"
#include "find/query.h"

namespace ov2::find {
namespace {

// A word of the query as typed: its characters without the quotes, and which of them stood
// inside quotes (those are plain text: no `!`, `*`, `?`, `:` or `;` of the language).
struct Word {
    std::string text;
    std::vector<bool> quoted;

    bool AnyQuoted() const { return std::find(quoted.begin(), quoted.end(), true) != quoted.end(); }
    Word Tail(std::size_t from) const {
        return {text.substr(from),
                std::vector<bool>(quoted.begin() + static_cast<long>(from), quoted.end())};
    }
};

struct Token {
    bool orSign = false;  // `|`
    Word word;
};

struct Fault {
    std::string message;
};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiLower(text[i]) != prefix[i]) return false;
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<Token> Tokens(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '|') {
            tokens.push_back({true, {}});
            ++i;
            continue;
        }
        Word word;
        bool inQuotes = false;
        // A regular expression keeps its own "|": only a blank ends it.
        const bool regex = StartsWithNoCase(text.substr(i), "regex:") ||
                           StartsWithNoCase(text.substr(i), "!regex:");
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                inQuotes = !inQuotes;
                continue;
            }
            if (!inQuotes && (IsBlank(c) || (c == '|' && !regex))) break;
            word.text += c;
            word.quoted.push_back(inQuotes);
        }
        if (inQuotes) throw Fault{"A quote is not closed."};
        tokens.push_back({false, std::move(word)});
    }
    return tokens;
}

std::vector<std::string> SplitList(const Word& value) {
    std::vector<std::string> items(1);
    for (std::size_t i = 0; i < value.text.size(); ++i) {
        if (value.text[i] == ';' && !value.quoted[i])
            items.emplace_back();
        else
            items.back() += value.text[i];
    }
    std::erase_if(items, [](const std::string& item) { return item.empty(); });
    return items;
}

// "700mb", "1.5gb", "0": bytes, counting in powers of 1024; none when malformed or too large.
std::optional<std::uint64_t> ParseBytes(std::string_view text) {
    std::size_t i = 0;
    std::uint64_t whole = 0;
    const std::size_t digitsStart = i;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        if (__builtin_mul_overflow(whole, 10u, &whole) ||
            __builtin_add_overflow(whole, static_cast<unsigned>(text[i] - '0'), &whole))
            return std::nullopt;
    if (i == digitsStart) return std::nullopt;
    std::uint64_t fraction = 0, scale = 1;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            if (i - fractionStart < 6) {
                fraction = fraction * 10 + static_cast<unsigned>(text[i] - '0');
                scale *= 10;
            }
        if (i == fractionStart) return std::nullopt;
    }
    std::string unit;
    for (; i < text.size(); ++i) unit += AsciiLower(text[i]);
    std::uint64_t factor = 0;
    constexpr std::pair<std::string_view, std::uint64_t> kUnits[] = {
        {"", 1},           {"b", 1},           {"k", 1ull << 10}, {"kb", 1ull << 10},
        {"m", 1ull << 20}, {"mb", 1ull << 20}, {"g", 1ull << 30}, {"gb", 1ull << 30},
        {"t", 1ull << 40}, {"tb", 1ull << 40}};
    for (const auto& [name, bytes] : kUnits)
        if (unit == name) factor = bytes;
    if (factor == 0) return std::nullopt;
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(whole, factor, &bytes) ||
        __builtin_add_overflow(bytes, fraction * factor / scale, &bytes))
        return std::nullopt;
    return bytes;
}

// The comparison a filter's value starts with (">=", "<=", ">", "<", "="); empty for none.
std::string_view ComparisonAt(std::string_view value) {
    for (std::string_view op : {">=", "<=", ">", "<", "="})
        if (value.starts_with(op)) return op;
    return {};
}

constexpr std::string_view kSizeHelp =
    "size: takes a size such as >700mb, <=2gb, 100kb or 1gb..4gb.";

void ParseSize(std::string_view value, Condition& condition) {
    auto bytes = [](std::string_view text) {
        const std::optional<std::uint64_t> parsed = ParseBytes(text);
        if (!parsed) throw Fault{std::string(kSizeHelp)};
        return *parsed;
    };
    if (const std::size_t dots = value.find(".."); dots != std::string_view::npos) {
        const std::string_view from = value.substr(0, dots), to = value.substr(dots + 2);
        if (from.empty() && to.empty()) throw Fault{std::string(kSizeHelp)};
        if (!from.empty()) condition.low = bytes(from);
        if (!to.empty()) condition.high = bytes(to);
        if (condition.low > condition.high) throw Fault{"The size range goes backwards."};
        return;
    }
    const std::string_view op = ComparisonAt(value);
    const std::uint64_t n = bytes(value.substr(op.size()));
    if (op == ">") {
        condition.low = n + 1;  // n + 1 cannot wrap: ParseBytes never gives the largest value
    } else if (op == ">=") {
        condition.low = n;
    } else if (op == "<") {
        condition.high = n == 0 ? 0 : n - 1;
        if (n == 0) condition.low = 1;  // nothing is smaller than nothing
    } else if (op == "<=") {
        condition.high = n;
    } else {
        condition.low = condition.high = n;
    }
}

std::optional<std::uint64_t> ParseWholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

constexpr std::string_view kDateHelp =
    "dm: takes a date such as 2023, 2023-01, 2023-01-31, >2020, <=2020-05 or "
    "2023-01-01..2023-06-30.";

// A year, a month or a day ("2023", "2023-01", "2023-01-31") as the local midnights that begin
// it and the next one, in UTC seconds.
std::pair<std::int64_t, std::int64_t> DatePeriod(std::string_view text) {
    auto number = [&](std::size_t at, std::size_t digits) {
        const std::optional<std::uint64_t> n = ParseWholeNumber(text.substr(at, digits));
        if (!n || text.substr(at, digits).size() != digits) throw Fault{std::string(kDateHelp)};
        return static_cast<int>(*n);
    };
    const int year = number(0, 4);
    int month = 1, day = 1;
    QDate start, next;
    if (text.size() == 4) {
        start = QDate(year, 1, 1);
        next = start.addYears(1);
    } else if (text.size() == 7 && text[4] == '-') {
        month = number(5, 2);
        start = QDate(year, month, 1);
        next = start.addMonths(1);
    } else if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        month = number(5, 2);
        day = number(8, 2);
        start = QDate(year, month, day);
        next = start.addDays(1);
    } else {
        throw Fault{std::string(kDateHelp)};
    }
    if (!start.isValid()) throw Fault{"There is no such date: " + std::string(text) + "."};
    return {QDateTime(start, QTime(0, 0)).toSecsSinceEpoch(),
            QDateTime(next, QTime(0, 0)).toSecsSinceEpoch()};
}

// dm: the file was modified in [from, until); a bare date is its whole year, month or day.
void ParseModified(std::string_view value, Condition& condition) {
    if (const std::size_t dots = value.find(".."); dots != std::string_view::npos) {
        const std::string_view first = value.substr(0, dots), last = value.substr(dots + 2);
        if (first.empty() && last.empty()) throw Fault{std::string(kDateHelp)};
        if (!first.empty()) condition.from = DatePeriod(first).first;
        if (!last.empty()) condition.until = DatePeriod(last).second;
        if (condition.from >= condition.until) throw Fault{"The date range goes backwards."};
        return;
    }
    const std::string_view op = ComparisonAt(value);
    const auto [start, next] = DatePeriod(value.substr(op.size()));
    if (op == ">")
        condition.from = next;
    else if (op == ">=")
        condition.from = start;
    else if (op == "<")
        condition.until = start;
    else if (op == "<=")
        condition.until = next;
    else
        condition.from = start, condition.until = next;
}

void ParseDisc(const Word& value, Condition& condition) {
    if (value.text.empty()) throw Fault{"disc: takes a number, a range such as 10..20, or a name."};
    if (!value.AnyQuoted()) {
        const std::string_view text = value.text;
        if (const std::size_t dots = text.find(".."); dots != std::string_view::npos) {
            const auto from = ParseWholeNumber(text.substr(0, dots));
            const auto to = ParseWholeNumber(text.substr(dots + 2));
            if (!from || !to) throw Fault{"disc: takes a range of disc numbers such as 10..20."};
            if (*from > *to) throw Fault{"The disc range goes backwards."};
            condition.kind = Condition::Kind::DiscNumber;
            condition.low = *from;
            condition.high = *to;
            return;
        }
        if (const auto number = ParseWholeNumber(text)) {
            condition.kind = Condition::Kind::DiscNumber;
            condition.low = condition.high = *number;
            return;
        }
    }
    condition.kind = Condition::Kind::DiscName;
    condition.text = FoldName(value.text);
}

std::vector<GlobPiece> Glob(const Word& word) {
    std::vector<GlobPiece> pieces;
    std::string literal;
    auto flush = [&] {
        if (!literal.empty()) pieces.push_back({GlobPiece::Kind::Literal, FoldName(literal)});
        literal.clear();
    };
    for (std::size_t i = 0; i < word.text.size(); ++i) {
        const char c = word.text[i];
        if (word.quoted[i] || (c != '*' && c != '?')) {
            literal += c;
            continue;
        }
        flush();
        if (c == '?') {
            pieces.push_back({GlobPiece::Kind::AnyOne, {}});
        } else if (pieces.empty() || pieces.back().kind != GlobPiece::Kind::AnyRun) {
            pieces.push_back({GlobPiece::Kind::AnyRun, {}});
        }
    }
    flush();
    return pieces;
}

// A word or filter; none for `folder:`, which sets the query's mode.
std::optional<Condition> ParseTerm(Word word, CQuery& query) {
    Condition condition;
    if (!word.text.empty() && word.text[0] == '!' && !word.quoted[0]) {
        condition.negated = true;
        word = word.Tail(1);
        if (word.text.empty()) throw Fault{"! needs a word after it."};
    }

    // A filter: letters, then a colon, all outside quotes.
    std::size_t colon = 0;
    while (colon < word.text.size() && !word.quoted[colon] &&
           std::isalpha(static_cast<unsigned char>(word.text[colon])))
        ++colon;
    if (colon > 0 && colon < word.text.size() && word.text[colon] == ':' && !word.quoted[colon]) {
        std::string key;
        for (std::size_t i = 0; i < colon; ++i) key += AsciiLower(word.text[i]);
        const Word value = word.Tail(colon + 1);
        if (key == "ext") {
            condition.kind = Condition::Kind::Extension;
            for (std::string item : SplitList(value)) {
                if (item.front() == '.') item.erase(0, 1);
                if (!item.empty()) condition.list.push_back(FoldName(item));
            }
            if (condition.list.empty()) throw Fault{"ext: takes extensions such as ext:mp3;flac."};
        } else if (key == "size") {
            condition.kind = Condition::Kind::Size;
            ParseSize(value.text, condition);
        } else if (key == "disc") {
            ParseDisc(value, condition);
        } else if (key == "path") {
            condition.kind = Condition::Kind::Path;
            condition.text = FoldName(value.text);
            std::replace(condition.text.begin(), condition.text.end(), '/', '\\');
            if (condition.text.empty())
                throw Fault{"path: takes a part of a folder path, such as path:music\\rock."};
        } else if (key == "cat") {
            condition.kind = Condition::Kind::Category;
            condition.list = SplitList(value);
            if (condition.list.empty())
                throw Fault{"cat: takes a category name, such as cat:Jazz."};
        } else if (key == "dm") {
            condition.kind = Condition::Kind::Modified;
            ParseModified(value.text, condition);
        } else if (key == "dupe") {
            condition.kind = Condition::Kind::Copies;
            if (!value.text.empty()) throw Fault{"dupe: takes no value."};
        } else if (key == "lent") {
            condition.kind = Condition::Kind::Lent;
            condition.text = FoldName(value.text);
        } else if (key == "regex") {
            condition.kind = Condition::Kind::Regex;
            if (value.text.empty()) throw Fault{"regex: takes a regular expression."};
            // PCRE2, compiled (and JIT-compiled) here, so that matching threads only read it.
            auto regex = std::make_shared<QRegularExpression>(
                QString::fromUtf8(value.text.data(), static_cast<qsizetype>(value.text.size())),
                QRegularExpression::CaseInsensitiveOption |
                    QRegularExpression::UseUnicodePropertiesOption |
                    QRegularExpression::DontCaptureOption);
            if (!regex->isValid())
                throw Fault{
                    "The regular expression is not valid: " + regex->errorString().toStdString() +
                    " at " + std::to_string(regex->patternErrorOffset() + 1) + "."};
            regex->optimize();
            condition.regex = std::move(regex);
        } else if (key == "folder") {
            if (condition.negated) throw Fault{"folder: cannot be negated."};
            query.folders = true;
            if (value.text.empty()) return std::nullopt;
            condition.kind = Condition::Kind::Substring;
            condition.text = FoldName(value.text);
        } else {
            throw Fault{
                "Unknown filter \"" + key +
                ":\"; filters are ext: size: dm: dupe: disc: path: cat: lent: folder: regex: (quote a "
                "word that holds a colon)."};
        }
        return condition;
    }

    const bool wildcard =
        std::any_of(word.text.begin(), word.text.end(), [&, i = std::size_t{0}](char c) mutable {
            const bool quoted = word.quoted[i++];
            return !quoted && (c == '*' || c == '?');
        });
    if (wildcard) {
        condition.kind = Condition::Kind::Wildcard;
        condition.glob = Glob(word);
    } else {
        condition.kind = Condition::Kind::Substring;
        condition.text = FoldName(word.text);
    }
    return condition;
}

std::shared_ptr<const CQuery> Parse(std::string_view text) {
    auto query = std::make_shared<CQuery>();
    const std::vector<Token> tokens = Tokens(text);
    bool joinNext = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.orSign) {
            if (i == 0 || tokens[i - 1].orSign || i + 1 == tokens.size())
                throw Fault{"| needs a word on each side."};
            joinNext = true;
            continue;
        }
        std::optional<Condition> condition = ParseTerm(token.word, *query);
        if (!condition) {
            if (joinNext || (i + 1 < tokens.size() && tokens[i + 1].orSign))
                throw Fault{"folder: cannot be one side of |."};
            continue;
        }
        if (joinNext)
            query->groups.back().push_back(std::move(*condition));
        else
            query->groups.push_back({std::move(*condition)});
        joinNext = false;
    }
    if (query->folders)
        for (const auto& group : query->groups)
            for (const Condition& condition : group)
                if (condition.kind == Condition::Kind::Extension ||
                    condition.kind == Condition::Kind::Size ||
                    condition.kind == Condition::Kind::Category ||
                    condition.kind == Condition::Kind::Modified ||
                    condition.kind == Condition::Kind::Copies)
                    throw Fault{
                        "ext:, size:, dm:, dupe: and cat: look at files; folder: finds folders."};
    return query;
}

}  // namespace

std::optional<std::uint64_t> ParseByteCount(std::string_view text) {
    return ParseBytes(text);
}

bool AsksForCopies(const CQuery& query) {
    for (const auto& group : query.groups)
        for (const Condition& condition : group)
            if (condition.kind == Condition::Kind::Copies) return true;
    return false;
}

ParseOutcome ParseQuery(std::string_view text) {
    ParseOutcome outcome;
    try {
        outcome.query = Parse(text);
    } catch (const Fault& fault) {
        outcome.error = fault.message;
    } catch (const std::exception& error) {  // out of memory, say: still an answer, not a crash
        outcome.error = error.what();
    }
    return outcome;
}

}  // namespace ov2::find

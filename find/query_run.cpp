// Answers a query over catalogue indexes: disc by disc, the disc's own conditions first; then
// its folded names, either all of them or, when the query holds a plain word (or a wildcard's
// text, or one extension), only those where memmem finds that text in the disc's buffer.

#include <string.h>  // memmem

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "core/disc_database.h"
#include "dupes/duplicates.h"
#include "find/disc_part.h"
#include "find/find_index.h"
#include "find/query.h"

namespace ov2::find {
namespace {

using Kind = Condition::Kind;

constexpr std::size_t kCancelEvery = 4096;  // names between two looks at the cancel flag

std::size_t CharLength(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    if (static_cast<unsigned char>(text[at]) >= 0x80)
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return end - at;
}

// The whole name against the pattern; on a mismatch the last `*` takes one more character.
bool GlobMatches(std::string_view name, const std::vector<GlobPiece>& pieces) {
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t piece = 0, at = 0, starPiece = kNone, starAt = 0;
    while (true) {
        if (piece < pieces.size()) {
            const GlobPiece& p = pieces[piece];
            if (p.kind == GlobPiece::Kind::AnyRun) {
                starPiece = piece++;
                starAt = at;
                continue;
            }
            if (p.kind == GlobPiece::Kind::AnyOne && at < name.size()) {
                at += CharLength(name, at);
                ++piece;
                continue;
            }
            if (p.kind == GlobPiece::Kind::Literal && name.substr(at).starts_with(p.text)) {
                at += p.text.size();
                ++piece;
                continue;
            }
        } else if (at == name.size()) {
            return true;
        }
        if (starPiece == kNone || starAt >= name.size()) return false;
        starAt += CharLength(name, starAt);
        at = starAt;
        piece = starPiece + 1;
    }
}

bool InRange(std::uint64_t value, const Condition& condition) {
    return value >= condition.low && value <= condition.high;
}

bool DiscHolds(const Condition& condition, const DiscPart& part) {
    switch (condition.kind) {
        case Kind::DiscNumber:
            return part.numbered && InRange(part.number, condition);
        case Kind::DiscName:
            return part.name.find(condition.text) != std::string::npos;
        case Kind::Lent:
            return !part.atHome && (condition.text.empty() || part.location == condition.text);
        default:
            return false;
    }
}

// One worker's walk over some discs of some catalogues.
class Walker {
public:
    Walker(const CQuery& query, const std::atomic<bool>* cancel)
        : m_query(query), m_cancel(cancel) {}

    // Per file of the disc next walked, whether it has a copy (dupe:); none: no file has.
    void SetCopies(const char* copies) { m_copies = copies; }

    bool Cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    // False when cancelled.
    bool Disc(std::uint32_t catalogue, std::uint32_t disc, const DiscPart& part) {
        if (Cancelled()) return false;
        if (!Prepare(part)) return true;
        m_catalogue = catalogue;
        m_disc = disc;
        m_part = &part;
        const NameList& list = m_query.folders ? part.folderNames : part.names;
        const std::string& text = list.Text();
        const char* base = text.data();
        if (m_needle.empty()) {
            std::size_t at = 0;
            for (std::size_t item = 0; item < list.Count(); ++item) {
                if (item % kCancelEvery == kCancelEvery - 1 && Cancelled()) return false;
                const auto end = static_cast<std::size_t>(
                    static_cast<const char*>(std::memchr(base + at, kNameEnd, text.size() - at)) -
                    base);
                Check(item, std::string_view(base + at, end - at));
                at = end + 1;
            }
            return true;
        }
        std::size_t at = 0, seen = 0;
        NameList::Entry last{};
        while (at < text.size()) {
            const void* found =
                memmem(base + at, text.size() - at, m_needle.data(), m_needle.size());
            if (!found) break;
            const NameList::Entry entry =
                list.Locate(static_cast<std::size_t>(static_cast<const char*>(found) - base),
                            seen ? &last : nullptr);
            last = entry;
            if (++seen % kCancelEvery == 0 && Cancelled()) return false;
            Check(entry.item, std::string_view(base + entry.start, entry.end - entry.start));
            at = entry.end + 1;
        }
        return true;
    }

    std::vector<Hit> hits;

private:
    // The groups that the disc leaves to its items, and the needle; false when no item of the
    // disc can match.
    bool Prepare(const DiscPart& part) {
        m_groups.clear();
        m_needle.clear();
        std::vector<std::pair<std::string, const Condition*>> needles;
        for (const auto& group : m_query.groups) {
            std::vector<const Condition*> items;
            bool holds = false;
            for (const Condition& condition : group) {
                if (!condition.OfDisc())
                    items.push_back(&condition);
                else if (DiscHolds(condition, part) != condition.negated)
                    holds = true;
            }
            if (holds) continue;
            if (items.empty()) return false;
            m_groups.push_back(std::move(items));
            if (m_groups.back().size() == 1)
                if (std::string needle = Needle(*m_groups.back().front()); !needle.empty())
                    needles.emplace_back(std::move(needle), m_groups.back().front());
        }
        const Condition* driver = Rarest(needles, m_query.folders ? part.folderNames : part.names);
        if (driver)
            m_needle = std::move(std::find_if(needles.begin(), needles.end(), [&](const auto& n) {
                                     return n.second == driver;
                                 })->first);
        // A plain word's needle is the whole of its condition: each place memmem finds holds it.
        if (driver && driver->kind == Kind::Substring)
            std::erase_if(m_groups, [&](const auto& group) { return group.front() == driver; });
        m_pathMatches.clear();
        return true;
    }

    // Of several needles, the one memmem finds least often in the first names of the disc (a
    // long word can be common: "night" is in twice as many song titles as "love"); the longer
    // one when they tie.
    static const Condition* Rarest(
        const std::vector<std::pair<std::string, const Condition*>>& needles,
        const NameList& names) {
        if (needles.size() <= 1) return needles.empty() ? nullptr : needles.front().second;
        constexpr std::size_t kSample = 1024;
        const std::string_view sample = std::string_view(names.Text()).substr(0, kSample);
        const Condition* best = nullptr;
        std::size_t bestCount = 0, bestLength = 0;
        for (const auto& [needle, condition] : needles) {
            std::size_t count = 0;
            for (std::size_t at = sample.find(needle); at != std::string_view::npos;
                 at = sample.find(needle, at + needle.size()))
                ++count;
            if (!best || count < bestCount || (count == bestCount && needle.size() > bestLength)) {
                best = condition;
                bestCount = count;
                bestLength = needle.size();
            }
        }
        return best;
    }

    // A text every name that meets the condition holds; empty when there is none.
    std::string Needle(const Condition& condition) const {
        if (condition.negated) return {};
        switch (condition.kind) {
            case Kind::Substring:
                return condition.text;
            case Kind::Wildcard: {
                std::string longest;
                for (const GlobPiece& piece : condition.glob)
                    if (piece.text.size() > longest.size()) longest = piece.text;
                return longest;
            }
            case Kind::Extension:
                if (condition.list.size() == 1 && !m_query.folders)
                    return "." + condition.list.front() + kNameEnd;
                return {};
            default:
                return {};
        }
    }

    void Check(std::size_t item, std::string_view name) {
        for (const auto& group : m_groups) {
            bool any = false;
            for (const Condition* condition : group)
                if (Holds(*condition, item, name) != condition->negated) {
                    any = true;
                    break;
                }
            if (!any) return;
        }
        hits.push_back({m_catalogue, m_disc, static_cast<std::uint32_t>(item)});
    }

    bool Holds(const Condition& condition, std::size_t item, std::string_view name) {
        const DiscPart& part = *m_part;
        switch (condition.kind) {
            case Kind::Substring:
                return name.find(condition.text) != std::string_view::npos;
            case Kind::Wildcard:
                return GlobMatches(name, condition.glob);
            case Kind::Regex:
                return RegexFinds(*condition.regex, name);
            case Kind::Extension:  // "." and the extension end the name: ext:gz and ext:tar.gz
                return std::any_of(condition.list.begin(), condition.list.end(),
                                   [&](const std::string& ext) {
                                       return name.size() > ext.size() && name.ends_with(ext) &&
                                              name[name.size() - ext.size() - 1] == '.';
                                   });
            case Kind::Size: {
                const std::uint64_t size = part.Size(item);
                return size != DiscPart::kNoSize && InRange(size, condition);
            }
            case Kind::Path:
                return PathHolds(condition, item);
            case Kind::Modified:
                return !part.times.empty() && part.times[item] != FileFacts::kNoTime &&
                       part.times[item] >= condition.from && part.times[item] < condition.until;
            case Kind::Copies:
                return m_copies && m_copies[item];
            case Kind::Category: {
                const auto it =
                    std::lower_bound(part.categorised.begin(), part.categorised.end(), item,
                                     [](const DiscPart::Categorised& c, std::size_t wanted) {
                                         return c.item < wanted;
                                     });
                if (it == part.categorised.end() || it->item != item) return false;
                const auto& carried = part.categorySets[it->set];
                return std::any_of(
                    condition.list.begin(), condition.list.end(), [&](const std::string& c) {
                        return std::find(carried.begin(), carried.end(), c) != carried.end();
                    });
            }
            default:
                return false;
        }
    }

    // The name as UTF-16 for the expression: ASCII (nearly every name) copied into one buffer,
    // other names decoded.
    bool RegexFinds(const QRegularExpression& regex, std::string_view name) {
        const bool ascii = std::all_of(name.begin(), name.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii)
            return regex.match(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
                .hasMatch();
        m_utf16.resize(static_cast<qsizetype>(name.size()));
        QChar* out = m_utf16.data();
        for (char c : name) *out++ = QChar(static_cast<char16_t>(c));
        return regex.match(QStringView(m_utf16)).hasMatch();
    }

    // A file's folder text, or a folder's parent path; each folder's answer once per disc.
    bool PathHolds(const Condition& condition, std::size_t item) {
        const DiscPart& part = *m_part;
        std::size_t folder = item;
        if (!m_query.folders) {
            const auto run = std::upper_bound(
                part.runs.begin(), part.runs.end(), item,
                [](std::size_t wanted, const DiscPart::FolderRun& r) { return wanted < r.first; });
            folder = std::prev(run)->folder;
        }
        auto& answers = m_pathMatches[&condition];
        const std::size_t folders = m_query.folders ? part.FolderCount() : part.folders.size();
        if (answers.size() != folders) answers.assign(folders, -1);
        if (answers[folder] < 0) {
            const std::string path =
                m_query.folders ? part.FoldedParentPath(folder) : part.folders[folder];
            answers[folder] = path.find(condition.text) != std::string::npos;
        }
        return answers[folder] > 0;
    }

    const CQuery& m_query;
    const std::atomic<bool>* m_cancel;
    std::vector<std::vector<const Condition*>> m_groups;
    std::string m_needle;
    // Per path: condition, whether each folder of the disc holds it (-1: not yet known).
    struct PathAnswers {
        std::vector<std::pair<const Condition*, std::vector<signed char>>> list;
        std::vector<signed char>& operator[](const Condition* c) {
            for (auto& [key, answers] : list)
                if (key == c) return answers;
            return list.emplace_back(c, std::vector<signed char>()).second;
        }
        void clear() { list.clear(); }
    } m_pathMatches;
    QString m_utf16;
    const char* m_copies = nullptr;
    const DiscPart* m_part = nullptr;
    std::uint32_t m_catalogue = 0;
    std::uint32_t m_disc = 0;
};

struct DiscRef {
    std::uint32_t catalogue;
    std::uint32_t disc;
};

// Which files of a list of indexes have a copy among them: per catalogue, its files one disc
// after another.
struct CopyMarks {
    std::vector<std::weak_ptr<const CCatalogueIndex>> from;
    std::vector<std::vector<char>> marks;
    std::vector<std::vector<std::size_t>> discStarts;

    const char* Disc(std::uint32_t catalogue, std::uint32_t disc) const {
        return marks[catalogue].data() + discStarts[catalogue][disc];
    }
};

std::shared_ptr<const CopyMarks> BuildCopyMarks(
    std::span<const std::shared_ptr<const CCatalogueIndex>> catalogues) {
    auto result = std::make_shared<CopyMarks>();
    std::vector<dupes::CopyKey> keys;
    std::vector<std::pair<std::uint32_t, std::size_t>> places;  // catalogue, file
    result->marks.resize(catalogues.size());
    result->discStarts.resize(catalogues.size());
    for (std::size_t c = 0; c < catalogues.size(); ++c) {
        result->from.push_back(catalogues[c]);
        if (!catalogues[c]) continue;
        std::size_t file = 0;
        for (std::uint32_t d = 0; d < catalogues[c]->DiscCount(); ++d) {
            result->discStarts[c].push_back(file);
            const DiscPart& part = catalogues[c]->Part(d);
            const std::string& text = part.names.Text();
            std::size_t at = 0;
            for (std::size_t item = 0; item < part.FileCount(); ++item, ++file) {
                const std::size_t end = text.find(kNameEnd, at);
                const std::string_view name(text.data() + at, end - at);
                at = end + 1;
                const std::uint64_t size = part.Size(item);
                if (size == DiscPart::kNoSize || !dupes::CanHaveCopies(name, size)) continue;
                keys.push_back(
                    {name, size, part.fingerprints.empty() ? 0 : part.fingerprints[item]});
                places.emplace_back(static_cast<std::uint32_t>(c), file);
            }
        }
        result->marks[c].assign(file, 0);
    }
    std::vector<std::uint32_t> groups;
    std::vector<std::uint32_t> members(dupes::GroupCopies(keys, groups), 0);
    for (std::uint32_t group : groups) ++members[group];
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (members[groups[i]] > 1) result->marks[places[i].first][places[i].second] = 1;
    return result;
}

// The marks of the last list asked about, kept while its indexes live: a query typed letter by
// letter over the same catalogues groups their files once.
std::shared_ptr<const CopyMarks> CopyMarksOf(
    std::span<const std::shared_ptr<const CCatalogueIndex>> catalogues) {
    static std::mutex mutex;
    static std::shared_ptr<const CopyMarks> last;
    const std::lock_guard lock(mutex);
    const bool same = last && last->from.size() == catalogues.size() &&
                      std::equal(catalogues.begin(), catalogues.end(), last->from.begin(),
                                 [](const auto& index, const auto& kept) {
                                     return kept.lock() == index;
                                 });
    if (!same) last = BuildCopyMarks(catalogues);
    return last;
}

}  // namespace

Outcome Run(const CQuery& query, std::span<const std::shared_ptr<const CCatalogueIndex>> catalogues,
            const std::atomic<bool>* cancel, int threads) {
    // The discs in catalogue order, cut into one contiguous share per thread of about equal
    // numbers of names.
    std::vector<DiscRef> discs;
    std::size_t total = 0;
    for (std::size_t c = 0; c < catalogues.size(); ++c) {
        if (!catalogues[c]) continue;
        for (std::uint32_t d = 0; d < catalogues[c]->DiscCount(); ++d) {
            discs.push_back({static_cast<std::uint32_t>(c), d});
            total += catalogues[c]->Part(d).FileCount() + 1;
        }
    }
    const std::size_t shares = static_cast<std::size_t>(std::clamp(threads, 1, 2));
    std::vector<std::size_t> cuts{0};
    std::size_t sum = 0;
    for (std::size_t i = 0; i < discs.size() && cuts.size() < shares; ++i) {
        sum += catalogues[discs[i].catalogue]->Part(discs[i].disc).FileCount() + 1;
        if (sum * shares >= total * cuts.size()) cuts.push_back(i + 1);
    }
    while (cuts.size() <= shares) cuts.push_back(discs.size());

    const std::shared_ptr<const CopyMarks> copies =
        AsksForCopies(query) ? CopyMarksOf(catalogues) : nullptr;
    std::vector<Walker> walkers;
    walkers.reserve(shares);
    for (std::size_t s = 0; s < shares; ++s) walkers.emplace_back(query, cancel);
    std::vector<char> finished(shares, 0);
    auto walk = [&](std::size_t share) {
        for (std::size_t i = cuts[share]; i < cuts[share + 1]; ++i) {
            if (copies) walkers[share].SetCopies(copies->Disc(discs[i].catalogue, discs[i].disc));
            if (!walkers[share].Disc(discs[i].catalogue, discs[i].disc,
                                     catalogues[discs[i].catalogue]->Part(discs[i].disc)))
                return;
        }
        finished[share] = 1;
    };
    std::vector<std::thread> helpers;
    for (std::size_t s = 1; s < shares; ++s)
        if (cuts[s] < cuts[s + 1])
            helpers.emplace_back(walk, s);
        else
            finished[s] = 1;
    walk(0);
    for (std::thread& helper : helpers) helper.join();

    Outcome outcome;
    outcome.folders = query.folders;
    outcome.cancelled = std::find(finished.begin(), finished.end(), 0) != finished.end();
    std::size_t count = 0;
    for (const Walker& walker : walkers) count += walker.hits.size();
    outcome.hits.reserve(count);
    for (Walker& walker : walkers)
        outcome.hits.insert(outcome.hits.end(), walker.hits.begin(), walker.hits.end());
    const Hit* last = nullptr;
    for (const Hit& hit : outcome.hits) {
        if (!last || last->catalogue != hit.catalogue) ++outcome.catalogues;
        if (!last || last->catalogue != hit.catalogue || last->disc != hit.disc) ++outcome.discs;
        last = &hit;
    }
    return outcome;
}

Outcome RunOnce(const CQuery& query, const COvDiscDatabase& database, std::uint32_t catalogue,
                std::span<const char> copies) {
    Walker walker(query, nullptr);
    // dupe: without the marks of a wider list: the copies within this catalogue.
    std::vector<std::vector<char>> ownCopies;
    if (copies.empty() && AsksForCopies(query)) {
        const dupes::Catalogue self[] = {{&database, {}}};
        ownCopies = dupes::MarkCopies(self);
        copies = ownCopies.front();
    }
    // One part, filled disc after disc: no index memory, and no large block freed per disc. No
    // later index takes it over, so it needs no signature.
    DiscPart part;
    PartContents contents;
    contents.names = !query.folders;
    contents.outline = query.folders;
    contents.sizes = contents.folders = contents.categories = contents.facts = false;
    for (const auto& group : query.groups)
        for (const Condition& condition : group) {
            contents.facts |= condition.kind == Kind::Modified;
            contents.sizes |= condition.kind == Kind::Size;
            contents.folders |= condition.kind == Kind::Path;
            contents.categories |= condition.kind == Kind::Category;
        }
    std::size_t file = 0;
    for (std::size_t d = 0; d < database.m_lstDiscs.size(); ++d) {
        FillDiscPart(*database.m_lstDiscs[d], 0, part, contents);
        const std::size_t count = database.m_lstDiscs[d]->m_lstFiles.size();
        walker.SetCopies(file + count <= copies.size() ? copies.data() + file : nullptr);
        file += count;
        walker.Disc(catalogue, static_cast<std::uint32_t>(d), part);
    }
    Outcome outcome;
    outcome.folders = query.folders;
    outcome.hits = std::move(walker.hits);
    for (std::size_t i = 0; i < outcome.hits.size(); ++i)
        if (i == 0 || outcome.hits[i].disc != outcome.hits[i - 1].disc) ++outcome.discs;
    outcome.catalogues = outcome.hits.empty() ? 0 : 1;
    return outcome;
}

}  // namespace ov2::find

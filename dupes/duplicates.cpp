#include "dupes/duplicates.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "core/disc_database.h"
#include "platform/text_matcher.h"

namespace ov2::dupes {
namespace {

constexpr std::uint32_t kNoGroup = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kCancelEvery = 65536;

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

bool DiscTaken(const COvDisc& disc, const std::vector<std::string>& categories) {
    if (categories.empty()) return true;
    return std::any_of(disc.m_lstCategories.begin(), disc.m_lstCategories.end(),
                       [&](const std::string& c) {
                           return std::find(categories.begin(), categories.end(), c) !=
                                  categories.end();
                       });
}

// The files that can have copies, with their folded names in one buffer.
struct Collected {
    std::string names;
    std::vector<std::size_t> nameEnds;
    std::vector<CopyKey> keys;  // names filled in by Finish()
    std::vector<FileRef> refs;
    std::vector<char> discTaken;  // per file: its disc is among the options' categories

    void Finish() {
        std::size_t start = 0;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            keys[i].foldedName = std::string_view(names).substr(start, nameEnds[i] - start);
            start = nameEnds[i];
        }
    }
};

// Every disc's files of at least `minSize` that can have copies; with `onlyTaken` only those on
// discs of the categories. False when cancelled.
bool Collect(std::span<const Catalogue> catalogues, const Options& options, bool onlyTaken,
             Collected& out, const std::atomic<bool>* cancel) {
    std::size_t seen = 0;
    for (std::size_t c = 0; c < catalogues.size(); ++c) {
        if (!catalogues[c].database) continue;
        const auto& discs = catalogues[c].database->m_lstDiscs;
        for (std::size_t d = 0; d < discs.size(); ++d) {
            const bool taken = DiscTaken(*discs[d], options.categories);
            if (onlyTaken && !taken) continue;
            const auto& files = discs[d]->m_lstFiles;
            for (std::size_t i = 0; i < files.size(); ++i) {
                if (++seen % kCancelEvery == 0 && Cancelled(cancel)) return false;
                const COvFileData& file = *files[i];
                std::uint64_t size = 0;
                if (!ParseStoredSize(file.m_strSize.view(), size) || size < options.minSize)
                    continue;
                const std::size_t start = out.names.size();
                AppendFoldText(out.names, file.m_strFileName.view());
                if (!CanHaveCopies(std::string_view(out.names).substr(start), size)) {
                    out.names.resize(start);
                    continue;
                }
                out.nameEnds.push_back(out.names.size());
                out.keys.push_back({{}, size, file.m_facts.fingerprint});
                out.refs.push_back({static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(d),
                                    static_cast<std::uint32_t>(i)});
                out.discTaken.push_back(taken);
            }
        }
    }
    out.Finish();
    return true;
}

}  // namespace

bool CanHaveCopies(std::string_view foldedName, std::uint64_t size) {
    return size > 0 && !foldedName.ends_with(".cda");
}

bool ParseStoredSize(std::string_view text, std::uint64_t& size) {
    if (text.empty() || text.size() > 19) return false;
    size = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        size = size * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

std::uint32_t GroupCopies(std::span<const CopyKey> keys, std::vector<std::uint32_t>& groups) {
    groups.assign(keys.size(), kNoGroup);
    std::uint32_t count = 0;

    // Fingerprinted files: one group per fingerprint and size.
    struct ByPrint {
        std::uint64_t print, size;
        std::uint32_t index;
    };
    std::vector<ByPrint> printed;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].fingerprint != 0)
            printed.push_back({keys[i].fingerprint, keys[i].size, static_cast<std::uint32_t>(i)});
    std::sort(printed.begin(), printed.end(), [](const ByPrint& a, const ByPrint& b) {
        return a.print != b.print ? a.print < b.print : a.size < b.size;
    });
    for (std::size_t i = 0; i < printed.size(); ++i) {
        if (i == 0 || printed[i].print != printed[i - 1].print ||
            printed[i].size != printed[i - 1].size)
            ++count;
        groups[printed[i].index] = count - 1;
    }
    printed = {};

    // Then every file by name and size; the hash sorts, the names decide.
    struct ByName {
        std::uint64_t hash, size;
        std::uint32_t index;
    };
    std::vector<ByName> named(keys.size());
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < keys.size(); ++i)
        named[i] = {hash(keys[i].foldedName), keys[i].size, static_cast<std::uint32_t>(i)};
    std::sort(named.begin(), named.end(), [](const ByName& a, const ByName& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.size != b.size ? a.size < b.size
                                                                     : a.index < b.index;
    });
    std::vector<std::uint32_t> prints;
    for (std::size_t from = 0; from < named.size();) {
        std::size_t to = from + 1;
        while (to < named.size() && named[to].hash == named[from].hash &&
               named[to].size == named[from].size)
            ++to;
        // Files of one hash and size; rarely two names among them.
        auto byName = [&](const ByName& a, const ByName& b) {
            return keys[a.index].foldedName < keys[b.index].foldedName;
        };
        if (to - from > 1) std::stable_sort(named.begin() + from, named.begin() + to, byName);
        for (std::size_t a = from; a < to;) {
            std::size_t b = a + 1;
            while (b < to && keys[named[b].index].foldedName == keys[named[a].index].foldedName)
                ++b;
            prints.clear();
            bool unprinted = false;
            for (std::size_t i = a; i < b; ++i) {
                if (keys[named[i].index].fingerprint == 0)
                    unprinted = true;
                else if (std::find(prints.begin(), prints.end(), groups[named[i].index]) ==
                         prints.end())
                    prints.push_back(groups[named[i].index]);
            }
            if (unprinted) {
                const std::uint32_t group = prints.size() == 1 ? prints.front() : count++;
                for (std::size_t i = a; i < b; ++i)
                    if (keys[named[i].index].fingerprint == 0) groups[named[i].index] = group;
            }
            a = b;
        }
        from = to;
    }
    return count;
}

std::vector<Group> FindDuplicates(std::span<const Catalogue> catalogues, const Options& options,
                                  const std::atomic<bool>* cancel) {
    Collected files;
    if (!Collect(catalogues, options, true, files, cancel)) return {};
    std::vector<std::uint32_t> groupOf;
    const std::uint32_t count = GroupCopies(files.keys, groupOf);
    if (Cancelled(cancel)) return {};

    std::vector<std::uint32_t> members(count, 0);
    for (std::uint32_t group : groupOf) ++members[group];
    std::vector<std::uint32_t> slot(count, kNoGroup);
    std::vector<Group> result;
    std::vector<std::size_t> firstFile;  // per result group: its first file, for the name
    for (std::size_t i = 0; i < groupOf.size(); ++i) {
        const std::uint32_t group = groupOf[i];
        if (members[group] < 2) continue;
        if (slot[group] == kNoGroup) {
            slot[group] = static_cast<std::uint32_t>(result.size());
            result.push_back({files.keys[i].size, {}});
            result.back().files.reserve(members[group]);
            firstFile.push_back(i);
        }
        result[slot[group]].files.push_back(files.refs[i]);
    }
    std::vector<std::size_t> order(result.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (result[a].size != result[b].size) return result[a].size > result[b].size;
        const auto nameA = files.keys[firstFile[a]].foldedName;
        const auto nameB = files.keys[firstFile[b]].foldedName;
        return nameA != nameB ? nameA < nameB : firstFile[a] < firstFile[b];
    });
    std::vector<Group> sorted;
    sorted.reserve(result.size());
    for (std::size_t i : order) sorted.push_back(std::move(result[i]));
    return sorted;
}

std::vector<FileRef> FindSingleCopies(std::span<const Catalogue> catalogues,
                                      const Options& options, const std::atomic<bool>* cancel) {
    Collected files;
    if (!Collect(catalogues, options, false, files, cancel)) return {};
    std::vector<std::uint32_t> groupOf;
    const std::uint32_t count = GroupCopies(files.keys, groupOf);
    if (Cancelled(cancel)) return {};
    // Per group: the disc of its first file, and whether another disc holds a copy too.
    std::vector<std::uint64_t> discOf(count, std::numeric_limits<std::uint64_t>::max());
    std::vector<char> elsewhere(count, 0);
    for (std::size_t i = 0; i < groupOf.size(); ++i) {
        const std::uint64_t disc = std::uint64_t{files.refs[i].catalogue} << 32 | files.refs[i].disc;
        std::uint64_t& first = discOf[groupOf[i]];
        if (first == std::numeric_limits<std::uint64_t>::max())
            first = disc;
        else if (first != disc)
            elsewhere[groupOf[i]] = 1;
    }
    std::vector<FileRef> singles;
    for (std::size_t i = 0; i < groupOf.size(); ++i)
        if (files.discTaken[i] && !elsewhere[groupOf[i]]) singles.push_back(files.refs[i]);
    return singles;
}

std::vector<std::vector<char>> MarkCopies(std::span<const Catalogue> catalogues) {
    Collected files;
    Collect(catalogues, Options(), false, files, nullptr);
    std::vector<std::uint32_t> groupOf;
    const std::uint32_t count = GroupCopies(files.keys, groupOf);
    std::vector<std::uint32_t> members(count, 0);
    for (std::uint32_t group : groupOf) ++members[group];

    std::vector<std::vector<char>> marks(catalogues.size());
    std::vector<std::vector<std::size_t>> discStarts(catalogues.size());
    for (std::size_t c = 0; c < catalogues.size(); ++c) {
        if (!catalogues[c].database) continue;
        std::size_t total = 0;
        for (const auto& disc : catalogues[c].database->m_lstDiscs) {
            discStarts[c].push_back(total);
            total += disc->m_lstFiles.size();
        }
        marks[c].assign(total, 0);
    }
    for (std::size_t i = 0; i < groupOf.size(); ++i)
        if (members[groupOf[i]] > 1) {
            const FileRef& ref = files.refs[i];
            marks[ref.catalogue][discStarts[ref.catalogue][ref.disc] + ref.item] = 1;
        }
    return marks;
}

const COvFileData* FileOf(std::span<const Catalogue> catalogues, const FileRef& ref) {
    if (ref.catalogue >= catalogues.size() || !catalogues[ref.catalogue].database) return nullptr;
    const auto& discs = catalogues[ref.catalogue].database->m_lstDiscs;
    if (ref.disc >= discs.size() || ref.item >= discs[ref.disc]->m_lstFiles.size()) return nullptr;
    return discs[ref.disc]->m_lstFiles[ref.item].get();
}

}  // namespace ov2::dupes

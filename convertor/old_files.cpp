#include "convertor/old_files.h"

#include <algorithm>
#include <cstdint>

#include "core/archive.h"

namespace ov2 {
namespace {

template <class Old>
std::vector<std::shared_ptr<Old>> ReadObjectList(std::istream& in) {
    CArchive ar(in);
    ar.SetClassTable({CDisc::ThisClass(), CFileData::ThisClass()});
    const std::size_t count = ar.ReadCount(2);
    std::vector<std::shared_ptr<Old>> objects;
    objects.reserve(std::min<std::size_t>(count, 4096));  // the count is not trusted
    for (std::size_t i = 0; i < count; ++i) objects.push_back(ar.ReadObject<Old>());
    return objects;
}

}  // namespace

std::vector<std::shared_ptr<CDisc>> ReadOldDiscs(std::istream& in) { return ReadObjectList<CDisc>(in); }

std::vector<std::shared_ptr<CFileData>> ReadOldFiles(std::istream& in) {
    return ReadObjectList<CFileData>(in);
}

std::vector<std::string> ReadOldCategories(std::istream& in) {
    CArchive ar(in);
    std::vector<std::string> names;
    ReadOldNames(ar, names);
    return names;
}

void ReadOldNames(CArchive& ar, std::vector<std::string>& names) {
    names.clear();
    const std::size_t count = ar.ReadCount(1);
    // Repeats are dropped whenever the list has doubled since the last time, so that the list
    // holds at most twice its distinct names and the sorting costs O(n log n) over all.
    std::size_t distinct = 0;
    auto dropRepeats = [&] {
        std::vector<std::uint32_t> order(names.size());
        for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return names[a] < names[b]; });
        std::vector<bool> repeated(names.size());
        for (std::size_t i = 1; i < order.size(); ++i)
            repeated[order[i]] = names[order[i]] == names[order[i - 1]];
        std::size_t kept = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (repeated[i]) continue;
            if (kept != i) names[kept] = std::move(names[i]);
            ++kept;
        }
        names.resize(kept);
        names.shrink_to_fit();
        distinct = kept;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = ar.ReadStringView();
        if (name.empty()) continue;
        names.emplace_back(name);
        if (names.size() >= 2 * distinct + 64) dropRepeats();
    }
    dropRepeats();
}

void ForEachTreeLine(std::string_view text, const std::function<void(std::string_view)>& line) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            line(text.substr(start));
            return;
        }
        line(text.substr(start, end - start));
        start = end + (text[end] == '\r' ? 2 : 1);
    }
}

}  // namespace ov2

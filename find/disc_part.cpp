#include "find/disc_part.h"

#include <string.h>  // memrchr

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "core/disc_database.h"
#include "core/ov_disc.h"
#include "platform/text_matcher.h"

namespace ov2::find {
namespace {

// Eight bytes at a time, multiplied and shifted: not a cryptographic hash, a quick fingerprint
// of a disc's texts to tell whether a disc changed since the last index.
class Fingerprint {
public:
    void Add(std::uint64_t value) {
        m_hash = (m_hash ^ value) * 0x9E3779B97F4A7C15ull;
        m_hash ^= m_hash >> 29;
    }
    void Add(std::string_view text) {
        Add(text.size());
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            Add(word);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, text.data() + i, text.size() - i);
        Add(tail);
    }
    std::uint64_t Value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0x243F6A8885A308D3ull;
};

// The stored decimal text of a size as a number; kNoSize when it is negative or no number.
std::uint64_t ParseSize(std::string_view text) {
    if (text.empty() || text.size() > 15) return DiscPart::kNoSize;
    std::uint64_t bytes = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return DiscPart::kNoSize;
        bytes = bytes * 10 + static_cast<unsigned>(c - '0');
    }
    return std::min(bytes, DiscPart::kNoSize);
}

}  // namespace

void AppendFolded(std::string& out, std::string_view bytes) {
    const std::size_t start = out.size();
    AppendFoldText(out, bytes);
    std::replace(out.begin() + static_cast<long>(start), out.end(), kNameEnd, '\r');
}

namespace {

void AddDisc(Fingerprint& print, const COvDisc& disc) {
    print.Add(disc.m_strNumber.view());
    print.Add(disc.m_strName.view());
    print.Add(disc.m_strLocation.view());
    print.Add(disc.m_strFolderTree.view());
    print.Add(disc.m_lstFiles.size());
}

void AddFile(Fingerprint& print, const COvFileData& file, const char*& lastFolder) {
    print.Add(file.m_strFileName.view());
    print.Add(file.m_strSize.view());
    // The files of a folder share its text: read it once.
    const std::string_view folder = file.m_strFolder.view();
    if (folder.size() > OvString::kInlineCapacity && folder.data() == lastFolder) {
        print.Add(~std::uint64_t{0});
    } else {
        print.Add(folder);
        lastFolder = folder.data();
    }
    print.Add(file.m_lstCategories.size());
    for (const std::string& category : file.m_lstCategories) print.Add(category);
    print.Add(static_cast<std::uint64_t>(file.m_facts.modified));
    print.Add(file.m_facts.fingerprint);
}

// Separators in [from, to), eight bytes at a time: each byte equal to kNameEnd becomes zero, and
// the exact zero-byte test marks it with its high bit.
std::size_t CountNameEnds(const char* from, const char* to) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kSeparators =
        0x0101010101010101ull * static_cast<unsigned char>(kNameEnd);
    std::size_t count = 0;
    for (; to - from >= 8; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        word ^= kSeparators;
        const std::uint64_t ones = ~(((word & kLow7) + kLow7) | word | kLow7) >> 7;  // 1 a match
        count += static_cast<std::size_t>((ones * 0x0101010101010101ull) >> 56);
    }
    for (; from < to; ++from) count += *from == kNameEnd;
    return count;
}

template <class T>
std::size_t Capacity(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

// The outline's folders: one line per folder after the root line, one TAB per level, as the
// disc tree builds its branch (a line that climbs above the disc's level goes right under it;
// one that skips levels goes under the line before).
void ReadOutline(std::string_view outline, DiscPart& part) {
    std::size_t end = outline.find("\r\n");
    if (end == std::string_view::npos) return;
    const std::string_view root = outline.substr(0, end);
    const std::size_t base = std::min(root.find_first_not_of('\t'), root.size());
    std::vector<std::uint32_t> path;  // the folders from the top down to the last one
    for (std::size_t start = end + 2; (end = outline.find("\r\n", start)) != std::string_view::npos;
         start = end + 2) {
        std::string_view line = outline.substr(start, end - start);
        if (line.empty()) continue;
        const std::size_t tabs = std::min(line.find_first_not_of('\t'), line.size());
        line.remove_prefix(tabs);
        const std::size_t depth = std::max<std::ptrdiff_t>(
            1, static_cast<std::ptrdiff_t>(tabs) - static_cast<std::ptrdiff_t>(base));
        path.resize(std::min(depth, path.size() + 1) - 1);
        const auto folder = static_cast<std::uint32_t>(part.folderNames.Count());
        part.folderParents.push_back(path.empty() ? DiscPart::kNoParent : path.back());
        part.folderNames.Append(FoldName(line));
        part.labelStarts.push_back(static_cast<std::uint32_t>(part.labels.size()));
        part.labels += line;
        path.push_back(folder);
    }
    part.labelStarts.push_back(static_cast<std::uint32_t>(part.labels.size()));
}

}  // namespace

void NameList::Append(std::string_view folded) {
    if (m_count % kMarkEvery == 0) m_marks.push_back(static_cast<std::uint32_t>(m_text.size()));
    m_text += folded;
    m_text += kNameEnd;
    ++m_count;
}

void NameList::AppendFolded(std::string_view bytes) {
    if (m_count % kMarkEvery == 0) m_marks.push_back(static_cast<std::uint32_t>(m_text.size()));
    ov2::find::AppendFolded(m_text, bytes);
    m_text += kNameEnd;
    ++m_count;
}

void NameList::Clear() {
    m_text.clear();
    m_marks.clear();
    m_count = 0;
}

void NameList::ShrinkToFit() {
    m_text.shrink_to_fit();
    m_marks.shrink_to_fit();
}

NameList::Entry NameList::Locate(std::size_t offset, const Entry* previous) const {
    const std::size_t mark =
        static_cast<std::size_t>(std::upper_bound(m_marks.begin(), m_marks.end(), offset) -
                                 m_marks.begin()) -
        1;
    // Counted from the mark, or from the name found before when that is nearer.
    std::size_t item = mark * kMarkEvery, from = m_marks[mark];
    if (previous && previous->item >= item && previous->end < offset) {
        item = previous->item + 1;
        from = previous->end + 1;
    }
    const char* text = m_text.data();
    const void* before = memrchr(text + from, kNameEnd, offset - from);
    const std::size_t start =
        before ? static_cast<std::size_t>(static_cast<const char*>(before) - text) + 1 : from;
    const char* end =
        static_cast<const char*>(std::memchr(text + offset, kNameEnd, m_text.size() - offset));
    return {item + CountNameEnds(text + from, text + start), start,
            static_cast<std::size_t>(end - text)};
}

std::string_view NameList::At(std::size_t item) const {
    std::size_t start = m_marks[item / kMarkEvery];
    for (std::size_t skip = item % kMarkEvery; skip > 0; --skip)
        start = m_text.find(kNameEnd, start) + 1;
    return std::string_view(m_text).substr(start, m_text.find(kNameEnd, start) - start);
}

std::string FoldName(std::string_view bytes) {
    std::string folded;
    AppendFolded(folded, bytes);
    return folded;
}

std::string DiscPart::FolderPath(std::size_t folder) const {
    std::vector<std::size_t> chain;
    for (std::size_t f = folder; f != kNoParent && f < folderParents.size(); f = folderParents[f])
        chain.push_back(f);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += '\\';
        path.append(labels, labelStarts[*it], labelStarts[*it + 1] - labelStarts[*it]);
    }
    return path;
}

std::string DiscPart::FoldedParentPath(std::size_t folder) const {
    std::string path;
    for (std::size_t f = folderParents[folder]; f != kNoParent; f = folderParents[f])
        path.insert(0, std::string(folderNames.At(f)) + (path.empty() ? "" : "\\"));
    return path;
}

std::size_t DiscPart::MemoryBytes() const {
    std::size_t bytes = sizeof(DiscPart) + name.capacity() + location.capacity() +
                        names.MemoryBytes() + Capacity(sizeLow) + Capacity(sizeHigh) +
                        Capacity(runs) + Capacity(folders) + Capacity(categorised) +
                        Capacity(categorySets) + folderNames.MemoryBytes() +
                        Capacity(folderParents) + labels.capacity() + Capacity(labelStarts) +
                        Capacity(times) + Capacity(fingerprints);
    for (const std::string& folder : folders) bytes += folder.capacity();
    for (const auto& set : categorySets) {
        bytes += Capacity(set);
        for (const std::string& category : set) bytes += category.capacity();
    }
    return bytes;
}

std::uint64_t DiscSignature(const COvDisc& disc) {
    Fingerprint print;
    AddDisc(print, disc);
    const char* lastFolder = nullptr;
    for (const auto& file : disc.m_lstFiles) AddFile(print, *file, lastFolder);
    return print.Value();
}

void FillDiscPart(const COvDisc& disc, std::optional<std::uint64_t> signature, DiscPart& filled,
                  const PartContents& contents) {
    DiscPart* part = &filled;
    part->Clear();
    // Without a signature, it is taken in the same pass over the records.
    Fingerprint print;
    const char* printedFolder = nullptr;
    if (!signature) AddDisc(print, disc);
    const std::string_view number = disc.m_strNumber.view();
    part->numbered =
        !number.empty() && number.size() <= 18 &&
        std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    for (char c : number)
        if (part->numbered) part->number = part->number * 10 + static_cast<unsigned>(c - '0');
    part->name = FoldName(disc.m_strName.view());
    part->atHome = disc.m_strLocation == "home";
    part->location = FoldName(disc.m_strLocation.view());

    const std::size_t count = disc.m_lstFiles.size();
    part->sizeLow.reserve(count);
    part->sizeHigh.reserve(count);
    std::unordered_map<std::string_view, std::uint32_t> folderIds;
    std::string_view lastFolder;
    bool first = true;
    for (std::size_t i = 0; i < count; ++i) {
        const COvFileData& file = *disc.m_lstFiles[i];
        if (!signature) AddFile(print, file, printedFolder);
        if (contents.names) part->names.AppendFolded(file.m_strFileName.view());
        if (contents.sizes) {
            const std::uint64_t size = ParseSize(file.m_strSize.view());
            part->sizeLow.push_back(static_cast<std::uint32_t>(size));
            part->sizeHigh.push_back(static_cast<std::uint16_t>(size >> 32));
        }

        const std::string_view folder = file.m_strFolder.view();
        if (contents.folders && (first || folder != lastFolder)) {
            auto [it, added] =
                folderIds.try_emplace(folder, static_cast<std::uint32_t>(part->folders.size()));
            if (added) part->folders.push_back(FoldName(folder));
            part->runs.push_back({static_cast<std::uint32_t>(i), it->second});
            lastFolder = folder;
            first = false;
        }
        if (contents.facts) {
            // Most discs have no facts: their vectors stay empty. Once a file has one, every
            // file of the disc gets a place.
            if (file.m_facts.HasTime() || !part->times.empty()) {
                part->times.resize(i, FileFacts::kNoTime);
                part->times.push_back(file.m_facts.modified);
            }
            if (file.m_facts.HasFingerprint() || !part->fingerprints.empty()) {
                part->fingerprints.resize(i, 0);
                part->fingerprints.push_back(file.m_facts.fingerprint);
            }
        }
        if (contents.categories && !file.m_lstCategories.empty()) {
            auto set = std::find(part->categorySets.begin(), part->categorySets.end(),
                                 file.m_lstCategories);
            if (set == part->categorySets.end())
                set = part->categorySets.insert(set, file.m_lstCategories);
            part->categorised.push_back(
                {static_cast<std::uint32_t>(i),
                 static_cast<std::uint32_t>(set - part->categorySets.begin())});
        }
    }
    part->signature = signature ? *signature : print.Value();
    if (contents.outline) ReadOutline(disc.m_strFolderTree.view(), *part);
}

std::shared_ptr<const DiscPart> BuildDiscPart(const COvDisc& disc,
                                              std::optional<std::uint64_t> signature) {
    auto part = std::make_shared<DiscPart>();
    FillDiscPart(disc, signature, *part, PartContents());
    part->names.ShrinkToFit();
    part->runs.shrink_to_fit();
    part->times.shrink_to_fit();
    part->fingerprints.shrink_to_fit();
    part->folderNames.ShrinkToFit();
    part->labels.shrink_to_fit();
    return part;
}

void DiscPart::Clear() {
    number = 0;
    numbered = false;
    atHome = true;
    signature = 0;
    for (std::string* text : {&name, &location, &labels}) text->clear();
    names.Clear();
    folderNames.Clear();
    sizeLow.clear();
    sizeHigh.clear();
    runs.clear();
    folders.clear();
    categorised.clear();
    categorySets.clear();
    times.clear();
    fingerprints.clear();
    folderParents.clear();
    labelStarts.clear();
}

}  // namespace ov2::find

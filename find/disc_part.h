#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class COvDisc;

namespace ov2::find {

// The separator between the folded names of a part's buffer. A name's own line feeds are
// folded to carriage returns (and so are a pattern's), so that no match spans two names.
constexpr char kNameEnd = '\n';

// The text as queries compare it: ov2::FoldText (decoded, NFC, fully case-folded), with a line
// feed turned into a carriage return.
std::string FoldName(std::string_view bytes);

// What a query needs of one disc, taken from its records when the index was built and never
// changed afterwards: any thread may read it while the records go on changing.
//
// Per file it costs the folded name and its separator, a 4-byte offset and a 6-byte size; the
// folders, categories and outline are kept once per distinct value.
struct DiscPart {
    // A stored size that is negative or not a number: no `size:` filter matches it.
    static constexpr std::uint64_t kNoSize = (std::uint64_t{1} << 48) - 1;

    struct FolderRun {
        std::uint32_t first;   // the first file of the run
        std::uint32_t folder;  // into `folders`
    };
    struct Categorised {
        std::uint32_t item;
        std::uint32_t set;  // into `categorySets`
    };

    // The disc.
    std::uint64_t number = 0;
    bool numbered = false;  // the number is a decimal number (it always is, in a sound catalogue)
    std::string name;       // folded
    bool atHome = true;     // the location is exactly "home"
    std::string location;   // folded

    // The files, in the disc's order.
    std::string names;                  // folded names, each followed by kNameEnd
    std::vector<std::uint32_t> starts;  // where each name starts in `names`
    std::vector<std::uint32_t> sizeLow;
    std::vector<std::uint16_t> sizeHigh;
    std::vector<FolderRun> runs;           // ascending by `first`; the first starts at 0
    std::vector<std::string> folders;      // folded folder texts ("e:\music\rock\")
    std::vector<Categorised> categorised;  // ascending by `item`: files that carry categories
    std::vector<std::vector<std::string>> categorySets;

    // The outline's folders, in outline order.
    std::string folderNames;  // folded labels, each followed by kNameEnd
    std::vector<std::uint32_t> folderStarts;
    std::vector<std::uint32_t> folderParents;  // index of the parent folder; kNoParent at the top
    std::string labels;                        // the labels as stored, for the folder's path
    std::vector<std::uint32_t> labelStarts;    // one more than there are folders
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFF;

    std::uint64_t signature = 0;

    std::size_t FileCount() const { return starts.size(); }
    std::size_t FolderCount() const { return folderStarts.size(); }
    std::string_view Name(std::size_t item) const {
        const std::size_t end = item + 1 < starts.size() ? starts[item + 1] : names.size();
        return std::string_view(names).substr(starts[item], end - 1 - starts[item]);
    }
    std::string_view FolderName(std::size_t folder) const {
        const std::size_t end =
            folder + 1 < folderStarts.size() ? folderStarts[folder + 1] : folderNames.size();
        return std::string_view(folderNames)
            .substr(folderStarts[folder], end - 1 - folderStarts[folder]);
    }
    std::uint64_t Size(std::size_t item) const {
        return std::uint64_t{sizeHigh[item]} << 32 | sizeLow[item];
    }
    // The stored labels from the top folder down to this one, joined by "\".
    std::string FolderPath(std::size_t folder) const;
    // The same, folded, of the folder's parent (empty at the top).
    std::string FoldedParentPath(std::size_t folder) const;
    std::size_t MemoryBytes() const;
};

// A cheap fingerprint of what a part is built from: the disc's number, name, location and
// outline, and each file's name, size, folder and categories. Equal signatures stand for equal
// parts.
std::uint64_t DiscSignature(const COvDisc& disc);

std::shared_ptr<const DiscPart> BuildDiscPart(const COvDisc& disc, std::uint64_t signature);

}  // namespace ov2::find

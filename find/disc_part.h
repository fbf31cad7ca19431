#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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
void AppendFolded(std::string& out, std::string_view bytes);

// Folded names, each followed by kNameEnd, with the place of every eighth: a name is found from
// the nearest mark before it, which keeps the index small (half a byte a name instead of four).
class NameList {
public:
    static constexpr std::size_t kMarkEvery = 8;

    struct Entry {
        std::size_t item;
        std::size_t start;  // of the name in Text()
        std::size_t end;    // its kNameEnd
    };

    void Append(std::string_view folded);
    void AppendFolded(std::string_view bytes);  // folds the name first
    void Clear();
    void ShrinkToFit();
    std::size_t Count() const { return m_count; }
    const std::string& Text() const { return m_text; }
    // The name that holds the offset of Text(); `previous`, a name before it, may shorten the
    // way there.
    Entry Locate(std::size_t offset, const Entry* previous = nullptr) const;
    std::string_view At(std::size_t item) const;
    std::size_t MemoryBytes() const {
        return m_text.capacity() + m_marks.capacity() * sizeof(std::uint32_t);
    }

private:
    std::string m_text;
    std::vector<std::uint32_t> m_marks;  // where names 0, 8, 16, ... start
    std::size_t m_count = 0;
};

// What a query needs of one disc, taken from its records when the index was built and never
// changed afterwards: any thread may read it while the records go on changing.
//
// Per file it costs the folded name and its separator, half a byte of marks and a 6-byte size;
// the folders, categories and outline are kept once per distinct value.
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
    NameList names;
    std::vector<std::uint32_t> sizeLow;
    std::vector<std::uint16_t> sizeHigh;
    std::vector<FolderRun> runs;           // ascending by `first`; the first starts at 0
    std::vector<std::string> folders;      // folded folder texts ("e:\music\rock\")
    std::vector<Categorised> categorised;  // ascending by `item`: files that carry categories
    std::vector<std::vector<std::string>> categorySets;
    // The files' facts; each empty when no file of the disc has one.
    std::vector<std::int64_t> times;          // FileFacts::kNoTime where unknown
    std::vector<std::uint64_t> fingerprints;  // 0 where none

    // The outline's folders, in outline order.
    NameList folderNames;                      // folded labels
    std::vector<std::uint32_t> folderParents;  // index of the parent folder; kNoParent at the top
    std::string labels;                        // the labels as stored, for the folder's path
    std::vector<std::uint32_t> labelStarts;    // one more than there are folders
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFF;

    std::uint64_t signature = 0;

    std::size_t FileCount() const { return names.Count(); }
    std::size_t FolderCount() const { return folderNames.Count(); }
    std::uint64_t Size(std::size_t item) const {
        return std::uint64_t{sizeHigh[item]} << 32 | sizeLow[item];
    }
    // The stored labels from the top folder down to this one, joined by "\".
    std::string FolderPath(std::size_t folder) const;
    // The same, folded, of the folder's parent (empty at the top).
    std::string FoldedParentPath(std::size_t folder) const;
    std::size_t MemoryBytes() const;
    void Clear();  // keeps the memory, for the next disc
};

// A cheap fingerprint of what a part is built from: the disc's number, name, location and
// outline, and each file's name, size, folder, categories, time and fingerprint. Equal signatures stand for equal
// parts.
std::uint64_t DiscSignature(const COvDisc& disc);

// What of a disc a part holds: an index holds everything; one query needs less (its files'
// names, or its outline, and the sizes, folders and categories only when it looks at them).
struct PartContents {
    bool names = true;
    bool sizes = true;
    bool folders = true;
    bool categories = true;
    bool outline = true;
    bool facts = true;  // times and fingerprints
};

// Empties `part` (keeping its memory) and fills it from the disc: for one query over many discs.
void FillDiscPart(const COvDisc& disc, std::optional<std::uint64_t> signature, DiscPart& part,
                  const PartContents& contents);
// With the disc's signature when the caller has taken it already.
std::shared_ptr<const DiscPart> BuildDiscPart(const COvDisc& disc,
                                              std::optional<std::uint64_t> signature);

}  // namespace ov2::find

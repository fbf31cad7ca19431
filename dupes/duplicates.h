#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class COvDiscDatabase;
class COvFileData;

// Copies of the same file across discs and catalogues: "where else do I have this file?" and
// "which files have no second copy?".
//
// When two files are copies of each other:
//   1. Two files that both carry a fingerprint are copies when the fingerprints (and sizes) are
//      equal, whatever their names: a renamed copy is still a copy. Different fingerprints keep
//      them apart, whatever their names.
//   2. A file without a fingerprint is a copy of the files with the same name (case-folded by
//      the text matcher's rules, platform/text_matcher.h) and the same size:
//        - when those files carry exactly one fingerprint among them, it joins that
//          fingerprint's group (A with fingerprint F, B without: B is a copy of A and of every
//          other file with F, renamed ones included);
//        - when they carry none, the files of that name and size are one group;
//        - when they carry two or more different fingerprints, nobody can tell which content
//          it has: the files without a fingerprint of that name and size form a group of their
//          own, and the fingerprinted ones stay in theirs (A~B and B~C by name and size, A!~C
//          by fingerprint: A and C apart, B with the other unknowns, or alone).
//      So each file is in exactly one group, and the relation is an equivalence.
//   3. A file of size 0, of a size that is not a plain decimal number (an old catalogue's
//      negative size of a file over 2 GiB), or an audio track record (".cda") has no copies:
//      empty files are alike without being copies, and a track record is no file on a disc.
// A file twice on the same disc is a duplicate (two records), yet it exists on one disc only.
namespace ov2::dupes {

// A catalogue to look through; `label` names it in the results (its file name).
struct Catalogue {
    const COvDiscDatabase* database = nullptr;
    std::string label;
};

struct Options {
    std::uint64_t minSize = 1;            // only files of at least this many bytes
    std::vector<std::string> categories;  // only discs carrying one of these (exact case); all if empty
};

// A file: which catalogue of the list, which disc of its database (list order), which record.
struct FileRef {
    std::uint32_t catalogue = 0;
    std::uint32_t disc = 0;
    std::uint32_t item = 0;
    auto operator<=>(const FileRef&) const = default;
};

struct Group {
    std::uint64_t size = 0;
    std::vector<FileRef> files;  // catalogue, disc and record order
};

// What the grouping needs of a file: its name folded (ov2::FoldText), its size and its
// fingerprint (0: none).
struct CopyKey {
    std::string_view foldedName;
    std::uint64_t size = 0;
    std::uint64_t fingerprint = 0;
};

// Whether a file can have copies at all: a size above zero and no audio track record.
bool CanHaveCopies(std::string_view foldedName, std::uint64_t size);

// The copy group of each key, by the rule above: numbers from 0 to the returned count - 1, in
// `groups`. Every key gets a group (alone in one when it has no copy); the caller leaves out the
// files that cannot have copies.
std::uint32_t GroupCopies(std::span<const CopyKey> keys, std::vector<std::uint32_t>& groups);

// The stored size as a number; none when it is not a plain decimal number.
bool ParseStoredSize(std::string_view text, std::uint64_t& size);

// Groups of two or more copies among the discs the options take (of at least minSize, on discs
// of the categories): the largest files first, then by name. `cancel` ends the work early
// (the result is then empty).
std::vector<Group> FindDuplicates(std::span<const Catalogue> catalogues, const Options& options,
                                  const std::atomic<bool>* cancel = nullptr);

// Files of at least minSize on discs of the categories whose copies all lie on their own disc:
// a copy on any other disc of the catalogues counts, whatever its categories. A file recorded
// twice on one disc is listed with both records. Catalogue, disc and record order.
std::vector<FileRef> FindSingleCopies(std::span<const Catalogue> catalogues,
                                      const Options& options,
                                      const std::atomic<bool>* cancel = nullptr);

// Per catalogue, per file (discs in list order, their records in order, one after another):
// whether the file has a copy anywhere in the catalogues, for Find's dupe:.
std::vector<std::vector<char>> MarkCopies(std::span<const Catalogue> catalogues);

// The record behind a reference; null when the catalogue no longer has it.
const COvFileData* FileOf(std::span<const Catalogue> catalogues, const FileRef& ref);

}  // namespace ov2::dupes

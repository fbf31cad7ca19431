#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class COvDisc;
class COvDiscDatabase;
class COvFileData;

namespace ov2::find {

class CQuery;
struct DiscPart;

// One catalogue's discs, files and folders as queries read them: names folded once (the rules
// of platform/text_matcher.h), sizes as numbers, the discs' numbers, names, locations and
// categories. Built on the GUI thread from a catalogue; afterwards read-only, so any number of
// threads may query it while the catalogue goes on changing.
//
// The index keeps the disc records it was built from (shared), for the texts of a result row;
// those are read on the GUI thread only.
class CCatalogueIndex {
public:
    // `label` names the catalogue in result rows (its file name, "Music.ovd"; empty for an
    // unsaved one). With `previous`, the parts of discs that did not change since it was built
    // are taken over instead of being folded again, so that an edit (scan, rescan, delete,
    // rename, categories, freedb titles) costs about one disc, not the whole catalogue.
    static std::shared_ptr<const CCatalogueIndex> Build(
        const COvDiscDatabase& database, std::string label,
        std::shared_ptr<const CCatalogueIndex> previous = nullptr);

    const std::string& Label() const;
    std::size_t DiscCount() const;
    std::size_t FileCount() const;
    // The records behind a hit; GUI thread only.
    const std::shared_ptr<COvDisc>& Disc(std::uint32_t disc) const;
    // The file of a file hit; none for a folder hit.
    std::shared_ptr<COvFileData> File(std::uint32_t disc, std::uint32_t item) const;
    // The folder path of a folder hit below its disc, "music\rock" (outline labels joined by
    // "\"), as the disc tree names the node.
    std::string FolderPath(std::uint32_t disc, std::uint32_t item) const;
    // Bytes the index takes beyond the records it shares.
    std::size_t MemoryBytes() const;
    // What queries read of a disc (find/disc_part.h); any thread.
    const DiscPart& Part(std::uint32_t disc) const;
    // How many discs of the last Build were taken over from `previous` unchanged.
    std::size_t ReusedDiscCount() const;

    ~CCatalogueIndex();

private:
    CCatalogueIndex();
    struct Data;
    std::unique_ptr<Data> m_pData;
};

// A file found (or a folder, for a `folder:` query): which catalogue of the queried list, which
// disc of it, which file (or outline folder) of that disc.
struct Hit {
    std::uint32_t catalogue = 0;
    std::uint32_t disc = 0;
    std::uint32_t item = 0;
};

struct Outcome {
    std::vector<Hit> hits;       // catalogue order: catalogues as listed, discs, then their files
    bool folders = false;        // the hits are outline folders, not files
    std::size_t discs = 0;       // discs with at least one hit
    std::size_t catalogues = 0;  // catalogues with at least one hit
    bool cancelled = false;      // `cancel` was set before the query ended; hits incomplete
};

// Answers the query over the catalogues, on up to `threads` threads. Checks `cancel` often
// (every few thousand names), so that a newer keystroke ends an older query at once.
Outcome Run(const CQuery& query, std::span<const std::shared_ptr<const CCatalogueIndex>> catalogues,
            const std::atomic<bool>* cancel = nullptr, int threads = 1);

// One query over one catalogue without keeping an index, for a single question (ov2cat find):
// each disc's part is built, asked and dropped, on the calling thread. The hits name the
// database's discs (`catalogue` as given) and their files. For dupe:, `copies` says per file (the
// discs' files one after another) whether it has a copy among all the catalogues searched
// (dupes::MarkCopies); without it, copies are looked for in this catalogue only.
Outcome RunOnce(const CQuery& query, const COvDiscDatabase& database, std::uint32_t catalogue = 0,
                std::span<const char> copies = {});

}  // namespace ov2::find

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/disc_walk.h"

class COvDisc;
class COvFileData;

// Bringing a catalogued disc up to date from a new walk of its drive, without losing what the
// user added: categories on files, titles of audio tracks. No widgets, so that the window and
// ov2cat merge alike.
namespace ov2 {

struct DiscFacts;

struct RescanSummary {
    int added = 0;           // new records that match no old one
    int removed = 0;         // old records that match no new one
    int changed = 0;         // matched by folder and name, with another size or another time
                             // (when both times are known)
    int moved = 0;           // matched by name and size alone, in another folder
    int categoriesKept = 0;  // new records that took the categories of an old one
};

struct RescanMerge {
    // The new walk's records in its order; a record matched to an old one carries the old
    // one's categories and, for a titled audio track, its title.
    std::vector<std::shared_ptr<COvFileData>> files;
    RescanSummary summary;
    // False when the drive seems to hold another disc: none of the old records' folders (the
    // root aside) or files is there, or an audio CD has another number of tracks.
    bool sameDisc = true;
};

// Matches every new record to at most one old record: by folder and name exactly, then without
// regard to case, then, for what is left, by name and size when exactly one old and one new
// record share them (a moved file; two candidates on either side are not guessed). Folders are
// compared below the drive, so a disc read from another letter matches. The new records are
// changed in place: a new record without a fingerprint takes that of its old one when both
// have the same size and the same known time. Linear in the number of records.
RescanMerge MergeRescan(const std::vector<std::shared_ptr<COvFileData>>& oldFiles,
                        std::vector<std::shared_ptr<COvFileData>> newFiles);

// For the new walk (CDiscWalk::SetFingerprints): the fingerprint of the old record at the same
// place on the disc (folder below the drive and name, exactly) when it has one and the file kept
// its size and its known time, so that the file is not read again.
CDiscWalk::KnownFingerprint KnownFingerprints(
    const std::vector<std::shared_ptr<COvFileData>>& oldFiles);

// "Rescan of disc N: A files added, ...; categories kept on K files."
std::string RescanSummaryLine(std::string_view number, const RescanSummary& summary);

// The disc after the rescan: the merged records and the new outline under the disc's own root
// line; `today` becomes its saved-at date; `volume`, when the new walk gave any, its volume
// facts. Number, labels, lending and categories stay.
void ApplyRescan(COvDisc& disc, RescanMerge merge, std::string_view newOutline, std::string today,
                 const DiscFacts& volume = {});

}  // namespace ov2

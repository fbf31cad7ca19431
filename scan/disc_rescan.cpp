#include "scan/disc_rescan.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/ov_disc.h"
#include "core/ov_file_data.h"
#include "platform/text.h"

namespace ov2 {

namespace {

// A record's folder below its drive: "e:\photos\" → "\photos\".
std::string_view FolderBelowDrive(const COvFileData& file) {
    const std::string_view folder = file.m_strFolder.view();
    const std::size_t slash = folder.find('\\');
    return slash == std::string_view::npos ? folder : folder.substr(slash);
}

// Where a record lies on its disc, whatever letter the drive had: folder below the drive and
// the name the disc shows. Names hold no "\", so the joined text is unambiguous.
std::string DiscKey(const COvFileData& file, std::string_view name) {
    std::string key(FolderBelowDrive(file));
    key.append(name);
    return key;
}

bool IsAudioTrack(const COvFileData& file) {
    return file.m_strFileName.view().find(".cda") != std::string_view::npos;
}

// The old records not yet taken, by key; records of one key are chained in catalogue order.
class CPendingRecords {
public:
    explicit CPendingRecords(std::size_t count) : m_next(count, -1) { m_first.reserve(count); }
    void Add(std::string key, int index) {
        const auto [place, added] = m_first.try_emplace(std::move(key), index, index);
        if (!added) {
            m_next[static_cast<std::size_t>(place->second.second)] = index;
            place->second.second = index;
        }
    }
    // The first record under `key` that is still free, taken; -1 when there is none.
    int Take(const std::string& key, std::vector<bool>& taken) {
        const auto found = m_first.find(key);
        if (found == m_first.end()) return -1;
        int& index = found->second.first;
        while (index >= 0 && taken[static_cast<std::size_t>(index)])
            index = m_next[static_cast<std::size_t>(index)];
        if (index < 0) return -1;
        taken[static_cast<std::size_t>(index)] = true;
        return std::exchange(index, m_next[static_cast<std::size_t>(index)]);
    }

private:
    std::unordered_map<std::string, std::pair<int, int>> m_first;  // first free, last added
    std::vector<int> m_next;
};

// Whether the file is the same by what the file system says: its size and its time, both known.
bool Unchanged(const COvFileData& old, const COvFileData& now) {
    return old.m_strSize == now.m_strSize && old.m_facts.HasTime() &&
           old.m_facts.modified == now.m_facts.modified;
}

// What the user added to `from`, given to the new record `to`.
void KeepAdditions(const COvFileData& from, COvFileData& to, RescanSummary& summary) {
    if (!from.m_lstCategories.empty()) {
        to.m_lstCategories = from.m_lstCategories;
        ++summary.categoriesKept;
    }
    if (IsAudioTrack(from) && from.m_strFileName.view() != from.DiscFileName() &&
        to.m_strFileName.view() == from.DiscFileName())
        to.m_strFileName = from.m_strFileName;
}

}  // namespace

RescanMerge MergeRescan(const std::vector<std::shared_ptr<COvFileData>>& oldFiles,
                        std::vector<std::shared_ptr<COvFileData>> newFiles) {
    RescanMerge merge;
    const std::size_t oldCount = oldFiles.size();
    std::vector<std::string> oldNames(oldCount);  // the names the disc shows
    CPendingRecords exact(oldCount), caseBlind(oldCount);
    for (std::size_t i = 0; i < oldCount; ++i) {
        oldNames[i] = oldFiles[i]->DiscFileName();
        std::string key = DiscKey(*oldFiles[i], oldNames[i]);
        caseBlind.Add(LowerText(key), static_cast<int>(i));
        exact.Add(std::move(key), static_cast<int>(i));
    }

    std::vector<bool> oldTaken(oldCount, false);
    std::vector<int> matchOf(newFiles.size(), -1);
    // Exact matches first for every record, so that a case-blind match never takes the record
    // that a later new record matches exactly.
    for (std::size_t n = 0; n < newFiles.size(); ++n)
        matchOf[n] = exact.Take(DiscKey(*newFiles[n], newFiles[n]->m_strFileName), oldTaken);
    for (std::size_t n = 0; n < newFiles.size(); ++n) {
        if (matchOf[n] < 0)
            matchOf[n] =
                caseBlind.Take(LowerText(DiscKey(*newFiles[n], newFiles[n]->m_strFileName)), oldTaken);
    }

    int pathMatches = 0;
    for (std::size_t n = 0; n < newFiles.size(); ++n) {
        if (matchOf[n] < 0) continue;
        ++pathMatches;
        const COvFileData& old = *oldFiles[static_cast<std::size_t>(matchOf[n])];
        COvFileData& now = *newFiles[n];
        // A record of a catalogue older than times has none: it is not changed by time.
        if (old.m_strSize != now.m_strSize || (old.m_facts.HasTime() && now.m_facts.HasTime() &&
                                               old.m_facts.modified != now.m_facts.modified))
            ++merge.summary.changed;
        else if (!now.m_facts.HasFingerprint() && Unchanged(old, now))
            now.m_facts.fingerprint = old.m_facts.fingerprint;
        KeepAdditions(old, now, merge.summary);
    }

    // A moved file: exactly one old and one new record left over with its name and size.
    struct Candidates {
        int oldCount = 0, newCount = 0;
        int oldIndex = -1, newIndex = -1;
    };
    std::unordered_map<std::string, Candidates> byNameAndSize;
    const auto nameAndSize = [](std::string_view name, const COvFileData& file) {
        std::string key(name);
        key += '\\';  // cannot occur in a name
        key.append(file.m_strSize.view());
        return key;
    };
    for (std::size_t i = 0; i < oldCount; ++i) {
        if (oldTaken[i]) continue;
        Candidates& c = byNameAndSize[nameAndSize(oldNames[i], *oldFiles[i])];
        ++c.oldCount;
        c.oldIndex = static_cast<int>(i);
    }
    for (std::size_t n = 0; n < newFiles.size(); ++n) {
        if (matchOf[n] >= 0) continue;
        const auto found = byNameAndSize.find(nameAndSize(newFiles[n]->m_strFileName, *newFiles[n]));
        if (found == byNameAndSize.end()) continue;
        ++found->second.newCount;
        found->second.newIndex = static_cast<int>(n);
    }
    for (const auto& [key, c] : byNameAndSize) {
        if (c.oldCount != 1 || c.newCount != 1) continue;
        oldTaken[static_cast<std::size_t>(c.oldIndex)] = true;
        matchOf[static_cast<std::size_t>(c.newIndex)] = c.oldIndex;
        ++merge.summary.moved;
        KeepAdditions(*oldFiles[static_cast<std::size_t>(c.oldIndex)],
                      *newFiles[static_cast<std::size_t>(c.newIndex)], merge.summary);
    }

    for (int match : matchOf)
        if (match < 0) ++merge.summary.added;
    for (bool taken : oldTaken)
        if (!taken) ++merge.summary.removed;

    // Another disc in the drive? An audio CD tells by its tracks; a data disc by whether any
    // recorded file, or any folder below the root, is still there.
    int oldTracks = 0, newTracks = 0;
    std::unordered_set<std::string> newFolders;
    for (const auto& file : newFiles) {
        if (IsAudioTrack(*file)) ++newTracks;
        newFolders.insert(LowerText(FolderBelowDrive(*file)));
    }
    bool folderKept = false;
    for (const auto& file : oldFiles) {
        if (IsAudioTrack(*file)) ++oldTracks;
        const std::string_view folder = FolderBelowDrive(*file);
        if (!folderKept && folder.size() > 1 && newFolders.count(LowerText(folder)) != 0)
            folderKept = true;
    }
    if (oldTracks > 0 && newTracks > 0)
        merge.sameDisc = oldTracks == newTracks;
    else
        merge.sameDisc = oldFiles.empty() || pathMatches > 0 || folderKept;

    merge.files = std::move(newFiles);
    return merge;
}

CDiscWalk::KnownFingerprint KnownFingerprints(
    const std::vector<std::shared_ptr<COvFileData>>& oldFiles) {
    // The lookup holds the old records, so it stays valid whatever becomes of the disc.
    auto known = std::make_shared<std::unordered_map<std::string, std::shared_ptr<COvFileData>>>();
    for (const auto& file : oldFiles) {
        if (file->m_facts.HasFingerprint() && file->m_facts.HasTime())
            known->try_emplace(DiscKey(*file, file->DiscFileName()), file);
    }
    return [known](const COvFileData& now) -> std::uint64_t {
        const auto found = known->find(DiscKey(now, now.m_strFileName));
        return found != known->end() && Unchanged(*found->second, now)
                   ? found->second->m_facts.fingerprint
                   : 0;
    };
}

std::string RescanSummaryLine(std::string_view number, const RescanSummary& s) {
    return "Rescan of disc " + std::string(number) + ": " + std::to_string(s.added) +
           " files added, " + std::to_string(s.removed) + " removed, " + std::to_string(s.changed) +
           " changed, " + std::to_string(s.moved) + " moved; categories kept on " +
           std::to_string(s.categoriesKept) + " files.";
}

void ApplyRescan(COvDisc& disc, RescanMerge merge, std::string_view newOutline, std::string today,
                 const DiscFacts& volume) {
    // The root line names the disc ("12 Jazz") as the user labelled it; the folders are new.
    const std::string_view oldOutline = disc.m_strFolderTree.view();
    if (oldOutline.empty()) {
        disc.m_strFolderTree = newOutline;
    } else {
        const std::size_t newEnd = newOutline.find("\r\n");
        std::string outline(oldOutline.substr(0, oldOutline.find("\r\n")));
        outline.append(newEnd == std::string_view::npos ? std::string_view("\r\n")
                                                        : newOutline.substr(newEnd));
        disc.m_strFolderTree = outline;
    }
    disc.m_lstFiles = std::move(merge.files);
    disc.m_strSavedAt = std::move(today);
    if (!volume.IsEmpty()) disc.m_facts = volume;
}

}  // namespace ov2

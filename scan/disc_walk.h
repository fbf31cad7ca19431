#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ov_file_data.h"
#include "platform/archive_listing.h"

namespace ov2 {
class FingerprintPool;
}

// The walk of a drive into file records and a folder outline, without widgets, so that the scan
// dialog and ov2cat record a disc the same way.
//
// Records come in the order the scan has always produced: for every folder below the root, in
// the file system's order and depth first, the folder's own files and then its sub-folders; the
// root's own files come last. The outline shows the folders of one parent sorted by name without
// regard to case, whatever order the walk met them in.
//
// Names are bytes as the file system returns them. A name may hold "\" or a control character
// on Linux, which would split a record path or an outline line; each such byte (0x01..0x1F,
// 0x7F and "\") is written as "_" in record names, record paths and outline lines alike.
//
// With SetListArchives, an archive file (by its extension) keeps its own record and its contents
// appear beside it as a folder of the same name: "e:\backup\photos.zip\summer\a.jpg". Archives
// inside archives stay files. An archive that cannot be listed is a file only, and counted.
//
// Links to folders are neither walked nor recorded, and a folder that is one of its own
// ancestors (a bind mount looping back) is not entered, so every walk ends. A link to a file is
// recorded with its target's size and time, a dangling link with size 0 and no time.
//
// Every record carries its facts (core/file_facts.h): the modification time the file system,
// image or archive gives (audio tracks have none), "encrypted" for an archive entry whose data
// needs a password, and with SetFingerprints the fingerprint of a file read from a folder.
// Files inside images and archives get none: their data could only be reached by reading the
// image or archive through. Fingerprints are read on other threads while the walk goes on: a
// listener told of a file may not see its fingerprint yet, every record has it once the walk
// returns.
class CDiscWalk {
public:
    // A folder of the outline. The root stands for the drive and has no name.
    struct Folder {
        std::string name;  // the folder's name bytes, with the replacement above
        Folder* parent = nullptr;
        bool archive = false;  // the contents of the archive file of that name beside it
        std::vector<std::unique_ptr<Folder>> children;  // sorted by name without regard to case
    };

    // Told of every folder and file as the walk meets them, e.g. to show progress.
    class Listener {
    public:
        virtual ~Listener() = default;
        // `folder` has just taken its sorted place, `index`, among its parent's children.
        virtual void OnFolder(const Folder& folder, int index) = 0;
        // `file` has just been recorded; FileCount() and TotalBytes() include it.
        virtual void OnFile(const COvFileData& file) = 0;
        // Now and then while an archive is listed, which may take a while (a large .tar.gz), or
        // while the walk waits for files being read for their fingerprints.
        virtual void OnBusy() {}
    };

    // `driveRoot` is the drive as records name it, "E:\" (any case; records keep it lower).
    explicit CDiscWalk(std::string_view driveRoot, Listener* listener = nullptr);
    ~CDiscWalk();
    CDiscWalk(const CDiscWalk&) = delete;
    CDiscWalk& operator=(const CDiscWalk&) = delete;

    // Walks the native folder that holds the drive's files. False when the root itself cannot be
    // listed (nothing is recorded then); folders below it that cannot be listed contribute
    // nothing and the walk goes on.
    bool WalkFolder(const std::string& nativeRoot);
    // Walks an ISO 9660 image as WalkFolder walks the image mounted. Within a folder the
    // entries come in the order ISO 9660 directories keep their records: by name, letters
    // compared in upper case, then byte by byte (libarchive reads an image in the order of its
    // file data, which is no listing order). False, with RootError(), when the image cannot be
    // read or is malformed; nothing is recorded then.
    bool WalkIsoImage(const std::string& imagePath);
    // Records an audio CD as its drive shows it: "TrackNN.cda" of 44 bytes in the root, one per
    // audio track.
    void WalkAudioTracks(const std::vector<int>& trackNumbers);

    // What the walk did with archives: how many it listed, and those it could not.
    struct ArchiveReport {
        int listed = 0;
        std::vector<std::pair<std::string, ov2::ArchiveOutcome>> notListed;  // record path, why
        // "3 archives listed.", then when some could not be: "2 archives not listed: 1 encrypted,
        // 1 damaged" and a line per archive with its reason. Empty when the disc has none.
        std::string Summary() const;
    };
    void SetListArchives(bool list, const ov2::ArchiveLimits& limits = {}) {
        m_bListArchives = list;
        m_archiveLimits = limits;
    }
    const ArchiveReport& Archives() const { return m_archives; }

    // Asked for each record (folder, name, size and time set) before its file is read: a
    // fingerprint it returns is taken as it is, 0 has the file read. A rescan passes the old
    // records' fingerprints of files that kept their size and time.
    using KnownFingerprint = std::function<std::uint64_t(const COvFileData& record)>;
    void SetFingerprints(bool on, KnownFingerprint known = {}) {
        m_bFingerprints = on;
        m_knownFingerprint = std::move(known);
    }

    int FileCount() const { return static_cast<int>(m_files.size()); }
    // The sum of the recorded sizes, in full.
    double TotalBytes() const { return m_dTotalBytes; }
    // Whether a recorded name holds ".cda" (case as written: "X.CDA" does not count).
    bool IsAudioDisc() const { return m_bAudioDisc; }
    // The reason the root could not be listed; empty when it could.
    const std::string& RootError() const { return m_strRootError; }

    // Asks a running walk to end: it records no further file and enters no further folder, so
    // a listener can stop it from its callback. What was recorded so far stays for the caller
    // to drop; files still queued for their fingerprints are left without one.
    void Stop() { m_bStopped = true; }
    bool IsStopped() const { return m_bStopped; }

    const Folder& Root() const { return m_root; }
    const std::vector<std::shared_ptr<COvFileData>>& Files() const { return m_files; }
    std::vector<std::shared_ptr<COvFileData>> TakeFiles() { return std::move(m_files); }

    // The outline: `rootLabel` ("12 Jazz"), then every folder in pre-order, one TAB per level,
    // each line ending in CR LF.
    std::string FolderOutline(std::string_view rootLabel) const;

    // A name as records and outlines keep it (the replacement above).
    static std::string SafeName(std::string_view name);
    // One outline line: `depth` TABs, the label, CR LF.
    static void AppendOutlineLine(std::string& outline, int depth, std::string_view label);

private:
    struct Listing;
    struct ListedFile;
    struct FolderId;
    class Source;
    class NativeSource;
    class ImageSource;

    // Lists a folder once: its files with their sizes and its sub-folders, in the file
    // system's order; `path` is relative to the open folder `at` (or AT_FDCWD). With
    // `noFollow`, a link in place of the folder is not listed. The folder is left open in the
    // listing. False, with the reason, when it cannot be read.
    static bool ListFolder(int at, const std::string& path, bool noFollow, Listing& listing,
                           std::string* error);
    // Adds an entry of the open folder `folder` as ListFolder lists it.
    static void AddEntry(int folder, const char* name, unsigned char type, Listing& listing);
    // The walk from `root` of whatever `source` lists: a native folder or an image.
    bool Walk(Source& source, const std::string& root);
    void WalkSubfolders(Source& source, Folder& parent, const std::string& sourcePath,
                        const std::string& recordPath, const Listing& parentListing,
                        std::vector<FolderId>& ancestors);
    // Records the folder's files; `source` (none for audio tracks) reads them for fingerprints.
    void RecordFiles(Source* source, const std::string& sourcePath, const Listing& listing,
                     const std::string& recordPath);
    // Lists the archives among the folder's files (`listing`), each as a sub-folder of `parent`.
    void WalkArchives(Source& source, Folder& parent, const std::string& sourcePath,
                      const std::string& recordPath, const Listing& listing);
    Folder& AddFolder(Folder& parent, std::string name, bool archive = false);

    std::string m_strDriveRoot;  // "E:\"
    std::string m_strDrive;      // "e:"
    Listener* m_pListener;
    Folder m_root;
    std::vector<std::shared_ptr<COvFileData>> m_files;
    double m_dTotalBytes = 0;
    bool m_bAudioDisc = false;
    std::atomic<bool> m_bStopped = false;  // read by the threads reading fingerprints
    std::string m_strRootError;
    bool m_bListArchives = false;
    ov2::ArchiveLimits m_archiveLimits;
    ArchiveReport m_archives;
    bool m_bFingerprints = false;
    KnownFingerprint m_knownFingerprint;
    std::unique_ptr<ov2::FingerprintPool> m_pFingerprints;  // while a native folder is walked
};

#include "scan/disc_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/disc_database.h"
#include "platform/audio_cd.h"
#include "platform/iso_image.h"
#include "platform/text.h"
#include "scan/fingerprint_pool.h"

struct CDiscWalk::FolderId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FolderId&) const = default;
};

struct CDiscWalk::ListedFile {
    std::string name;  // raw bytes
    std::int64_t size = 0;
    std::int64_t modified = ov2::FileFacts::kNoTime;
    bool regular = false;  // a regular file, or a link to one: it can be read for a fingerprint
    bool encrypted = false;
};

struct CDiscWalk::Listing {
    // A native folder, open.
    class Open {
    public:
        Open() = default;
        explicit Open(int fd) : m_fd(fd) {}
        Open(Open&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
        Open& operator=(Open&& other) noexcept {
            if (this != &other) {
                reset();
                m_fd = std::exchange(other.m_fd, -1);
            }
            return *this;
        }
        ~Open() { reset(); }
        void reset() {
            if (m_fd >= 0) ::close(m_fd);
            m_fd = -1;
        }
        int fd() const { return m_fd; }
        explicit operator bool() const { return m_fd >= 0; }

    private:
        int m_fd = -1;
    };
    FolderId id;
    std::vector<ListedFile> files;
    std::vector<std::string> folders;  // raw names
    // A native folder stays open while its sub-folders are walked, so that each is opened by
    // its name within it rather than by its full path again.
    Open open;
};

// Where the walk lists folders: `path` is the source's own name of a folder.
class CDiscWalk::Source {
public:
    virtual ~Source() = default;
    // `parent`, when given, is the listing of the folder that holds `path` under `name`.
    virtual bool List(const std::string& path, Listing& listing, std::string* error,
                      const Listing* parent = nullptr, const std::string* name = nullptr) = 0;
    virtual std::string Child(const std::string& path, const std::string& name) const = 0;
    // A native file holding the bytes of the file `path`, to list it as an archive; none when
    // archives here are not opened (those inside archives). `temporary`: delete it afterwards.
    virtual std::optional<std::string> NativeFile(const std::string& path, bool& temporary) = 0;
    // Whether its files can be read for fingerprints: native folders' can, those inside
    // images and archives cannot without reading the image or archive through.
    virtual bool ReadsFiles() const { return false; }
};

class CDiscWalk::NativeSource : public Source {
public:
    bool List(const std::string& path, Listing& listing, std::string* error, const Listing* parent,
              const std::string* name) override {
        if (parent && parent->open && name)
            return ListFolder(parent->open.fd(), *name, true, listing, error);
        return ListFolder(AT_FDCWD, path, parent != nullptr, listing, error);
    }
    std::string Child(const std::string& path, const std::string& name) const override {
        return path + '/' + name;
    }
    std::optional<std::string> NativeFile(const std::string& path, bool& temporary) override {
        temporary = false;
        return path;
    }
    bool ReadsFiles() const override { return true; }
};

namespace {

// How many folders of the way down a walk keeps open at most.
constexpr std::size_t kOpenFolders = 64;

// A time as records keep it: one beyond what they hold (a damaged archive's) is none.
std::int64_t RecordTime(std::int64_t seconds) {
    constexpr std::int64_t kLatest = (std::int64_t{1} << 62) - 1;
    return seconds > ov2::FileFacts::kNoTime && seconds <= kLatest ? seconds
                                                                   : ov2::FileFacts::kNoTime;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The order of a folder's records in an ISO 9660 directory: by name, letters compared in upper
// case (as the image's own names are written), then byte by byte.
bool ImageOrder(std::string_view a, std::string_view b) {
    const auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return upper(x) == upper(y); });
    if (mismatch.first != a.end() && mismatch.second != b.end())
        return upper(*mismatch.first) < upper(*mismatch.second);
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

// An image's folders, listed from its entries. Paths are relative to the image root ("" is
// the root), names separated by "/". Every folder is its own identity: an image listing is a
// tree, so no folder can be its own ancestor.
class CDiscWalk::ImageSource : public Source {
public:
    // `imagePath`: the ISO image listed, whose archives are copied out to be listed; empty for
    // an archive's own listing, whose archives stay files.
    ImageSource(std::vector<ov2::ImageEntry> entries, std::string imagePath)
        : m_strImagePath(std::move(imagePath)) {
        m_folders[std::string()];
        for (ov2::ImageEntry& entry : entries) {
            const std::size_t slash = entry.path.rfind('/');
            const std::string parent = slash == std::string::npos ? std::string() : entry.path.substr(0, slash);
            std::string name = entry.path.substr(slash == std::string::npos ? 0 : slash + 1);
            Listing& listing = m_folders[parent];
            if (entry.folder) {
                m_folders[entry.path];
                listing.folders.push_back(std::move(name));
            } else {
                listing.files.push_back(
                    ListedFile{std::move(name), static_cast<std::int64_t>(entry.size),
                               entry.hasTime ? RecordTime(entry.modified) : ov2::FileFacts::kNoTime,
                               false, entry.encrypted});
            }
        }
        ino_t serial = 0;
        for (auto& [path, listing] : m_folders) {
            listing.id = FolderId{0, ++serial};
            std::sort(listing.files.begin(), listing.files.end(),
                      [](const auto& a, const auto& b) { return ImageOrder(a.name, b.name); });
            std::sort(listing.folders.begin(), listing.folders.end(), ImageOrder);
        }
    }
    bool List(const std::string& path, Listing& listing, std::string* error, const Listing*,
              const std::string*) override {
        const auto found = m_folders.find(path);
        if (found == m_folders.end()) {
            if (error) *error = "no such folder in the image";
            return false;
        }
        listing = std::move(found->second);  // every folder is listed once
        return true;
    }
    std::string Child(const std::string& path, const std::string& name) const override {
        return path.empty() ? name : path + '/' + name;
    }
    std::optional<std::string> NativeFile(const std::string& path, bool& temporary) override {
        temporary = true;
        if (m_strImagePath.empty()) return std::nullopt;
        // The image is not listed again for each archive: the file and its folders are all the
        // copy needs to find it.
        std::vector<ov2::ImageEntry> way(1);
        way.front().path = path;
        for (std::size_t slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            way.emplace_back().path = path.substr(0, slash);
            way.back().folder = true;
        }
        return ov2::ExtractFromIsoImage(m_strImagePath, way, path, nullptr);
    }

private:
    std::unordered_map<std::string, Listing> m_folders;
    std::string m_strImagePath;
};

CDiscWalk::CDiscWalk(std::string_view driveRoot, Listener* listener) : m_pListener(listener) {
    m_strDriveRoot = std::string(driveRoot);
    if (m_strDriveRoot.empty() || m_strDriveRoot.back() != '\\') m_strDriveRoot += '\\';
    m_strDrive = ov2::LowerText(m_strDriveRoot.substr(0, m_strDriveRoot.find('\\')));
}

CDiscWalk::~CDiscWalk() = default;

std::string CDiscWalk::SafeName(std::string_view name) {
    // The drives layer finds such a name again on the disc by the same rule.
    return ov2::RecordName(name);
}

void CDiscWalk::AppendOutlineLine(std::string& outline, int depth, std::string_view label) {
    outline.append(static_cast<std::size_t>(std::max(depth, 0)), '\t');
    outline.append(label);
    outline.append("\r\n");
}

CDiscWalk::Folder& CDiscWalk::AddFolder(Folder& parent, std::string name, bool archive) {
    // After every sibling it does not precede, as the tree control's sorted insertion placed
    // it: names equal without regard to case keep the order the walk met them in.
    const auto place = std::upper_bound(parent.children.begin(), parent.children.end(), name,
                                        [](const std::string& a, const std::unique_ptr<Folder>& b) {
                                            return ov2::CompareNoCase(a, b->name) < 0;
                                        });
    const auto index = static_cast<std::size_t>(place - parent.children.begin());
    auto folder = std::make_unique<Folder>();
    folder->name = std::move(name);
    folder->parent = &parent;
    folder->archive = archive;
    Folder& added = **parent.children.insert(
        parent.children.begin() + static_cast<std::ptrdiff_t>(index), std::move(folder));
    if (m_pListener) m_pListener->OnFolder(added, static_cast<int>(index));
    return added;
}

bool CDiscWalk::ListFolder(int at, const std::string& path, bool noFollow, Listing& listing,
                           std::string* error) {
    const int fd = ::openat(at, path.c_str(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    listing.open = Listing::Open(fd);
    struct stat folderStat {};
    if (::fstat(fd, &folderStat) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    listing.id = FolderId{folderStat.st_dev, folderStat.st_ino};
    // The folder's entries are read straight into one buffer, without a directory stream
    // (which would allocate one and check the descriptor's flags for every folder).
    thread_local std::vector<char> buffer(64 * 1024);
    int readError = 0;
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got <= 0) {
            if (got < 0) readError = errno;
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + at);
            at += entry->d_reclen;
            AddEntry(fd, entry->d_name, entry->d_type, listing);
        }
    }
    if (readError != 0) {
        // What was read before the error stays; the folder is listed as far as it could be.
        if (error) *error = std::strerror(readError);
    }
    return true;
}

void CDiscWalk::AddEntry(int folder, const char* name, unsigned char type, Listing& listing) {
    if (IsDotOrDotDot(name)) return;
    struct stat st {};
    bool haveStat = false;
    if (type == DT_UNKNOWN) {
        if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;  // gone meanwhile
        haveStat = true;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR) {
        listing.folders.emplace_back(name);
        return;
    }
    // The stat taken for the size gives the time too: no call more per file.
    const auto listFile = [&](bool known) {
        listing.files.push_back(
            ListedFile{name, known ? static_cast<std::int64_t>(st.st_size) : 0,
                       known ? RecordTime(st.st_mtim.tv_sec) : ov2::FileFacts::kNoTime,
                       known && S_ISREG(st.st_mode), false});
    };
    if (type == DT_LNK) {
        // The target decides: a folder is left alone, a file counts with its size and time,
        // and a link to nothing is a file of no size.
        if (::fstatat(folder, name, &st, 0) != 0)
            listFile(false);
        else if (!S_ISDIR(st.st_mode))
            listFile(true);
    } else {
        listFile(haveStat || ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0);
    }
}

void CDiscWalk::RecordFiles(Source* source, const std::string& sourcePath, const Listing& listing,
                            const std::string& recordPath) {
    // Every file of the folder shares one folder text and one drive text.
    const OvString folder(ov2::LowerText(recordPath));
    const OvString drive(m_strDrive);
    char sizeText[24];
    const bool read = m_pFingerprints && source && source->ReadsFiles();
    std::vector<ov2::FingerprintPool::File> toRead;
    for (const ListedFile& listed : listing.files) {
        if (m_bStopped) return;
        auto file = std::make_shared<COvFileData>();
        const std::string name = SafeName(listed.name);
        file->m_strFileName = name;
        file->m_strFolder = folder;
        file->m_strDrive = drive;
        const auto written = std::to_chars(sizeText, sizeText + sizeof sizeText, listed.size);
        file->m_strSize =
            std::string_view(sizeText, static_cast<std::size_t>(written.ptr - sizeText));
        file->m_facts.modified = listed.modified;
        file->m_facts.encrypted = listed.encrypted;
        if (m_bFingerprints && source) {
            if (m_knownFingerprint) file->m_facts.fingerprint = m_knownFingerprint(*file);
            // A FIFO or a device is never opened: reading one could wait for ever or disturb it.
            if (read && listed.regular && !file->m_facts.HasFingerprint())
                toRead.push_back({file, listed.name, listed.size});
        }
        m_dTotalBytes += static_cast<double>(listed.size);
        // The original's test: a case-sensitive ".cda" anywhere in the name.
        if (name.find(".cda") != std::string::npos) m_bAudioDisc = true;
        m_files.push_back(std::move(file));
        if (m_pListener) m_pListener->OnFile(*m_files.back());
    }
    if (!toRead.empty() && !m_bStopped)
        m_pFingerprints->Add(listing.open ? listing.open.fd() : -1, sourcePath, std::move(toRead));
}

void CDiscWalk::WalkSubfolders(Source& source, Folder& parent, const std::string& sourcePath,
                               const std::string& recordPath, const Listing& parentListing,
                               std::vector<FolderId>& ancestors) {
    for (const std::string& rawName : parentListing.folders) {
        if (m_bStopped) return;
        const std::string childSource = source.Child(sourcePath, rawName);
        Listing listing;
        const bool listed = source.List(childSource, listing, nullptr, &parentListing, &rawName);
        // Each level of a deep disc would hold one more open folder: below a depth that no
        // real disc reaches, folders are opened by their full path instead.
        if (ancestors.size() >= kOpenFolders) listing.open.reset();
        // A folder that is one of its own ancestors would be walked for ever.
        if (listed && std::find(ancestors.begin(), ancestors.end(), listing.id) != ancestors.end())
            continue;
        std::string name = SafeName(rawName);
        const std::string childRecord = recordPath + name + '\\';
        Folder& folder = AddFolder(parent, std::move(name));
        if (!listed) continue;  // it stands in the outline but contributes no files
        RecordFiles(&source, childSource, listing, childRecord);
        ancestors.push_back(listing.id);
        WalkSubfolders(source, folder, childSource, childRecord, listing, ancestors);
        ancestors.pop_back();
        WalkArchives(source, folder, childSource, childRecord, listing);
    }
}

void CDiscWalk::WalkArchives(Source& source, Folder& parent, const std::string& sourcePath,
                             const std::string& recordPath, const Listing& listing) {
    if (!m_bListArchives) return;
    for (const ListedFile& file : listing.files) {
        const std::string& rawName = file.name;
        if (m_bStopped) return;
        if (!ov2::IsArchiveName(rawName)) continue;
        bool temporary = false;
        const std::optional<std::string> native =
            source.NativeFile(source.Child(sourcePath, rawName), temporary);
        if (!native) continue;  // inside an archive: a file like any other
        struct stat st {};
        if (::stat(native->c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;  // a FIFO, a dangling link
        std::vector<ov2::ImageEntry> entries;
        ov2::ArchiveLimits limits = m_archiveLimits;
        limits.keepGoing = [this] {
            if (m_pListener) m_pListener->OnBusy();  // which may Stop() the walk
            return !m_bStopped;
        };
        const ov2::ArchiveOutcome outcome = ov2::ListArchive(*native, entries, nullptr, limits);
        if (temporary) ::unlink(native->c_str());
        if (outcome == ov2::ArchiveOutcome::Stopped) return;
        std::string name = SafeName(rawName);
        if (outcome != ov2::ArchiveOutcome::Listed) {
            m_archives.notListed.emplace_back(ov2::LowerText(recordPath) + name, outcome);
            continue;
        }
        ++m_archives.listed;
        ImageSource archive(std::move(entries), std::string());
        Listing top;
        archive.List(std::string(), top, nullptr, nullptr, nullptr);
        const std::string childRecord = recordPath + name + '\\';
        Folder& folder = AddFolder(parent, std::move(name), true);
        RecordFiles(&archive, std::string(), top, childRecord);
        std::vector<FolderId> ancestors{top.id};
        WalkSubfolders(archive, folder, std::string(), childRecord, top, ancestors);
    }
}

std::string CDiscWalk::ArchiveReport::Summary() const {
    if (listed == 0 && notListed.empty()) return std::string();
    const auto archives = [](std::size_t count) {
        return std::to_string(count) + (count == 1 ? " archive" : " archives");
    };
    std::string text = archives(static_cast<std::size_t>(listed)) + " listed.";
    if (notListed.empty()) return text;
    text += "\n" + archives(notListed.size()) + " not listed:";
    const char* separator = " ";
    for (const ov2::ArchiveOutcome outcome :
         {ov2::ArchiveOutcome::Encrypted, ov2::ArchiveOutcome::Damaged,
          ov2::ArchiveOutcome::TooLarge}) {
        const auto count =
            std::count_if(notListed.begin(), notListed.end(),
                          [outcome](const auto& archive) { return archive.second == outcome; });
        if (count == 0) continue;
        text += separator + std::to_string(count) + " " + ov2::ArchiveOutcomeText(outcome);
        separator = ", ";
    }
    for (const auto& [path, outcome] : notListed)
        text += "\n" + path + ": " + ov2::ArchiveOutcomeText(outcome);
    return text;
}

bool CDiscWalk::Walk(Source& source, const std::string& root) {
    Listing listing;
    m_strRootError.clear();
    m_archives = ArchiveReport();
    if (!source.List(root, listing, &m_strRootError)) {
        if (m_strRootError.empty()) m_strRootError = "cannot be read";
        return false;
    }
    m_strRootError.clear();
    std::vector<FolderId> ancestors{listing.id};
    WalkSubfolders(source, m_root, root, m_strDriveRoot, listing, ancestors);
    WalkArchives(source, m_root, root, m_strDriveRoot, listing);
    // The root's own files come after every file below it.
    RecordFiles(&source, root, listing, m_strDriveRoot);
    return true;
}

bool CDiscWalk::WalkFolder(const std::string& nativeRoot) {
    const std::string base = nativeRoot.size() > 1 && nativeRoot.back() == '/'
                                 ? nativeRoot.substr(0, nativeRoot.size() - 1)
                                 : nativeRoot;
    NativeSource source;
    if (!m_bFingerprints) return Walk(source, base);
    m_pFingerprints = std::make_unique<ov2::FingerprintPool>(m_bStopped, [this] {
        if (m_pListener) m_pListener->OnBusy();  // which may Stop() the walk
    });
    const bool walked = Walk(source, base);
    m_pFingerprints->Finish();
    m_pFingerprints.reset();
    return walked;
}

bool CDiscWalk::WalkIsoImage(const std::string& imagePath) {
    std::vector<ov2::ImageEntry> entries;
    m_strRootError.clear();
    if (!ov2::ListIsoImage(imagePath, entries, &m_strRootError)) {
        if (m_strRootError.empty()) m_strRootError = "cannot be read";
        return false;
    }
    ImageSource source(std::move(entries), imagePath);
    return Walk(source, std::string());
}

void CDiscWalk::WalkAudioTracks(const std::vector<int>& trackNumbers) {
    Listing root;
    for (const int track : trackNumbers) {
        root.files.emplace_back();
        root.files.back().name = ov2::TrackFileName(track);
        root.files.back().size = ov2::kTrackFileSize;
    }
    RecordFiles(nullptr, std::string(), root, m_strDriveRoot);
}

std::string CDiscWalk::FolderOutline(std::string_view rootLabel) const {
    std::string outline;
    AppendOutlineLine(outline, 0, COvDiscDatabase::OutlineSafeName(rootLabel));
    // Pre-order without recursion: a deep disc cannot exhaust the stack here.
    std::vector<std::pair<const Folder*, int>> pending;
    for (auto it = m_root.children.rbegin(); it != m_root.children.rend(); ++it)
        pending.emplace_back(it->get(), 1);
    while (!pending.empty()) {
        const auto [folder, depth] = pending.back();
        pending.pop_back();
        AppendOutlineLine(outline, depth, folder->name);
        for (auto it = folder->children.rbegin(); it != folder->children.rend(); ++it)
            pending.emplace_back(it->get(), depth + 1);
    }
    return outline;
}

#include "platform/archive_listing.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "platform/text.h"

namespace ov2 {
namespace {

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

// The extensions of archives, and of the compressions that make a ".tar.X" one (a plain ".gz"
// is a single compressed file, no archive).
constexpr std::string_view kArchiveExtensions[] = {"zip", "7z",   "rar", "tar",  "tgz",
                                                   "tbz", "tbz2", "txz", "tzst", "cab"};
constexpr std::string_view kTarCompressions[] = {"gz", "bz2", "xz", "zst", "lz", "lzma", "z"};
constexpr std::string_view kTar[] = {"tar"};

// Whether `text` is one of `list`, ASCII letters compared without regard to case. The disc tree
// asks this of every file name of a catalogue, so it neither allocates nor folds Unicode.
template <std::size_t N>
bool IsOneOf(std::string_view text, const std::string_view (&list)[N]) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (const std::string_view item : list) {
        if (item.size() == text.size() && std::equal(item.begin(), item.end(), text.begin(),
                                                     [&](char a, char b) { return a == lower(b); }))
            return true;
    }
    return false;
}

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string ReaderError(archive* a, const char* otherwise) {
    const char* text = archive_error_string(a);
    return text && *text ? std::string(text) : std::string(otherwise);
}

// libarchive refuses an archive it cannot decrypt with a message, not a code of its own.
bool MentionsEncryption(std::string_view text) {
    const std::string lower = LowerText(text);
    return lower.find("encrypt") != std::string::npos ||
           lower.find("passphrase") != std::string::npos ||
           lower.find("password") != std::string::npos;
}

archive* OpenArchive(const std::string& archivePath, std::string* error) {
    ArchivePtr a(archive_read_new());
    if (!a) {
        SetError(error, "out of memory");
        return nullptr;
    }
    archive_read_support_filter_all(a.get());
    archive_read_support_format_zip(a.get());
    archive_read_support_format_7zip(a.get());
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    archive_read_support_format_tar(a.get());
    archive_read_support_format_cab(a.get());
    if (archive_read_open_filename(a.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
        SetError(error, ReaderError(a.get(), "not an archive"));
        return nullptr;
    }
    return a.release();
}

}  // namespace

bool IsArchiveName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    const std::string_view extension = name.substr(dot + 1);
    if (IsOneOf(extension, kArchiveExtensions)) return true;
    if (!IsOneOf(extension, kTarCompressions)) return false;
    const std::size_t before = name.rfind('.', dot - 1);
    return before != std::string_view::npos && before > 0 &&
           IsOneOf(name.substr(before + 1, dot - before - 1), kTar);
}

const char* ArchiveOutcomeText(ArchiveOutcome outcome) {
    switch (outcome) {
        case ArchiveOutcome::Encrypted:
            return "encrypted";
        case ArchiveOutcome::Damaged:
            return "damaged";
        case ArchiveOutcome::TooLarge:
            return "too large";
        case ArchiveOutcome::Stopped:
            return "stopped";
        case ArchiveOutcome::Listed:
            break;
    }
    return "listed";
}

std::string ArchiveEntryPath(std::string_view stored, bool& unsafe) {
    unsafe = !stored.empty() && stored.front() == '/';
    std::string path;
    std::size_t start = 0;
    while (start <= stored.size()) {
        const std::size_t end = std::min(stored.find('/', start), stored.size());
        const std::string_view name = stored.substr(start, end - start);
        if (name == "..") {
            unsafe = true;
        } else if (!name.empty() && name != ".") {
            if (!path.empty()) path += '/';
            path.append(name);
        }
        start = end + 1;
    }
    return path;
}

ArchiveOutcome ListArchive(const std::string& archivePath, std::vector<ImageEntry>& entries,
                           std::string* error, const ArchiveLimits& limits) {
    entries.clear();
    struct stat st {};
    if (::stat(archivePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        SetError(error, "not a regular file");
        return ArchiveOutcome::Damaged;
    }
    const Utf8Locale utf8;
    ArchivePtr a(OpenArchive(archivePath, error));
    if (!a) return ArchiveOutcome::Damaged;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.maxSeconds);
    const auto tooLarge = [&](std::string text) {
        SetError(error, std::move(text));
        return ArchiveOutcome::TooLarge;
    };
    const auto stopped = [&] {
        if (!limits.keepGoing || limits.keepGoing()) return false;
        SetError(error, "stopped");
        return true;
    };
    const auto failed = [&](archive* reader) {
        const std::string text = ReaderError(reader, "the archive cannot be read through");
        SetError(error, text);
        return MentionsEncryption(text) ? ArchiveOutcome::Encrypted : ArchiveOutcome::Damaged;
    };

    std::vector<RawImageEntry> raw;
    std::uint64_t previousSize = 0;
    archive_entry* entry = nullptr;
    while (true) {
        const int result = archive_read_next_header(a.get(), &entry);
        if (result == ARCHIVE_EOF) break;
        // A warning is a name in a charset that does not convert; the entry is still there.
        if (result != ARCHIVE_OK && result != ARCHIVE_WARN) return failed(a.get());
        if (stopped()) return ArchiveOutcome::Stopped;
        if (raw.size() >= limits.maxEntries)
            return tooLarge("more than " + std::to_string(limits.maxEntries) + " entries");
        const char* stored = archive_entry_pathname(entry);
        if (!stored) stored = archive_entry_pathname_utf8(entry);
        bool unsafe = false;
        RawImageEntry item =
            RawEntryOf(entry, stored ? ArchiveEntryPath(stored, unsafe) : std::string(), previousSize);
        if (!item.entry.path.empty()) raw.push_back(std::move(item));

        // A compressed stream is read through to reach the next header: block by block here, so
        // that the limits hold within one large entry too. Other formats skip bodies by seeking.
        if (archive_filter_count(a.get()) > 1 && archive_entry_filetype(entry) == AE_IFREG) {
            const void* block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            while (true) {
                const int read = archive_read_data_block(a.get(), &block, &size, &offset);
                if (read == ARCHIVE_EOF) break;
                if (read != ARCHIVE_OK && read != ARCHIVE_WARN) return failed(a.get());
                if (static_cast<std::uint64_t>(archive_filter_bytes(a.get(), 0)) >
                    limits.maxOutputBytes)
                    return tooLarge("more than " + std::to_string(limits.maxOutputBytes >> 20) +
                                    " MiB to decompress");
                if (Clock::now() > deadline) break;
                if (stopped()) return ArchiveOutcome::Stopped;
            }
        }
        if (Clock::now() > deadline)
            return tooLarge("not listed within " + std::to_string(limits.maxSeconds) + " seconds");
    }
    SettleImageEntries(raw, entries);
    return ArchiveOutcome::Listed;
}

std::optional<std::string> ExtractFromArchive(const std::string& archivePath,
                                              std::string_view relative, std::string* error) {
    std::vector<ImageEntry> entries;
    std::string reason;
    if (ListArchive(archivePath, entries, &reason) != ArchiveOutcome::Listed) {
        SetError(error, archivePath + ": " + reason);
        return std::nullopt;
    }
    EntrySource source;
    source.path = archivePath;
    source.cacheFolder = "archives";
    source.open = [&archivePath](std::string* openError) {
        return OpenArchive(archivePath, openError);
    };
    source.listedPath = ArchiveEntryPath;
    return ExtractListedEntry(source, entries, relative, error);
}

}  // namespace ov2

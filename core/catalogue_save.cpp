#include "core/catalogue_save.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <memory>

#include "core/catalogue_check.h"
#include "core/catalogue_file.h"

namespace ov2 {

namespace {

// The bytes of the file behind the descriptor as the file system keeps them, not as the program
// meant to write them: mapped where the file system allows it (no copy), read where not. The
// temporary file of a save is open for reading too.
class WrittenBytes {
public:
    WrittenBytes() = default;
    WrittenBytes(const WrittenBytes&) = delete;
    WrittenBytes& operator=(const WrittenBytes&) = delete;
    ~WrittenBytes() {
        if (m_map) munmap(m_map, m_bytes.size());
    }

    bool Read(int fd, std::size_t size, std::string* error) {
        struct stat st {};
        if (fstat(fd, &st) != 0) {
            *error = std::strerror(errno);
            return false;
        }
        if (static_cast<std::uint64_t>(st.st_size) != size) {
            *error = "the file holds " + std::to_string(st.st_size) + " bytes of " +
                     std::to_string(size);
            return false;
        }
        if (void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0);
            map != MAP_FAILED) {
            m_map = map;
            m_bytes = std::string_view(static_cast<const char*>(map), size);
            return true;
        }
        m_copy = std::make_unique_for_overwrite<char[]>(size);
        for (std::size_t done = 0; done < size;) {
            const ssize_t got =
                pread(fd, m_copy.get() + done, size - done, static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                *error = got < 0 ? std::strerror(errno) : "the file ends early";
                return false;
            }
            done += static_cast<std::size_t>(got);
        }
        m_bytes = std::string_view(m_copy.get(), size);
        return true;
    }
    std::string_view bytes() const { return m_bytes; }

private:
    void* m_map = nullptr;
    std::unique_ptr<char[]> m_copy;
    std::string_view m_bytes;
};

// Whether a file may be replaced: one marked read-only is left alone even where the file system
// would let the user replace it.
bool MayReplace(const QString& path, std::string* error) {
    const QFileInfo existing(path);
    constexpr auto kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.exists() && !existing.isDir() && !(existing.permissions() & kAnyWrite)) {
        *error = "the file is read-only";
        return false;
    }
    return true;
}

}  // namespace

SaveFault SaveCatalogueBytes(const QString& path, std::string_view bytes, std::string* error) {
    if (!MayReplace(path, error)) return SaveFault::File;
    std::string why;
    if (!CatalogueBytesValid(bytes, &why)) {
        *error = "the catalogue would not be readable: " + why;
        return SaveFault::Catalogue;
    }
    QSaveFile file(path);
    const auto length = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), length) != length ||
        !file.flush()) {
        *error = file.errorString().toStdString();
        file.cancelWriting();
        return SaveFault::File;
    }
    WrittenBytes onDisk;
    if (!onDisk.Read(static_cast<int>(file.handle()), bytes.size(), &why) ||
        onDisk.bytes() != bytes) {
        file.cancelWriting();
        *error = "the written file does not read back" + (why.empty() ? std::string() : ": " + why);
        return SaveFault::File;
    }
    if (!file.commit()) {
        *error = file.errorString().toStdString();
        return SaveFault::File;
    }
    return SaveFault::None;
}

SaveFault SaveCatalogueFile(const QString& path, COvDiscDatabase& database, std::string* error) {
    if (!MayReplace(path, error)) return SaveFault::File;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString().toStdString();
        return SaveFault::File;
    }
    // The bytes go straight to the temporary file as they are made.
    std::size_t size = 0;
    bool fileFailed = false;
    std::string why;
    const bool written = WriteCatalogue(
        database,
        [&](const char* data, std::size_t n) {
            const auto length = static_cast<qint64>(n);
            fileFailed = file.write(data, length) != length;
            size += n;
            return !fileFailed;
        },
        &why);
    if (!written || !file.flush()) {
        *error = fileFailed || written ? file.errorString().toStdString() : why;
        file.cancelWriting();
        return fileFailed || written ? SaveFault::File : SaveFault::Catalogue;
    }
    // The check reads back what reached the file and walks it as the reader would, without
    // building the catalogue; only bytes that pass replace the old file.
    {
        WrittenBytes onDisk;
        if (!onDisk.Read(static_cast<int>(file.handle()), size, &why)) {
            file.cancelWriting();
            *error = "the written file cannot be read back: " + why;
            return SaveFault::File;
        }
        if (!CatalogueBytesValid(onDisk.bytes(), &why)) {
            file.cancelWriting();
            // Either the catalogue writes bytes that do not read, or the file system changed them.
            std::string again;
            if (CatalogueBytesValid(CatalogueBytes(database), &again)) {
                *error = "the written file does not read back: " + why;
                return SaveFault::File;
            }
            *error = "the catalogue would not be readable: " + again;
            return SaveFault::Catalogue;
        }
    }
    if (!file.commit()) {
        *error = file.errorString().toStdString();
        return SaveFault::File;
    }
    return SaveFault::None;
}

}  // namespace ov2

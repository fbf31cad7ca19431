#include "platform/file_fingerprint.h"

#define XXH_INLINE_ALL
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/fd_closer.h"

namespace ov2 {
namespace {

// Reads `length` bytes at `offset` into the state; false when the file gives fewer.
bool HashPart(int fd, std::int64_t offset, std::int64_t length, XXH3_state_t& state) {
    thread_local std::vector<char> buffer(static_cast<std::size_t>(kFingerprintPart));
    while (length > 0) {
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(length, kFingerprintPart));
        const ssize_t got = ::pread(fd, buffer.data(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        XXH3_64bits_update(&state, buffer.data(), static_cast<std::size_t>(got));
        offset += got;
        length -= got;
    }
    return true;
}


}  // namespace

std::uint64_t FileFingerprint(int fd, std::int64_t size) {
    if (fd < 0 || size < 0) return 0;
    XXH3_state_t state;
    XXH3_64bits_reset(&state);
    const bool read = size <= 2 * kFingerprintPart
                          ? HashPart(fd, 0, size, state)
                          : HashPart(fd, 0, kFingerprintPart, state) &&
                                HashPart(fd, size - kFingerprintPart, kFingerprintPart, state);
    if (!read) return 0;
    unsigned char sizeBytes[8];
    for (int i = 0; i < 8; ++i)
        sizeBytes[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(size) >> (8 * i));
    XXH3_64bits_update(&state, sizeBytes, sizeof sizeBytes);
    const std::uint64_t hash = XXH3_64bits_digest(&state);
    return hash == 0 ? 1 : hash;  // 0 stands for "none"
}

std::uint64_t FileFingerprintAt(int folder, const char* name, std::int64_t size) {
    // Non-blocking: a FIFO recorded as a file must not hold the scan until a writer comes.
    const FdCloser fd(::openat(folder, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    return FileFingerprint(fd.get(), size);
}

std::uint64_t FileFingerprint(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return FileFingerprintAt(AT_FDCWD, path.c_str(), static_cast<std::int64_t>(st.st_size));
}

}  // namespace ov2

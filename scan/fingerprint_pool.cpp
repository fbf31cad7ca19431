#include "scan/fingerprint_pool.h"

#include <fcntl.h>
#include <unistd.h>

#include <QThread>

#include <algorithm>
#include <utility>

#include "platform/file_fingerprint.h"

namespace ov2 {
namespace {

// Folders queued at once, each holding a descriptor open: far below the usual limit of 1,024.
constexpr int kQueuedFolders = 64;
// Files one thread takes at a time, so that the threads share a large folder too.
constexpr std::size_t kFilesPerTask = 128;
// How long the walk waits before it tells its listener it is still busy.
constexpr int kWaitMs = 50;

}  // namespace

// One folder's queued files, shared by the tasks that read them: the last task to end closes
// the folder and frees its slot.
struct FingerprintPool::Folder {
    Folder(QSemaphore& slots, int fd, std::string path, std::vector<File> files)
        : slots(slots), fd(fd), path(std::move(path)), files(std::move(files)) {}
    ~Folder() {
        if (fd >= 0) ::close(fd);
        slots.release();
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    QSemaphore& slots;
    const int fd;  // -1: the files are opened by their path
    const std::string path;
    const std::vector<File> files;
};

FingerprintPool::FingerprintPool(const std::atomic<bool>& stop, Busy busy)
    : m_stop(stop), m_busy(std::move(busy)), m_folderSlots(kQueuedFolders) {
    m_threads.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

FingerprintPool::~FingerprintPool() {
    m_threads.clear();
    m_threads.waitForDone();
}

void FingerprintPool::Add(int folder, const std::string& path, std::vector<File> files) {
    if (files.empty()) return;
    for (;;) {
        if (m_stop) return;
        if (m_folderSlots.tryAcquire(1, kWaitMs)) break;  // freed by the folder below
        if (m_busy) m_busy();
    }
    const int fd = folder >= 0 ? ::fcntl(folder, F_DUPFD_CLOEXEC, 0) : -1;
    const auto shared =
        std::make_shared<const Folder>(m_folderSlots, fd, path, std::move(files));
    for (std::size_t first = 0; first < shared->files.size(); first += kFilesPerTask) {
        const std::size_t end = std::min(first + kFilesPerTask, shared->files.size());
        m_threads.start([shared, first, end, &stop = m_stop] {
            for (std::size_t i = first; i < end && !stop; ++i) {
                const File& file = shared->files[i];
                file.record->m_facts.fingerprint =
                    shared->fd >= 0
                        ? FileFingerprintAt(shared->fd, file.name.c_str(), file.size)
                        : FileFingerprintAt(AT_FDCWD, (shared->path + '/' + file.name).c_str(),
                                            file.size);
            }
        });
    }
}

void FingerprintPool::Finish() {
    for (;;) {
        if (m_stop) m_threads.clear();  // what no thread has taken yet is dropped
        if (m_threads.waitForDone(kWaitMs)) return;
        if (m_busy) m_busy();
    }
}

}  // namespace ov2

#pragma once

#include <QSemaphore>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ov_file_data.h"

namespace ov2 {

// Reads the fingerprints of a walk's files on a few threads while the walk goes on: opening and
// reading a file costs more than the walk's one stat of it, so one thread doing both would
// take three times as long as the walk alone.
//
// The threads write nothing but each record's `m_facts.fingerprint`, and only until Finish
// returns; the walk's thread must not read it before then. A file that cannot be read is left
// without one, as is every file still queued once `stop` is set.
class FingerprintPool {
public:
    struct File {
        std::shared_ptr<COvFileData> record;
        std::string name;  // within its folder, as the file system gives it
        std::int64_t size = 0;
    };
    using Busy = std::function<void()>;

    // `busy` is called now and then while the walk waits here; it may set `stop`.
    FingerprintPool(const std::atomic<bool>& stop, Busy busy);
    ~FingerprintPool();  // as Finish, without calling `busy`
    FingerprintPool(const FingerprintPool&) = delete;
    FingerprintPool& operator=(const FingerprintPool&) = delete;

    // Queues regular files of one folder, open as `folder` (duplicated: the caller may close
    // it at once) or, when that is -1 or cannot be duplicated, at the native `path`. Waits while
    // many folders are queued, so that a walk far ahead of the reading does not run out of
    // open files.
    void Add(int folder, const std::string& path, std::vector<File> files);
    // Waits until every queued file is read, or dropped once `stop` is set.
    void Finish();

private:
    struct Folder;

    const std::atomic<bool>& m_stop;
    Busy m_busy;
    QSemaphore m_folderSlots;  // one for each folder that may be queued at once
    QThreadPool m_threads;     // after the slots: its threads return theirs before it is gone
};

}  // namespace ov2

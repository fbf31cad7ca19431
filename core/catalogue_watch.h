#pragma once

#include <QFileSystemWatcher>
#include <QString>
#include <functional>
#include <memory>

// Notices that somebody else changed the catalogue's file: its size, its time or its identity
// (another file renamed into its place, as every safe save does). The folder is watched as well
// as the file, since a file replaced by a rename is no longer the one being watched.
class CCatalogueWatch {
public:
    explicit CCatalogueWatch(std::function<void()> changed);
    CCatalogueWatch(const CCatalogueWatch&) = delete;
    CCatalogueWatch& operator=(const CCatalogueWatch&) = delete;

    // Watches the file from now on, as it is now; an empty path stops watching.
    void Watch(const QString& path);
    // The file as it is now is the one the program knows (after its own save or a reload).
    void TakeStamp();
    // Whether the file differs from the one the program read or wrote last. A file that is gone
    // counts as unchanged: saving it again loses nobody's work.
    bool ChangedOnDisk() const;

private:
    struct Stamp {
        bool exists = false;
        long long size = 0, seconds = 0, nanoseconds = 0;
        unsigned long long device = 0, inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const QString& path);
    void OnWatcherSignal();

    // Made at the first file watched, and only in a program with an event loop to report to
    // (the command-line tool has none).
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    QString m_path;
    Stamp m_stamp;
    bool m_noted = false;  // this change was reported already
    std::function<void()> m_changed;
};

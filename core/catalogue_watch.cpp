#include "core/catalogue_watch.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

CCatalogueWatch::CCatalogueWatch(std::function<void()> changed) : m_changed(std::move(changed)) {}

CCatalogueWatch::Stamp CCatalogueWatch::StampOf(const QString& path) {
    Stamp stamp;
    struct stat info {};
    if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &info) != 0) return stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.seconds = info.st_mtim.tv_sec;
    stamp.nanoseconds = info.st_mtim.tv_nsec;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    return stamp;
}

void CCatalogueWatch::Watch(const QString& path) {
    m_path = path;
    if (m_watcher) {
        if (!m_watcher->files().isEmpty()) m_watcher->removePaths(m_watcher->files());
        if (!m_watcher->directories().isEmpty()) m_watcher->removePaths(m_watcher->directories());
    } else if (!path.isEmpty() && QCoreApplication::instance()) {
        m_watcher = std::make_unique<QFileSystemWatcher>();
        QObject::connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, m_watcher.get(),
                         [this](const QString&) { OnWatcherSignal(); });
        QObject::connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_watcher.get(),
                         [this](const QString&) { OnWatcherSignal(); });
    }
    TakeStamp();
    if (path.isEmpty() || !m_watcher) return;
    m_watcher->addPath(QFileInfo(path).absolutePath());
    if (m_stamp.exists) m_watcher->addPath(path);
}

void CCatalogueWatch::TakeStamp() {
    m_stamp = StampOf(m_path);
    m_noted = false;
    // A file renamed into place is a new file to the watcher.
    if (m_watcher && m_stamp.exists && !m_watcher->files().contains(m_path)) m_watcher->addPath(m_path);
}

bool CCatalogueWatch::ChangedOnDisk() const {
    if (m_path.isEmpty()) return false;
    const Stamp now = StampOf(m_path);
    return now.exists && !(now == m_stamp);
}

void CCatalogueWatch::OnWatcherSignal() {
    if (m_path.isEmpty()) return;
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path)) m_watcher->addPath(m_path);
    if (m_noted || !ChangedOnDisk()) return;
    m_noted = true;
    if (m_changed) m_changed();
}

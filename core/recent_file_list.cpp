#include "core/recent_file_list.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString kGroup = QStringLiteral("Recent File List");
QString Key(int i) { return QStringLiteral("File%1").arg(i + 1); }
}  // namespace

CRecentFileList::CRecentFileList() {
    QSettings settings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
    settings.beginGroup(kGroup);
    for (int i = 0; i < kSize; ++i) {
        const QString file = settings.value(Key(i)).toString();
        if (!file.isEmpty() && !m_files.contains(file)) m_files << file;
    }
}

void CRecentFileList::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(absolute);
    m_files.prepend(absolute);
    while (m_files.size() > kSize) m_files.removeLast();
    Save();
}

void CRecentFileList::Remove(const QString& path) {
    if (m_files.removeAll(path) > 0) Save();
}

void CRecentFileList::Save() const {
    QSettings settings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
    settings.beginGroup(kGroup);
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            settings.setValue(Key(i), m_files[i]);
        else
            settings.remove(Key(i));
    }
}

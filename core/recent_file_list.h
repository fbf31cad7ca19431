#pragma once

#include <QString>
#include <QStringList>

// The four most recently used catalogues, most recent first, kept in the user's settings
// (organisation and application "Ov2").
class CRecentFileList {
public:
    static constexpr int kSize = 4;

    CRecentFileList();
    const QStringList& Files() const { return m_files; }
    // Puts the file first (once), drops what falls off the end, and saves the list.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Save() const;
    QStringList m_files;
};

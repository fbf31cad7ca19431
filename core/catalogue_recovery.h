#pragma once

#include <QDateTime>
#include <QString>
#include <string>
#include <vector>

class COvDiscDatabase;

// The copy of a catalogue's unsaved changes that outlives a crash: under
// $XDG_STATE_HOME/ov2/recovery/ (a folder only its user may enter), a catalogue file named after
// the process that wrote it and the catalogue, and beside it a line naming the catalogue's own
// file. A copy whose process is gone is one the next start offers to recover.
class CCatalogueRecovery {
public:
    struct Copy {
        QString copyPath;      // the recovered catalogue
        QString original;      // the catalogue's own file; empty for an untitled one
        QDateTime lastChange;  // when the copy was written
    };

    CCatalogueRecovery() = default;
    CCatalogueRecovery(const CCatalogueRecovery&) = delete;
    CCatalogueRecovery& operator=(const CCatalogueRecovery&) = delete;

    static QString Folder();
    // Writes the catalogue's copy through the safe save, replacing this process's last one.
    // False (error says why) when it could not be written; the last copy then stays.
    bool Write(COvDiscDatabase& database, const QString& original, std::string* error);
    // Deletes this process's copy: the changes were saved, or dropped on purpose.
    void Remove();
    bool HasCopy() const { return !m_copyPath.isEmpty(); }

    // The copies left by processes that ended without a clean quit, oldest first.
    static std::vector<Copy> LeftBehind();
    // Deletes a copy (Discard, or recovered).
    static void Delete(const Copy& copy);
    // Moves a copy that does not read out of the way, never deleting it; its new path.
    static QString SetAside(const Copy& copy);

private:
    QString m_copyPath;
};

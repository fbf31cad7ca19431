#pragma once

#include <QDateTime>
#include <QString>
#include <future>
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
    ~CCatalogueRecovery();
    CCatalogueRecovery(const CCatalogueRecovery&) = delete;
    CCatalogueRecovery& operator=(const CCatalogueRecovery&) = delete;

    static QString Folder();
    // Writes the catalogue's copy through the safe save, replacing this process's last one. The
    // bytes are made here; the file is written on a thread of its own, so the window does not
    // wait for the disk. False (error says why) when it could not be started; a copy that fails
    // to be written leaves the last one.
    bool Write(COvDiscDatabase& database, const QString& original, std::string* error);
    // Deletes this process's copy: the changes were saved, or dropped on purpose.
    void Remove();
    // Whether a copy lies in the folder, once the write under way has ended.
    bool HasCopy();

    // The copies left by processes that ended without a clean quit, oldest first.
    static std::vector<Copy> LeftBehind();
    // Deletes a copy (Discard, or recovered).
    static void Delete(const Copy& copy);
    // Moves a copy that does not read out of the way, never deleting it; its new path.
    static QString SetAside(const Copy& copy);

private:
    // Waits for the write under way; forgets the copy when none was left on the disk.
    void Settle();

    QString m_copyPath;
    std::future<bool> m_pending;  // the write under way
};

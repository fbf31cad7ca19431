#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>

// The mark that a catalogue is open for editing: a hidden file beside it (".Music.ovd.lock")
// holding one line, "user host pid time-opened". Another program (or another window) that finds
// it knows who edits the catalogue; the holder removes it when it lets the catalogue go.
class CCatalogueLock {
public:
    struct Owner {
        std::string user;
        std::string host;
        long long pid = 0;
        QDateTime since;
    };
    enum class State {
        Free,        // no lock, or a stale one (its process gone) that may be taken over
        Held,        // another process, or another window of this one, edits the catalogue
        Unwritable,  // the folder takes no lock (a read-only share, a burned disc)
    };
    struct Inspection {
        State state = State::Free;
        std::optional<Owner> owner;  // whose lock lies there, stale or not
    };

    CCatalogueLock() = default;
    ~CCatalogueLock();
    CCatalogueLock(CCatalogueLock&& other) noexcept;
    CCatalogueLock& operator=(CCatalogueLock&& other) noexcept;
    CCatalogueLock(const CCatalogueLock&) = delete;
    CCatalogueLock& operator=(const CCatalogueLock&) = delete;

    static QString LockPath(const QString& catalogue);
    // Who holds the catalogue. A lock of this host whose process is gone, or one of another
    // host older than a day, is stale: Free.
    static Inspection Inspect(const QString& catalogue);
    // "locked by anna on livingroom since 20:14" (the date too when it was not today).
    static std::string Describe(const Owner& owner);
    // "20:14", or "December 06 2026 20:14" when the lock was not taken today.
    static std::string SinceText(const Owner& owner);

    // Writes this process's lock beside the catalogue, replacing whatever lock lies there
    // (the caller decided that it may). False when the folder takes no lock.
    bool Acquire(const QString& catalogue);
    // Removes the lock, unless somebody else's lock took its place meanwhile.
    void Release();
    bool IsHeld() const { return !m_path.isEmpty(); }

private:
    QString m_path;     // the lock file while held
    QByteArray m_line;  // what it says, to know it is still ours
    unsigned long long m_inode = 0;
};

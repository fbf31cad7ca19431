#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

namespace ov2::find {

class CCatalogueIndex;

// The other catalogues Find searches: read from their files in the background, kept read-only
// in memory, and read again when a file changes (its size or modification time). A file that
// does not read keeps its reason, so that the results can say so.
class CCatalogueShelf final : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QString path;   // absolute
        QString label;  // the file's name, as results name the catalogue
        std::shared_ptr<const CCatalogueIndex> index;  // none until read, or when it did not read
        QString error;         // why the file did not read; empty when it did
        bool reading = false;  // a read is under way (the earlier index, if any, still serves)
        qint64 size = -1;      // the file as it was when the read began
        QDateTime modified;
        std::uint64_t generation = 0;  // which read of the file the index comes from
    };

    explicit CCatalogueShelf(QObject* parent = nullptr);
    // Waits for reads under way: they write into the shelf.
    ~CCatalogueShelf() override;

    // The files to hold, in their order. Files held already keep what was read; new ones are
    // read in the background; the others are let go.
    void SetFiles(const QStringList& paths);
    const std::vector<Entry>& Entries() const { return m_entries; }
    bool IsReading() const;
    // Reads again each file whose size or modification time differs from the read it has. A
    // timer calls it every `intervalMs` (0 stops the timer).
    void CheckForChanges();
    void SetCheckInterval(int intervalMs);
    // Waits until no read is under way (for a command-line search and for tests); the results
    // arrive with the next turn of the event loop.
    void WaitForReads();

Q_SIGNALS:
    // A file was read, read again, or did not read.
    void Changed();

private:
    void StartRead(Entry& entry);

    std::vector<Entry> m_entries;
    QThreadPool m_pool;  // reads never hold up the queries, which run in the global pool
    QTimer m_checkTimer;
    std::uint64_t m_nextGeneration = 1;
};

}  // namespace ov2::find

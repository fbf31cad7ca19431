#include "find/catalogue_shelf.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>

#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "find/find_index.h"
#include "platform/text.h"

namespace ov2::find {

namespace {

struct ReadOutcome {
    std::shared_ptr<const CCatalogueIndex> index;
    QString error;
};

// Runs on a reading thread: the database is its own until the index is built, and the index
// keeps only its records.
ReadOutcome ReadCatalogue(const QString& path, const QString& label) {
    ReadOutcome outcome;
    try {
        COvDiscDatabase database;
        std::string error;
        if (!ReadCatalogueFile(QFile::encodeName(path).toStdString(), database, &error)) {
            outcome.error = ov2::DecodeText(error);
            if (outcome.error.isEmpty()) outcome.error = QStringLiteral("not a catalogue");
            return outcome;
        }
        outcome.index = CCatalogueIndex::Build(database, label.toStdString());
    } catch (const std::bad_alloc&) {
        outcome.index.reset();
        outcome.error = QStringLiteral("not enough memory");
    } catch (const std::exception& e) {
        outcome.index.reset();
        outcome.error = QString::fromLocal8Bit(e.what());
    }
    return outcome;
}

}  // namespace

CCatalogueShelf::CCatalogueShelf(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    connect(&m_checkTimer, &QTimer::timeout, this, &CCatalogueShelf::CheckForChanges);
    SetCheckInterval(2000);
}

CCatalogueShelf::~CCatalogueShelf() {
    WaitForReads();
}

void CCatalogueShelf::WaitForReads() {
    m_pool.waitForDone();
}

void CCatalogueShelf::SetCheckInterval(int intervalMs) {
    if (intervalMs <= 0) {
        m_checkTimer.stop();
        return;
    }
    m_checkTimer.start(intervalMs);
}

bool CCatalogueShelf::IsReading() const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const Entry& e) { return e.reading; });
}

void CCatalogueShelf::SetFiles(const QStringList& paths) {
    std::vector<Entry> entries;
    std::vector<std::size_t> fresh;
    for (const QString& given : paths) {
        const QString path = QFileInfo(given).absoluteFilePath();
        const auto held = std::find_if(m_entries.begin(), m_entries.end(),
                                       [&](const Entry& e) { return e.path == path; });
        if (held != m_entries.end()) {
            entries.push_back(std::move(*held));
            m_entries.erase(held);
            continue;
        }
        Entry entry;
        entry.path = path;
        entry.label = QFileInfo(path).fileName();
        entries.push_back(std::move(entry));
        fresh.push_back(entries.size() - 1);
    }
    const bool dropped = !m_entries.empty();
    m_entries = std::move(entries);
    for (std::size_t i : fresh) StartRead(m_entries[i]);
    if (dropped) Q_EMIT Changed();
}

void CCatalogueShelf::CheckForChanges() {
    for (Entry& entry : m_entries) {
        if (entry.reading) continue;  // its next check sees what the read did not
        const QFileInfo info(entry.path);
        const qint64 size = info.exists() ? info.size() : -1;
        const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
        if (size != entry.size || modified != entry.modified) StartRead(entry);
    }
}

void CCatalogueShelf::StartRead(Entry& entry) {
    // The file as it is now: a change while it is being read shows at the next check.
    const QFileInfo info(entry.path);
    entry.size = info.exists() ? info.size() : -1;
    entry.modified = info.exists() ? info.lastModified() : QDateTime();
    entry.reading = true;
    entry.generation = m_nextGeneration++;

    const QString path = entry.path;
    const std::uint64_t generation = entry.generation;
    auto* watcher = new QFutureWatcher<ReadOutcome>(this);
    connect(watcher, &QFutureWatcher<ReadOutcome>::finished, this,
            [this, watcher, path, generation] {
                watcher->deleteLater();
                const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                                [&](const Entry& e) { return e.path == path; });
                // A file let go, or read again since: this read is of no use.
                if (entry == m_entries.end() || entry->generation != generation) return;
                ReadOutcome outcome = watcher->result();
                entry->reading = false;
                entry->error = outcome.error;
                entry->index = std::move(outcome.index);
                Q_EMIT Changed();
            });
    watcher->setFuture(QtConcurrent::run(&m_pool, ReadCatalogue, path, entry.label));
}

}  // namespace ov2::find

#include "find/find_session.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include "core/ov2_doc.h"
#include "find/find_query.h"
#include "find/find_settings.h"

namespace ov2::find {

namespace {

// After a catalogue was opened, the window paints before the index is built.
constexpr int kFirstBuildDelayMs = 150;

}  // namespace

CFindSession::CFindSession(COv2Doc* doc, QObject* parent) : QObject(parent), m_pDocument(doc) {
    m_nThreads = std::max(1, QThread::idealThreadCount());
    m_buildTimer.setSingleShot(true);
    connect(&m_buildTimer, &QTimer::timeout, this, [this] {
        if (m_bIndexStale) {
            BuildOpenIndex();
            Rerun();
        }
    });
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, &CFindSession::OnFinished);
    connect(&m_shelf, &CCatalogueShelf::Changed, this, &CFindSession::Rerun);
    m_pDocument->AddCatalogueListener(this,
                                      [this](bool replaced) { OnCatalogueChanged(replaced); });
    UpdateShelfFiles();
    m_buildTimer.start(kFirstBuildDelayMs);
}

CFindSession::~CFindSession() {
    m_pDocument->RemoveCatalogueListener(this);
    if (m_cancel) *m_cancel = true;
    m_watcher.waitForFinished();
}

void CFindSession::ReloadSettings() {
    UpdateShelfFiles();
}

void CFindSession::UpdateShelfFiles() {
    m_strShelfOpenPath = m_pDocument->GetPathName();
    m_shelf.SetFiles(CFindSettings::Load().Files(m_pDocument->RecentFiles().Files(),
                                                 m_pDocument->GetPathName()));
}

void CFindSession::OnCatalogueChanged(bool replaced) {
    m_bIndexStale = true;
    if (replaced) {
        m_bReplaced = true;
        ++m_nReplacements;
        // The records the old index shares go with it; the rows that showed them are dropped
        // when the new results arrive.
        m_buildTimer.start(kFirstBuildDelayMs);
    } else if (!m_buildTimer.isActive()) {
        // An edit may report before its last record changed: the index follows a moment later,
        // and a burst of edits costs one build.
        m_buildTimer.start(0);
    }
    // Opening or saving under a new name changes the open catalogue's file, which the shelf
    // then leaves out, and the recent files; an edit changes neither.
    if (replaced || m_pDocument->GetPathName() != m_strShelfOpenPath) UpdateShelfFiles();
}

std::shared_ptr<const CCatalogueIndex> CFindSession::OpenIndex() {
    if (m_bIndexStale) BuildOpenIndex();
    return m_openIndex;
}

void CFindSession::BuildOpenIndex() {
    m_buildTimer.stop();
    m_bIndexStale = false;
    const COvDiscDatabase* database = m_pDocument->m_pDatabase.get();
    if (!database) {
        m_openIndex.reset();
        return;
    }
    auto previous = m_bReplaced ? nullptr : m_openIndex;
    m_bReplaced = false;
    m_openIndex = CCatalogueIndex::Build(*database, m_pDocument->GetTitle().toStdString(),
                                         std::move(previous));
}

void CFindSession::SetQuery(const QString& text) {
    if (text.trimmed().isEmpty()) {
        m_strQuery.clear();
        m_query.reset();
        m_bMalformed = false;
        if (m_cancel) *m_cancel = true;
        m_waiting = false;
        m_bRunAgain = false;
        Q_EMIT Cleared();
        return;
    }
    ParseOutcome parsed = ParseQuery(text.toStdString());
    if (!parsed.query) {
        // What is on screen stays, while the text is malformed: the user is most likely in the
        // middle of typing, and a late answer to an earlier text would replace the rows under
        // the error.
        m_bMalformed = true;
        if (m_cancel) *m_cancel = true;
        m_bRunAgain = false;
        m_waiting = false;
        Q_EMIT QueryFailed(QString::fromStdString(parsed.error));
        return;
    }
    m_bMalformed = false;
    m_strQuery = text;
    m_query = std::move(parsed.query);
    Rerun();
}

void CFindSession::Rerun() {
    if (!m_query || m_bMalformed) return;
    if (m_running) {
        // One query at a time: the one under way ends at its next look at the flag.
        *m_cancel = true;
        m_bRunAgain = true;
        return;
    }
    if (m_bIndexStale && !m_buildTimer.isActive()) m_buildTimer.start(0);
    if (m_bIndexStale) {
        // The open catalogue's index is on its way; the query runs once it is there.
        m_waiting = true;
        return;
    }
    Start();
}

void CFindSession::Start() {
    m_waiting = false;
    m_runCatalogues.clear();
    m_runPaths.clear();
    m_runOpenPath = m_pDocument->GetPathName();
    m_runReplacements = m_nReplacements;
    if (m_openIndex) {
        m_runCatalogues.push_back(m_openIndex);
        m_runPaths.emplace_back();
    }
    for (const CCatalogueShelf::Entry& entry : m_shelf.Entries()) {
        if (!entry.index) continue;
        m_runCatalogues.push_back(entry.index);
        m_runPaths.push_back(entry.path);
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    m_bRunAgain = false;
    // The worker holds its own references: the session may let go of them meanwhile.
    m_watcher.setFuture(QtConcurrent::run(
        [query = m_query, catalogues = m_runCatalogues, cancel = m_cancel, threads = m_nThreads] {
            return Run(*query, catalogues, cancel.get(), threads);
        }));
}

void CFindSession::OnFinished() {
    m_running = false;
    const bool stale = m_bRunAgain || !m_query || m_bMalformed || m_cancel->load();
    if (stale) {
        if (m_bRunAgain) Rerun();
        return;
    }
    auto results = std::make_shared<FindResults>();
    results->text = m_strQuery;
    results->outcome = m_watcher.result();
    if (results->outcome.cancelled) return;
    results->catalogues = std::move(m_runCatalogues);
    results->paths = std::move(m_runPaths);
    results->openPath = m_runOpenPath;
    results->replacements = m_runReplacements;
    Q_EMIT ResultsReady(results);
}

}  // namespace ov2::find

#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <vector>

#include "find/catalogue_shelf.h"
#include "find/find_index.h"

class COv2Doc;

namespace ov2::find {

class CQuery;

// What one query found, with the catalogues it searched (the hits point into them, and they
// keep the records alive while the rows are shown).
struct FindResults {
    QString text;  // the query
    Outcome outcome;
    std::vector<std::shared_ptr<const CCatalogueIndex>> catalogues;
    std::vector<QString> paths;  // each catalogue's file; empty for the open catalogue
    // The open catalogue's file when the query ran (empty while unsaved), and how often another
    // catalogue had taken its place by then: rows of an earlier open catalogue are of a file.
    QString openPath;
    int replacements = 0;
};

// Find as the user types: the open catalogue's index (rebuilt after each edit from the previous
// one, so that only the discs that changed are folded again), the other catalogues of the
// shelf, and the query that runs over them on a worker thread. Each new text cancels the query
// before it; a stale query's results never arrive. No widgets: the pane shows what it says.
class CFindSession final : public QObject {
    Q_OBJECT
public:
    explicit CFindSession(COv2Doc* doc, QObject* parent = nullptr);
    // Cancels the query under way and waits for it.
    ~CFindSession() override;

    CCatalogueShelf* Shelf() { return &m_shelf; }
    COv2Doc* Document() const { return m_pDocument; }
    // How often another catalogue took the open one's place (new, open).
    int Replacements() const { return m_nReplacements; }

    // A new text: parsed at once; a malformed one is reported (QueryFailed) and changes nothing
    // else; a good one replaces the query under way. A blank text ends the search (Cleared).
    void SetQuery(const QString& text);
    QString Query() const { return m_strQuery; }
    // The same query again, over the catalogues as they are now.
    void Rerun();
    // The open catalogue's index, built now if an edit left it behind; none without catalogue.
    std::shared_ptr<const CCatalogueIndex> OpenIndex();
    // Whether a query is under way or waits for the open catalogue's index.
    bool IsBusy() const { return m_running || m_waiting; }
    // Takes the settings again (the catalogues to search besides the open one).
    void ReloadSettings();
    // Threads a query may use.
    void SetThreads(int threads) { m_nThreads = std::max(1, threads); }

Q_SIGNALS:
    void QueryFailed(const QString& error);
    void ResultsReady(const std::shared_ptr<const ov2::find::FindResults>& results);
    void Cleared();

private:
    void OnCatalogueChanged(bool replaced);
    void UpdateShelfFiles();
    void BuildOpenIndex();
    void Start();
    void OnFinished();

    COv2Doc* m_pDocument;
    CCatalogueShelf m_shelf;
    std::shared_ptr<const CCatalogueIndex> m_openIndex;
    bool m_bIndexStale = true;
    bool m_bReplaced = true;  // the next build starts afresh (another catalogue took the place)
    int m_nReplacements = 0;
    QString m_strShelfOpenPath;  // the open catalogue's file when the shelf's files were chosen
    QTimer m_buildTimer;

    QString m_strQuery;  // the last good text
    std::shared_ptr<const CQuery> m_query;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QFutureWatcher<Outcome> m_watcher;
    std::vector<std::shared_ptr<const CCatalogueIndex>> m_runCatalogues;
    std::vector<QString> m_runPaths;
    QString m_runOpenPath;
    int m_runReplacements = 0;
    bool m_running = false;
    bool m_waiting = false;     // a query waits for the open catalogue's index
    bool m_bRunAgain = false;   // a newer query waits for the cancelled one to end
    bool m_bMalformed = false;  // the text does not parse: the results shown stay as they are
    int m_nThreads = 1;
};

}  // namespace ov2::find

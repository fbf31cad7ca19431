// Find in the window: from a new text in the box to painted rows, over the 1,000 discs × 1,000
// files catalogue, for a query of about a thousand rows and one of several hundred thousand;
// sorting those rows by a column; reading ten other catalogues of half a million names.
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include "bench/catalogue_generator.h"
#include "core/catalogue_file.h"
#include "core/ov2_doc.h"
#include "find/catalogue_shelf.h"
#include "find/find_index.h"
#include "find/find_model.h"
#include "find/find_session.h"
#include "find/gui/find_box.h"
#include "find/gui/find_pane.h"

namespace {

struct Window {
    Window() {
        doc.OnNewDocument();
        GenerateCatalogue(*doc.m_pDatabase, 1000, 1000);
        pane.resize(1200, 500);
        pane.show();
        pane.Session()->OpenIndex();
    }
    // Types the text and waits for its rows to be painted.
    void Answer(const QString& text) {
        pane.Box()->setText(text);
        while (!pane.Model()->Results() || pane.Model()->Results()->text != text ||
               pane.Session()->IsBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        pane.Table()->viewport()->repaint();
    }
    COv2Doc doc;
    CFindPane pane{&doc};
};

void KeystrokeToPaintedRows(benchmark::State& state, const char* first, const char* second) {
    static Window window;
    bool flip = false;
    for (auto _ : state) {
        window.Answer(QString::fromLatin1(flip ? first : second));
        flip = !flip;
    }
    state.counters["rows"] = window.pane.Model()->rowCount();
}
BENCHMARK_CAPTURE(KeystrokeToPaintedRows, about1000, "changelog.txt|license.txt|notes.txt",
                  "readme.txt|draft.txt|manual.txt")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK_CAPTURE(KeystrokeToPaintedRows, hundreds_of_thousands, "e", "a")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

// A click on a column's title over half a million rows: the rows are ordered on the GUI thread.
void SortRows(benchmark::State& state) {
    static Window window;
    window.Answer(QStringLiteral("e"));
    bool descending = false;
    for (auto _ : state) {
        window.pane.Model()->sort(static_cast<int>(state.range(0)),
                                  descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        descending = !descending;
    }
    state.counters["rows"] = window.pane.Model()->rowCount();
}
BENCHMARK(SortRows)
    ->Arg(ov2::find::CFindModel::kColumnName)
    ->Arg(ov2::find::CFindModel::kColumnSize)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

// The other catalogues at start: ten files of 500,000 names each read into memory, from the
// list to the last one ready for queries.
void ReadTenCatalogues(benchmark::State& state) {
    const QTemporaryDir dir;
    QStringList files;
    {
        COvDiscDatabase database;
        GenerateCatalogue(database, 500, 1000);
        const std::string bytes = CatalogueBytes(database);
        for (int i = 0; i < 10; ++i) {
            files << dir.filePath(QStringLiteral("Catalogue%1.ovd").arg(i));
            QFile file(files.back());
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                    static_cast<qint64>(bytes.size()))
                state.SkipWithError("cannot write the catalogues");
        }
    }
    std::size_t names = 0;
    for (auto _ : state) {
        ov2::find::CCatalogueShelf shelf;
        shelf.SetFiles(files);
        while (shelf.IsReading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        names = 0;
        for (const auto& entry : shelf.Entries())
            names += entry.index ? entry.index->FileCount() : 0;
    }
    state.counters["names"] = static_cast<double>(names);
}
BENCHMARK(ReadTenCatalogues)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

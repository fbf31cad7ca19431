// The search on the catalogue of a long-time user (1,000 discs of 1,000 files): the matching
// alone, a result window shown and filled for a search that finds about 1,200 files and for one
// that finds about 255,000 ("jpg"), and sorting that large window by a column.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include "bench/catalogue_generator.h"
#include "catalog_ops/catalogue_search.h"
#include "catalog_ops/dialog_search.h"
#include "catalog_ops/list_sort.h"
#include "core/ov2_doc.h"

namespace {

// Patterns that find about 1,200 and about 255,000 of the generated names.
constexpr const char* kFewPattern = "img_12";
constexpr const char* kManyPattern = "jpg";

COv2Doc& Catalogue() {
    static COv2Doc* doc = [] {
        auto* d = new COv2Doc;
        d->OnNewDocument();
        GenerateCatalogue(*d->m_pDatabase, 1000, 1000);
        return d;
    }();
    return *doc;
}

void BM_MatchFiles(benchmark::State& state, const char* pattern) {
    const COvDiscDatabase& database = *Catalogue().m_pDatabase;
    ov2::SearchQuery query;
    query.pattern = pattern;
    query.files = true;
    std::size_t rows = 0;
    for (auto _ : state) rows = ov2::SearchCatalogue(database, query).size();
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK_CAPTURE(BM_MatchFiles, few, kFewPattern)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_MatchFiles, many, kManyPattern)->Unit(benchmark::kMillisecond)->UseRealTime();


// From the window's creation until it is on screen with its rows.
void BM_ResultWindow(benchmark::State& state, const char* pattern) {
    COv2Doc& doc = Catalogue();
    int rows = 0;
    for (auto _ : state) {
        auto* window = new CDialogSearch(&doc, {pattern, "files", "all"}, {});
        window->show();
        QApplication::processEvents();
        rows = window->findChild<QTreeWidget*>(QStringLiteral("FileList"))->topLevelItemCount();
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK_CAPTURE(BM_ResultWindow, few, kFewPattern)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ResultWindow, many, kManyPattern)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// A header click on the large window: by name, by size, by disc number.
void BM_SortLargeWindow(benchmark::State& state) {
    CDialogSearch window(&Catalogue(), {kManyPattern, "files", "all"}, {});
    window.show();
    QApplication::processEvents();
    auto* list = window.findChild<QTreeWidget*>(QStringLiteral("FileList"));
    const int column = static_cast<int>(state.range(0));
    const ov2::SortKind kinds[] = {ov2::SortKind::Text, ov2::SortKind::WholeNumber,
                                   ov2::SortKind::Size};
    Qt::SortOrder order = Qt::DescendingOrder;
    for (auto _ : state) {
        ov2::SortListRows(list, column, kinds[column], order);
        QApplication::processEvents();
        order = order == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    }
    state.counters["rows"] = list->topLevelItemCount();
}
BENCHMARK(BM_SortLargeWindow)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

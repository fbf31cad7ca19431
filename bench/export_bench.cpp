// Exports of the catalogue of a long-time user (1,000 discs of 1,000 files) to each format, and
// the JSON Lines read back by the importer. The size of each file is reported beside its time.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/catalogue_generator.h"
#include "core/disc_database.h"
#include "export/catalogue_export.h"
#include "export/catalogue_import.h"

namespace {

using namespace ov2::exporting;

COvDiscDatabase& Catalogue() {
    static COvDiscDatabase* database = [] {
        auto* d = new COvDiscDatabase;  // kept for the whole run
        GenerateCatalogue(*d, 1000, 1000);
        return d;
    }();
    return *database;
}

QString Target(Format format) {
    return QDir::temp().filePath(QStringLiteral("ov2_export_bench.") +
                                 QString::fromLatin1(FormatExtension(format)));
}

void BM_Export(benchmark::State& state) {
    const auto format = static_cast<Format>(state.range(0));
    const COvDiscDatabase& database = Catalogue();
    const ExportSelection selection = WholeCatalogue(database);
    ExportOptions options;
    options.format = format;
    options.catalogue = "Catalogue.ovd";
    for (auto _ : state) {
        const ExportResult result = ExportCatalogue(database, selection, options, Target(format));
        if (result.status != ExportStatus::Done) state.SkipWithError("the export failed");
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(Target(format)).size()) / 1e6;
    state.counters["files"] = static_cast<double>(FileCount(database, selection));
}
BENCHMARK(BM_Export)
    ->ArgName("format")
    ->Arg(static_cast<int>(Format::Csv))
    ->Arg(static_cast<int>(Format::Tsv))
    ->Arg(static_cast<int>(Format::JsonLines))
    ->Arg(static_cast<int>(Format::Html))
    ->Arg(static_cast<int>(Format::Sqlite))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ImportJsonLines(benchmark::State& state) {
    ExportOptions options;
    options.format = Format::JsonLines;
    ExportCatalogue(Catalogue(), WholeCatalogue(Catalogue()), options, Target(Format::JsonLines));
    std::ifstream in(std::filesystem::path(Target(Format::JsonLines).toStdString()),
                     std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    for (auto _ : state) {
        auto* database = new COvDiscDatabase;  // freed after the clock: only the reading counts
        QString error;
        if (!ImportCatalogue(text, *database, &error)) state.SkipWithError("the import failed");
        state.PauseTiming();
        delete database;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportJsonLines)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(2);

}  // namespace

BENCHMARK_MAIN();

// Find on the catalogue of a long-time user (1,000 discs of 1,000 files) and on ten catalogues
// of 500,000 files searched together: building the index (and again after one disc changed),
// its bytes per file, and queries of each kind on one and on two threads. Each query runs as
// single iterations repeated, so that the median and the 95th percentile are those of one query.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/catalogue_generator.h"
#include "core/catalogue_file.h"
#include "core/disc_database.h"
#include "find/find_index.h"
#include "find/find_query.h"

namespace {

using ov2::find::CCatalogueIndex;
using IndexList = std::vector<std::shared_ptr<const CCatalogueIndex>>;

COvDiscDatabase& Catalogue() {
    static COvDiscDatabase* database = [] {
        auto* d = new COvDiscDatabase;
        GenerateCatalogue(*d, 1000, 1000);
        return d;
    }();
    return *database;
}

const IndexList& OneCatalogue() {
    static const IndexList list{CCatalogueIndex::Build(Catalogue(), "Catalogue.ovd")};
    return list;
}

// Ten catalogues of 500 discs of 1,000 files, each from its own seed.
const IndexList& TenCatalogues() {
    static const IndexList list = [] {
        IndexList indexes;
        for (std::uint64_t i = 0; i < 10; ++i) {
            auto* database =
                new COvDiscDatabase;  // kept for the whole run, as the window keeps them
            GenerateCatalogue(*database, 500, 1000, 1000 + i);
            indexes.push_back(
                CCatalogueIndex::Build(*database, "Catalogue" + std::to_string(i) + ".ovd"));
        }
        return indexes;
    }();
    return list;
}

double Percentile(const std::vector<double>& values, double p) {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1,
                           static_cast<std::size_t>(std::ceil(p * sorted.size())) - 1)];
}

template <class Repeated>
auto WithPercentiles(Repeated* b) {
    return b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(40)
        ->ComputeStatistics("p95", [](const std::vector<double>& v) { return Percentile(v, 0.95); })
        ->ReportAggregatesOnly(true);
}

void BM_Build(benchmark::State& state) {
    std::shared_ptr<const CCatalogueIndex> index;
    for (auto _ : state) index = CCatalogueIndex::Build(Catalogue(), "Catalogue.ovd");
    state.counters["files"] = static_cast<double>(index->FileCount());
    state.counters["bytes_per_file"] =
        static_cast<double>(index->MemoryBytes()) / static_cast<double>(index->FileCount());
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// One disc renamed since the last index: the other 999 are taken over.
void BM_BuildAfterEdit(benchmark::State& state) {
    COvDiscDatabase& database = Catalogue();
    const auto before = CCatalogueIndex::Build(database, "Catalogue.ovd");
    const OvString name = database.m_lstDiscs[500]->m_strName;
    database.m_lstDiscs[500]->m_strName = "Renamed";
    std::shared_ptr<const CCatalogueIndex> index;
    for (auto _ : state) index = CCatalogueIndex::Build(database, "Catalogue.ovd", before);
    database.m_lstDiscs[500]->m_strName = name;
    state.counters["reused"] = static_cast<double>(index->ReusedDiscCount());
}
BENCHMARK(BM_BuildAfterEdit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Query(benchmark::State& state, const char* text, bool ten) {
    const IndexList& indexes = ten ? TenCatalogues() : OneCatalogue();
    const auto query = ov2::find::ParseQuery(text).query;
    if (!query) {
        state.SkipWithError("the query does not parse");
        return;
    }
    const int threads = static_cast<int>(state.range(0));
    std::size_t rows = 0;
    for (auto _ : state) rows = ov2::find::Run(*query, indexes, nullptr, threads).hits.size();
    state.counters["rows"] = static_cast<double>(rows);
}

#define FIND_QUERY(name, text, ten)                                   \
    BENCHMARK_CAPTURE(BM_Query, name, text, ten)->Apply([](auto* b) { \
        WithPercentiles(b->Arg(1)->Arg(2));                           \
    })

FIND_QUERY(word_few, "img_12", false);
FIND_QUERY(word_many, "jpg", false);
FIND_QUERY(word_none, "zebra", false);
FIND_QUERY(three_words_ext_size, "love night ext:mp3 size:>5mb", false);
FIND_QUERY(wildcard, "img_1*.jpg", false);
FIND_QUERY(regex, "regex:\"^0[1-4] - .*(love|rain).*\\.mp3$\"", false);
FIND_QUERY(regex_simple, "regex:^img_\\d+\\.jpg$", false);
FIND_QUERY(folders, "folder: canon", false);
FIND_QUERY(ten_catalogues_word, "img_12", true);
FIND_QUERY(ten_catalogues_three_words, "love night ext:mp3 size:>5mb", true);

// `ov2cat find` beside `ov2cat stat` on the catalogue saved to a file: reading it dominates both,
// and one query from the command line should cost little more than counting.
const std::filesystem::path& CatalogueFile() {
    static const std::filesystem::path path = [] {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / "ov2_find_bench.ovd";
        std::ofstream(file, std::ios::binary) << CatalogueBytes(Catalogue());
        std::atexit([] {
            std::filesystem::remove(std::filesystem::temp_directory_path() / "ov2_find_bench.ovd");
        });
        return file;
    }();
    return path;
}

void BM_Ov2cat(benchmark::State& state, const char* arguments) {
    const std::string command =
        std::string(OV2CAT_PATH) + " " + arguments + " " + CatalogueFile().string() + " >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("ov2cat failed");
}
BENCHMARK_CAPTURE(BM_Ov2cat, stat, "stat")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_Ov2cat, find_word, "find img_12")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_Ov2cat, find_three_words, "find 'love night ext:mp3 size:>5mb'")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();

// Find Duplicates over the catalogue of a long-time user (1,000 discs of 1,000 files): without
// fingerprints (names and sizes only), with a fingerprint on every other file, and the single
// copies; and Find's dupe:, whose copies are grouped once for the indexes it is asked over.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench/catalogue_generator.h"
#include "core/disc_database.h"
#include "dupes/duplicates.h"
#include "find/find_index.h"
#include "find/find_query.h"

namespace {

COvDiscDatabase& Catalogue(bool fingerprints) {
    static COvDiscDatabase* plain = nullptr;
    static COvDiscDatabase* printed = nullptr;
    COvDiscDatabase*& database = fingerprints ? printed : plain;
    if (!database) {
        database = new COvDiscDatabase;  // kept for the whole run
        GenerateCatalogue(*database, 1000, 1000);
        if (fingerprints) {
            // Every other file has one; a few thousand contents recur under other names.
            std::mt19937_64 random(7);
            std::size_t i = 0;
            for (const auto& disc : database->m_lstDiscs)
                for (const auto& file : disc->m_lstFiles)
                    if (++i % 2 == 0) file->m_facts.fingerprint = random() % 400'000 + 1;
        }
    }
    return *database;
}

void BM_Duplicates(benchmark::State& state) {
    const ov2::dupes::Catalogue catalogues[] = {{&Catalogue(state.range(0) != 0), "Catalogue.ovd"}};
    std::vector<ov2::dupes::Group> groups;
    for (auto _ : state) groups = ov2::dupes::FindDuplicates(catalogues, {});
    std::size_t files = 0;
    for (const auto& group : groups) files += group.files.size();
    state.counters["groups"] = static_cast<double>(groups.size());
    state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_Duplicates)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_SingleCopies(benchmark::State& state) {
    const ov2::dupes::Catalogue catalogues[] = {{&Catalogue(true), "Catalogue.ovd"}};
    std::size_t files = 0;
    for (auto _ : state) files = ov2::dupes::FindSingleCopies(catalogues, {}).size();
    state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_SingleCopies)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The first dupe: query over a new index groups the copies; the next ones reuse them.
void BM_FindDupe(benchmark::State& state) {
    const std::shared_ptr<const ov2::find::CCatalogueIndex> list[] = {
        ov2::find::CCatalogueIndex::Build(Catalogue(true), "Catalogue.ovd")};
    const auto query = ov2::find::ParseQuery("dupe:").query;
    std::size_t rows = 0;
    for (auto _ : state) rows = ov2::find::Run(*query, list).hits.size();
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_FindDupe)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();

// Merging a rescan of a disc of 100,000 files with its catalogued records, beyond the walk:
// a tenth of the files changed in size, a hundredth moved to another folder, a hundredth
// renamed in case, a hundredth removed and as many added; every old record carries a category.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ov_file_data.h"
#include "scan/disc_rescan.h"

namespace {

using Files = std::vector<std::shared_ptr<COvFileData>>;

std::shared_ptr<COvFileData> Record(std::string_view drive, const std::string& folder,
                                    const std::string& name, int size) {
    auto file = std::make_shared<COvFileData>();
    file->m_strDrive = drive;
    file->m_strFolder = std::string(drive) + folder;
    file->m_strFileName = name;
    file->m_strSize = std::to_string(size);
    return file;
}

Files OldDisc(int count) {
    Files files;
    for (int i = 0; i < count; ++i) {
        auto file = Record("e:", "\\folder" + std::to_string(i / 100) + "\\",
                           "file_" + std::to_string(i) + ".jpg", 1000 + i);
        file->m_lstCategories = {"Photos"};
        files.push_back(std::move(file));
    }
    return files;
}

Files NewDisc(int count) {
    Files files;
    for (int i = 0; i < count; ++i) {
        if (i % 100 == 1) continue;  // removed
        std::string folder = "\\folder" + std::to_string(i / 100) + "\\";
        std::string name = "file_" + std::to_string(i) + ".jpg";
        if (i % 100 == 2) folder = "\\moved\\";
        if (i % 100 == 3) name = "FILE_" + std::to_string(i) + ".jpg";
        files.push_back(Record("f:", folder, name, i % 10 == 4 ? 7 : 1000 + i));
        if (i % 100 == 5) files.push_back(Record("f:", folder, "new_" + std::to_string(i), 1));
    }
    return files;
}

void BM_MergeRescan(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const Files old = OldDisc(count);
    ov2::RescanSummary summary;
    for (auto _ : state) {
        state.PauseTiming();
        Files scanned = NewDisc(count);
        state.ResumeTiming();
        ov2::RescanMerge merge = ov2::MergeRescan(old, std::move(scanned));
        state.PauseTiming();
        summary = merge.summary;
        merge = {};  // the records are freed outside the timing
        state.ResumeTiming();
    }
    state.counters["added"] = summary.added;
    state.counters["removed"] = summary.removed;
    state.counters["changed"] = summary.changed;
    state.counters["moved"] = summary.moved;
    state.counters["kept"] = summary.categoriesKept;
}
BENCHMARK(BM_MergeRescan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

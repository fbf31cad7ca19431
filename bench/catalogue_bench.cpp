// Saving and loading a large catalogue: 1,000 discs of 1,000 files each.
//
//   bench_catalogue                              the benchmarks (save; load and its peak memory, without
//                                                and with every fact; many settings)
//   bench_catalogue --write-catalogue FILE       writes the generated catalogue, for profiling
//   bench_catalogue --measure-load FILE          loads FILE and prints the peak resident memory;
//                                                BM_LoadPeakMemory runs this in a fresh process
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/catalogue_generator.h"
#include "core/archive.h"
#include "core/catalogue_check.h"
#include "core/catalogue_file.h"
#include "core/catalogue_save.h"
#include "core/disc_database.h"
#include "core/hash_map.h"
#include "core/string_list.h"

namespace {

constexpr std::size_t kDiscs = 1000;
constexpr std::size_t kFilesPerDisc = 1000;
constexpr double kMiB = 1024.0 * 1024.0;

// The highest resident set size of this process so far, in KiB.
long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::size_t FileRecords(const COvDiscDatabase& database) {
    std::size_t files = 0;
    for (const auto& disc : database.m_lstDiscs) files += disc->m_lstFiles.size();
    return files;
}

bool SaveFile(COvDiscDatabase& database, const std::filesystem::path& path, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *error = "cannot create " + path.string();
        return false;
    }
    const bool written = WriteCatalogue(database, [&out](const char* data, std::size_t size) {
        out.write(data, static_cast<std::streamsize>(size));
        return static_cast<bool>(out);
    }, error);
    out.close();
    if (written && !out) *error = "cannot write " + path.string();
    return written && out;
}

// A folder for the catalogue files, removed at exit.
class Workspace {
public:
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ov2-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_path = pattern;
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

Workspace& Folder() {
    static Workspace workspace;
    return workspace;
}

// The generated catalogue, made once for all benchmarks.
COvDiscDatabase& Catalogue() {
    static const std::unique_ptr<COvDiscDatabase> database = [] {
        auto db = std::make_unique<COvDiscDatabase>();
        GenerateCatalogue(*db, kDiscs, kFilesPerDisc);
        return db;
    }();
    return *database;
}

// Gives every file a modification time and a fingerprint and every disc its volume facts, as
// a scan with fingerprints leaves them: the most facts a catalogue can carry.
void AddFacts(COvDiscDatabase& database) {
    std::uint64_t state = 20261208;
    const auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 1 | 1;
    };
    for (const auto& disc : database.m_lstDiscs) {
        disc->m_facts = {"ext4", "BACKUP_" + disc->m_strNumber.str(), "0b8c6a2e-3f1d-4c55-9d0e-5a1b2c3d4e5f",
                         "WD Elements 25A2", 1000204886016, 225686003712, "2026-12-08T14:03:09+01:00"};
        std::int64_t time = 1100000000 + static_cast<std::int64_t>(next() % 600000000);
        for (const auto& file : disc->m_lstFiles) {
            time += static_cast<std::int64_t>(next() % 100000) - 30000;
            file->m_facts.modified = time;
            file->m_facts.fingerprint = next();
        }
    }
}

// The generated catalogue saved to a file, without facts or with, written once; empty when it
// could not be written.
const std::filesystem::path& CatalogueFile(bool facts = false) {
    static const auto write = [](bool withFacts) {
        const std::filesystem::path file = Folder() / (withFacts ? "facts.ovd" : "catalogue.ovd");
        std::string error;
        COvDiscDatabase* database = &Catalogue();
        std::unique_ptr<COvDiscDatabase> copy;
        if (withFacts) {
            copy = std::make_unique<COvDiscDatabase>();
            GenerateCatalogue(*copy, kDiscs, kFilesPerDisc);
            AddFacts(*copy);
            database = copy.get();
        }
        if (!SaveFile(*database, file, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return std::filesystem::path();
        }
        return file;
    };
    static const std::filesystem::path plain = write(false);
    if (!facts) return plain;
    static const std::filesystem::path withFacts = write(true);
    return withFacts;
}

void SetFileCounters(benchmark::State& state, const std::filesystem::path& file) {
    const double bytes = static_cast<double>(std::filesystem::file_size(file));
    state.counters["file_MB"] = bytes / kMiB;
    state.counters["records"] = static_cast<double>(kDiscs * kFilesPerDisc);
}

void BM_SaveCatalogue(benchmark::State& state) {
    COvDiscDatabase& database = Catalogue();
    const std::filesystem::path file = Folder() / "saved.ovd";
    std::string error;
    for (auto _ : state) {
        // Each save makes a new file. Truncating and rewriting the previous one measured some
        // 30 ms slower on ext4, which starts flushing such a file when it is closed: that is
        // the disk's time, not the writer's.
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
        if (!SaveFile(database, file, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    SetFileCounters(state, file);
}
BENCHMARK(BM_SaveCatalogue)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The program's own save: the bytes written to a temporary file, read back from it and checked
// as the reader would take them, its flush to the disk and its rename over the old one.
void BM_SafeSave(benchmark::State& state) {
    COvDiscDatabase& database = Catalogue();
    const QString file = QString::fromStdString((Folder() / "safe.ovd").string());
    std::string error;
    for (auto _ : state) {
        if (ov2::SaveCatalogueFile(file, database, &error) != ov2::SaveFault::None) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    SetFileCounters(state, file.toStdString());
}
BENCHMARK(BM_SafeSave)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The check alone: the bytes of a save walked as the reader would take them, building nothing.
void BM_SaveCheck(benchmark::State& state) {
    const std::string bytes = CatalogueBytes(Catalogue());
    std::string error;
    for (auto _ : state) {
        if (!CatalogueBytesValid(bytes, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / kMiB;
}
BENCHMARK(BM_SaveCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_LoadCatalogue(benchmark::State& state) {
    const std::filesystem::path& file = CatalogueFile(state.range(0) != 0);
    if (file.empty()) {
        state.SkipWithError("the catalogue could not be written");
        return;
    }
    std::string error;
    for (auto _ : state) {
        auto database = std::make_unique<COvDiscDatabase>();
        const bool read = ReadCatalogueFile(file, *database, &error);
        state.PauseTiming();
        if (!read || database->GetCount() != static_cast<int>(kDiscs) ||
            FileRecords(*database) != kDiscs * kFilesPerDisc) {
            state.SkipWithError(read ? "the loaded catalogue is incomplete" : error.c_str());
            return;
        }
        database.reset();  // freeing the records is not part of a load
        state.ResumeTiming();
    }
    SetFileCounters(state, file);
}
BENCHMARK(BM_LoadCatalogue)->ArgName("facts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Runs `bench_catalogue --measure-load FILE` in a fresh process and reports its peak resident
// memory, whole (nothing subtracted), and that peak over the file's size. The process's own
// load time is reported too: a first load into a fresh heap.
void BM_LoadPeakMemory(benchmark::State& state) {
    const std::filesystem::path& file = CatalogueFile(state.range(0) != 0);
    if (file.empty()) {
        state.SkipWithError("the catalogue could not be written");
        return;
    }
    long peakKiB = -1;
    double loadSeconds = 0;
    for (auto _ : state) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            execl("/proc/self/exe", "bench_catalogue", "--measure-load", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        std::string output;
        char buffer[256];
        for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
        close(pipeFds[0]);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            std::sscanf(output.c_str(), "peak_kib %ld load_s %lf", &peakKiB, &loadSeconds) != 2) {
            state.SkipWithError(("the measuring process failed: " + output).c_str());
            return;
        }
    }
    const double fileBytes = static_cast<double>(std::filesystem::file_size(file));
    state.counters["file_MB"] = fileBytes / kMiB;
    state.counters["peak_MB"] = static_cast<double>(peakKiB) / 1024.0;
    state.counters["peak_per_file_size"] = static_cast<double>(peakKiB) * 1024.0 / fileBytes;
    state.counters["fresh_load_s"] = loadSeconds;
}
BENCHMARK(BM_LoadPeakMemory)->ArgName("facts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A catalogue with no discs and `entries` settings entries, each a CStringList, under keys that
// all fall into one bucket of the settings map (crowded) or spread over all of them. A file of
// a few hundred KB; how its load time grows with the entries shows what a map entry costs.
std::string ManySettings(std::size_t entries, bool crowded) {
    std::string bytes;
    CArchive ar([&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
        return true;
    });
    ar.WriteCount(0);  // discs
    ar.WriteCount(0);  // categories
    ar.WriteCount(entries);
    std::vector<std::shared_ptr<CStringList>> lists;
    for (std::size_t i = 0; lists.size() < entries; ++i) {
        const std::string key = "key" + std::to_string(i);
        if (crowded && OvHashMap<int>::Bucket(key) != 0) continue;
        lists.push_back(std::make_shared<CStringList>());
        ar.WriteString(key);
        ar.WriteObject(lists.back().get());
    }
    ar.Flush();
    return bytes;
}

void BM_LoadManySettings(benchmark::State& state) {
    const std::size_t entries = static_cast<std::size_t>(state.range(0));
    const std::string bytes = ManySettings(entries, state.range(1) != 0);
    std::string error;
    for (auto _ : state) {
        COvDiscDatabase database;
        if (!ReadCatalogue(bytes, database, &error) || database.m_pSettings->m_map.GetCount() != entries) {
            state.SkipWithError("the settings did not read");
            return;
        }
        state.PauseTiming();
        database.RemoveAll();
        state.ResumeTiming();
    }
    state.counters["file_KB"] = static_cast<double>(bytes.size()) / 1024.0;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadManySettings)
    ->ArgNames({"entries", "one_bucket"})
    ->ArgsProduct({{2500, 5000, 10000, 20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int MeasureLoad(const char* path) {
    COvDiscDatabase database;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    const bool read = ReadCatalogueFile(path, database, &error);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!read) {
        std::printf("cannot read %s: %s\n", path, error.c_str());
        return 1;
    }
    const long peak = PeakResidentKiB();  // while the database is still alive
    std::printf("peak_kib %ld load_s %.4f discs %d files %zu\n", peak, elapsed.count(), database.GetCount(),
                FileRecords(database));
    return 0;
}

int WriteGenerated(const char* path) {
    COvDiscDatabase database;
    GenerateCatalogue(database, kDiscs, kFilesPerDisc);
    std::string error;
    if (!SaveFile(database, path, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure-load") == 0) return MeasureLoad(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--write-catalogue") == 0) return WriteGenerated(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The views on large catalogues: building the disc tree of 1,000 discs with 100 folders each,
// and listing a folder of 20,000 files.
#include <benchmark/benchmark.h>


#include "app/left_view.h"
#include "app/ov2_view.h"
#include "core/ov2_doc.h"

namespace {

std::shared_ptr<COvDisc> DiscWithFolders(int number, int folders) {
    auto disc = std::make_shared<COvDisc>();
    disc->m_strNumber = std::to_string(number);
    disc->m_strName = "Disc " + std::to_string(number);
    std::string outline = disc->m_strNumber.str() + " " + disc->m_strName.str() + "\r\n";
    for (int f = 0; f < folders; ++f)
        outline += std::string(1 + f % 3, '\t') + "folder " + std::to_string(f) + "\r\n";
    disc->m_strFolderTree = outline;
    return disc;
}

void BM_BuildTree1000x100(benchmark::State& state) {
    COv2Doc doc;
    doc.OnNewDocument();
    for (int d = 1; d <= 1000; ++d) doc.m_pDatabase->AddTail(DiscWithFolders(d, 100));
    CLeftView tree(&doc);
    for (auto _ : state) tree.OnInitialUpdate();
    state.counters["nodes"] = 1000 * 101;
}
BENCHMARK(BM_BuildTree1000x100)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ShowFolder20000(benchmark::State& state) {
    COv2Doc doc;
    doc.OnNewDocument();
    auto disc = DiscWithFolders(1, 0);
    const OvString folder("e:\\");
    const char* extensions[] = {".mp3", ".txt", ".jpg", ".pdf", ".zip", ".cda", ".png", ".doc", ".exe", ""};
    for (int i = 0; i < 20000; ++i) {
        auto file = std::make_shared<COvFileData>();
        file->m_strFileName = "file " + std::to_string(i) + extensions[i % 10];
        file->m_strFolder = folder;
        file->m_strDrive = "e:";
        file->m_strSize = std::to_string(i * 977);
        file->m_facts.modified = 1600000000 + std::int64_t{i} * 3600;  // as a scan records them
        file->m_facts.encrypted = i % 100 == 0;
        disc->m_lstFiles.push_back(file);
    }
    doc.m_pDatabase->AddTail(disc);
    doc.SetCurrentDisc(disc.get());
    COv2View list(&doc);
    list.OnInitialUpdate();
    for (auto _ : state) list.ShowFolder("1 Disc 1");
    state.counters["rows"] = list.topLevelItemCount();
}
BENCHMARK(BM_ShowFolder20000)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

// The main of the benchmarks of windows: offscreen, with the icons the program finds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "widgets/theme_icons.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ov2::InstallIconThemeFallback();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

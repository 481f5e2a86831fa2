// The main() of a benchmark program: Qt's offscreen platform unless another is set, a GUI
// application for the fonts, then the benchmarks that `registerAll` registers.
#pragma once

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace kalvetra::bench {

inline int runBenchmarks(int argc, char** argv, void (*registerAll)())
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kalvetra::bench

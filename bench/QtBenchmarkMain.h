#pragma once

#include <benchmark/benchmark.h>

#include <QCoreApplication>

// The benchmarks that run the session need a Qt application for its timers
// and queued signals; each benchmark file's main calls this.
inline int RunBenchmarksInQtApplication(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

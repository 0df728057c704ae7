#pragma once
// Shared by the benchmark programs: where the corpora are, and a main on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <functional>
#include <string>

// A file of the generated corpus: the directory in $TAVUKO_CORPUS.
inline std::string Corpus(const char* name)
{
    const char* dir = std::getenv("TAVUKO_CORPUS");
    return std::string(dir ? dir : "/tmp/tavuko-corpus") + "/" + name;
}

// Runs the registered benchmarks inside an application; atExit releases what needs it.
inline int RunBenchmarks(int argc, char** argv, const std::function<void()>& atExit = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (atExit) atExit();
    return 0;
}

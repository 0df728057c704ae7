// Document-model budgets on the generated corpora (directory in $TAVUKO_CORPUS):
// loading a file, and loading plus deriving the display lines in the pixel fit at 800 px; the
// same novel in UTF-8, EUC-JP and UTF-16; finding a file's encoding.
#include "BenchCommon.h"

#include <QGuiApplication>
#include <cstdlib>
#include <string>

#include "model/BvLines.h"
#include "bigview/ViewFont.h"
#include "platform/FileRead.h"

namespace {

const TViewFont& Font()
{
    static const TViewFont font(TViewFont::DefaultViewFont());
    return font;
}

void BM_LoadFromFile(benchmark::State& state, const char* name)
{
    const std::string path = Corpus(name);
    for (auto _ : state) {
        TBvStrings store;
        store.LoadFromFile(path);
        benchmark::DoNotOptimize(store.Count());
        state.counters["lines"] = store.Count();
    }
}

void BM_LoadAndDerive(benchmark::State& state, const char* name)
{
    const std::string path = Corpus(name);
    TViewFontMeasure measure(Font(), 800);
    for (auto _ : state) {
        TBvStrings store;
        TBvLines lines(store, measure);
        store.LoadFromFile(path);
        lines.CalcBvLines(0);
        benchmark::DoNotOptimize(lines.GetCount());
        state.counters["display_lines"] = lines.GetCount();
    }
}

void BM_DeriveOnly(benchmark::State& state, const char* name)
{
    const std::string path = Corpus(name);
    TViewFontMeasure measure(Font(), 800);
    TBvStrings store;
    store.LoadFromFile(path);
    TBvLines lines(store, measure);
    for (auto _ : state) {
        lines.CalcBvLines(0);
        benchmark::DoNotOptimize(lines.GetCount());
    }
}

// Reading a file's sample and detecting its encoding from it (budget: 5 ms on any file).
void BM_Detect(benchmark::State& state, const char* name)
{
    const std::string path = Corpus(name);
    for (auto _ : state) {
        platform::TFileReader file;
        if (!file.Open(path)) {
            state.SkipWithError("no corpus file");
            return;
        }
        charset::TSample sample;
        file.ReadSample(sample);
        const charset::TDetected found = charset::Detect(sample.pieces, file.Size());
        benchmark::DoNotOptimize(found);
        state.SetLabel(charset::Key(found.charset));
    }
}

// The kinds of line end of a whole text, as the status bar asks once per text shown: a CR LF
// text is looked at to its end (a LF text needs no look at all).
void BM_LineEnds(benchmark::State& state, const char* name)
{
    TBvStrings store;
    store.LoadFromFile(Corpus(name));
    for (auto _ : state) benchmark::DoNotOptimize(store.LineEnds());
    state.counters["lines"] = store.Count();
}

}  // namespace

BENCHMARK_CAPTURE(BM_LoadFromFile, novel_1g, "novel_1g.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadAndDerive, novel_1g, "novel_1g.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadAndDerive, log_1g, "log_1g.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadAndDerive, longline_50m, "longline_50m.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_DeriveOnly, novel_1g, "novel_1g.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
// The same novel in the other encodings, beside the code page 932 one above.
BENCHMARK_CAPTURE(BM_LoadAndDerive, novel_1g_utf8, "novel_1g_utf8.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadAndDerive, novel_1g_eucjp, "novel_1g_eucjp.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadAndDerive, novel_1g_utf16, "novel_1g_utf16.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_DeriveOnly, novel_1g_utf8, "novel_1g_utf8.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_DeriveOnly, novel_1g_eucjp, "novel_1g_eucjp.txt")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Detect, novel_1g, "novel_1g.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, novel_1g_utf8, "novel_1g_utf8.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, novel_1g_eucjp, "novel_1g_eucjp.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, novel_1g_utf16, "novel_1g_utf16.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, log_1g, "log_1g.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LineEnds, novel_1g, "novel_1g.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LineEnds, log_1g, "log_1g.txt")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }

// View budgets: a full MapUpdate of 50 rows x 90 columns of mixed Japanese and ASCII, a
// one-line SetViewLineStart, a Paint of the whole window; loading the 1 GiB novel to its first
// painted map and re-deriving it for a new width.
#include "BenchCommon.h"

#include <QApplication>
#include <QBuffer>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/ViewSettings.h"
#include "bigview/Bigview.h"

namespace {

// The main window's view: black background, white text, line-end marks, vertical bar.
void Configure(TBigView& v, int w, int h)
{
    ApplyViewDesignValues(v);
    v.setAttribute(Qt::WA_DontShowOnScreen);
    v.resize(w, h);
    v.show();
}

// 400 lines of 90 bytes: Japanese prose with ASCII words and a tab now and then.
std::string MixedText()
{
    const std::string jp = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x81\x41";  // 日本語の文章、
    std::string text;
    for (int i = 0; i < 400; ++i) {
        std::string line = (i % 7 == 0) ? "\t" : "";
        while (line.size() < 90) line += (line.size() / 14) % 2 ? "ASCII words, " : jp;
        line.resize(90);
        if (TBvLines::IsStrLeadBytePos(TBvText(line), 90) == 1) line[89] = 'x';
        text += line + "\r\n";
    }
    return text;
}

struct Fixture {
    TBigView view;
    Fixture()
    {
        // 50 rows of 13 px and 90 columns of 6 px, plus the margin and the scroll bar.
        Configure(view, 4 + 92 * 6 + 20, 50 * 13);
        const std::string t = MixedText();
        QByteArray bytes(t.data(), qsizetype(t.size()));
        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadOnly);
        view.LoadFromStream(buf);
    }
};

std::unique_ptr<Fixture> fixture;  // released before the application goes

Fixture& F()
{
    if (!fixture) fixture = std::make_unique<Fixture>();
    return *fixture;
}

void BM_MapUpdate(benchmark::State& state)
{
    TBigView& v = F().view;
    for (auto _ : state) v.MapUpdate();
    state.counters["rows"] = v.ViewLines();
}
BENCHMARK(BM_MapUpdate)->Unit(benchmark::kMicrosecond);

void BM_ScrollOneLine(benchmark::State& state)
{
    TBigView& v = F().view;
    int top = 0;
    for (auto _ : state) {
        top = top >= 300 ? 0 : top + 1;
        v.SetViewLineStart(top);
    }
}
BENCHMARK(BM_ScrollOneLine)->Unit(benchmark::kMicrosecond);

void BM_PaintWindow(benchmark::State& state)
{
    TBigView& v = F().view;
    for (auto _ : state) v.repaint(v.ClientRect());  // what presenting a map change paints
}
BENCHMARK(BM_PaintWindow)->Unit(benchmark::kMicrosecond);

void BM_LoadToFirstMap(benchmark::State& state)
{
    for (auto _ : state) {
        TBigView v;
        Configure(v, 522, 394);
        v.LoadFromFile(Corpus("novel_1g.txt"));
        benchmark::DoNotOptimize(v.GetCount());
    }
}
BENCHMARK(BM_LoadToFirstMap)->Unit(benchmark::kMillisecond)->Iterations(1);

// From the resize to the new display lines taken (they are derived off the thread).
void BM_MapResizeRederive(benchmark::State& state)
{
    TBigView v;
    Configure(v, 522, 394);
    v.LoadFromFile(Corpus("novel_1g.txt"));
    int w = 522;
    for (auto _ : state) {
        w = w == 522 ? 800 : 522;
        v.resize(w, 394);
        while (v.Rederiving()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
BENCHMARK(BM_MapResizeRederive)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, [] { fixture.reset(); });
}

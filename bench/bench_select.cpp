// Pointing and copying budgets: one drag pass with one line of scrolling, the lines a drag held
// below the view scrolls in a second, and copying a 100 MB selection, all on the 1 GiB novel
// (directory in $TAVUKO_CORPUS), and hit-testing at the end of a 10,000-byte display line.
#include "BenchCommon.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "bigview/Bigview.h"

namespace {

// The handlers a drag runs through, reachable from here.
class BenchView : public TBigView {
public:
    using TBigView::CMDoMouseMove;
    using TBigView::MouseDown;
    using TBigView::MouseMove;
    using TBigView::MouseUp;
};

// The 1 GiB novel in a shown view of the main window's first size, wrapped at its width.
std::unique_ptr<BenchView> novelView;  // released before the application goes

BenchView& Novel()
{
    std::unique_ptr<BenchView>& v = novelView;
    if (!v) {
        v = std::make_unique<BenchView>();
        v->SetViewFont(TViewFont::DefaultViewFont());
        v->SetScrollBar(ssVertical);
        v->resize(800, 600);
        v->show();
        v->LoadFromFile(Corpus("novel_1g.txt"));
        QCoreApplication::processEvents();
    }
    return *v;
}

// One pass: the pointer below the view scrolls one line and pulls the selection along; a key
// release waiting in the queue ends the drag when the pass lets events in.
void BM_DragPassOneLine(benchmark::State& state)
{
    BenchView& v = Novel();
    if (v.GetCount() < 1000) {
        state.SkipWithError("corpus file missing");
        return;
    }
    v.SetViewLineStart(1000);
    const int below = v.ClientHeight() + 20;
    for (auto _ : state) {
        state.PauseTiming();
        v.MouseDown(Qt::LeftButton, {}, 100, 100);
        QCoreApplication::postEvent(&v, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, {}));
        const int top = v.ViewLineStart();
        state.ResumeTiming();
        v.MouseMove({}, 200, below);
        state.PauseTiming();
        if (v.ViewLineStart() != top + 1 || v.SelDragging()) state.SkipWithError("not one pass of one line");
        state.ResumeTiming();
    }
}

// The pointer held below the view for a second: how many lines the drag scrolls meanwhile.
void BM_DragHeldBelowLinesPerSecond(benchmark::State& state)
{
    BenchView& v = Novel();
    for (auto _ : state) {
        v.SetViewLineStart(1000);
        v.MouseDown(Qt::LeftButton, {}, 100, 100);
        QTimer::singleShot(
            1000, &v, [&v] { QCoreApplication::postEvent(&v, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, {})); });
        v.MouseMove({}, 200, v.ClientHeight() + 20);
        state.counters["lines/s"] = v.ViewLineStart() - 1000;
    }
}

// A selection of 100 MB from the middle of the file, by display lines.
void Select100MB(TBigView& v)
{
    const int start = v.GetCount() / 4;
    int64_t bytes = 0;
    int end = start;
    while (end + 1 < v.GetCount() && bytes < 100'000'000) bytes += v.Get(end++).size();
    v.SetSelStart({1, start});
    v.SetSelEnd({1, end});
}

void BM_CopyToClipboard100MB(benchmark::State& state)
{
    TBigView& v = Novel();
    for (auto _ : state) {
        state.PauseTiming();
        Select100MB(v);
        state.ResumeTiming();
        v.CopyToClipboard();
    }
    Select100MB(v);
    state.counters["bytes"] = double(v.CopyToSelBuf(nullptr));
}

void BM_CopyProbe100MB(benchmark::State& state)
{
    TBigView& v = Novel();
    Select100MB(v);
    for (auto _ : state) benchmark::DoNotOptimize(v.CopyToSelBuf(nullptr));
}

// A 10,000-byte line of mixed Japanese and ASCII with tabs, unwrapped; the pointer at its end.
void BM_HitTestLineEnd10000(benchmark::State& state)
{
    TBigView v;
    v.SetViewFont(TViewFont::DefaultViewFont());
    v.resize(800, 600);
    v.SetWordWrap(false);
    std::string line;
    while (line.size() < 10000)
        line += "\x82\xA0\x82\xA2\x8A\xBF\x8E\x9A"
                "abc def\t";
    line.resize(10000);
    v.LinesAssign({TBvText(line)});
    const int x = int(v.MapWidth());
    TPoint p;
    for (auto _ : state) benchmark::DoNotOptimize(p = v.LocateOf(x, 5));
    state.counters["column"] = p.X;
}

}  // namespace

BENCHMARK(BM_DragPassOneLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragHeldBelowLinesPerSecond)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CopyToClipboard100MB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CopyProbe100MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitTestLineEnd10000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, [] { novelView.reset(); });
}

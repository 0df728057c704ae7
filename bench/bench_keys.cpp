// Key budgets on the 1 GiB novel in the main window at its design size (522 x 394 client):
// a page move by key, painted; a smooth page of 30 rows (7 painted steps); End; and Page Down
// held at the keyboard's auto-repeat of 30 keys/s, timing how long each key event waits in the
// queue before the window takes it.
#include "BenchCommon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "support/KeyInput.h"

namespace {

struct Fixture {
    TForm1 form;
    TBigView& view = *form.BigView1;
    Fixture()
    {
        form.show();
        form.activateWindow();
        QApplication::processEvents();
        view.setFocus();
        form.OpenFile(Corpus("novel_1g.txt"), true);
        while (form.CurrentFile().Loading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
    }
};

std::unique_ptr<Fixture> fixture;  // released before the application goes

Fixture& F()
{
    if (!fixture) fixture = std::make_unique<Fixture>();
    return *fixture;
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Times each key press of a page key, in ms, and reports the median and the slowest.
void TimePageKeys(benchmark::State& state, bool smooth)
{
    Fixture& f = F();
    f.form.Settings.SmoothScroll = smooth;
    f.view.SetViewLineStart(f.view.GetCount() / 3);
    QApplication::processEvents();
    std::vector<double> ms;
    QElapsedTimer t;
    const long long paints = f.view.PaintCalls();
    for (auto _ : state) {
        t.start();
        PressKey(Qt::Key_PageDown);
        ms.push_back(t.nsecsElapsed() / 1e6);
        if (f.view.ViewLineEnd() >= f.view.GetCount() - 1) {
            state.PauseTiming();
            f.view.SetViewLineStart(0);
            state.ResumeTiming();
        }
        // The scroll bar's deferred redraw, as the event loop runs it between keys.
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["median_ms"] = Median(ms);
    state.counters["max_ms"] = ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
    state.counters["paints_per_key"] = ms.empty() ? 0 : double(f.view.PaintCalls() - paints) / double(ms.size());
    f.form.Settings.SmoothScroll = false;
}

void BM_PageDownKey(benchmark::State& state) { TimePageKeys(state, false); }
BENCHMARK(BM_PageDownKey)->Unit(benchmark::kMicrosecond);

void BM_SmoothPageDownKey(benchmark::State& state) { TimePageKeys(state, true); }
BENCHMARK(BM_SmoothPageDownKey)->Unit(benchmark::kMicrosecond);

void BM_EndKey(benchmark::State& state)
{
    Fixture& f = F();
    std::vector<double> ms;
    QElapsedTimer t;
    for (auto _ : state) {
        state.PauseTiming();
        PressKey(Qt::Key_Home);
        QApplication::processEvents();
        state.ResumeTiming();
        t.start();
        PressKey(Qt::Key_End);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    state.counters["median_ms"] = Median(ms);
    benchmark::DoNotOptimize(f.view.ViewLineStart());
}
BENCHMARK(BM_EndKey)->Unit(benchmark::kMicrosecond);

// Records when each posted key reaches the window, before the window's own key preview.
class TArrivals : public QObject {
public:
    std::vector<std::chrono::steady_clock::time_point> at;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress) at.push_back(std::chrono::steady_clock::now());
        return false;
    }
};

// Page Down held: a second thread posts auto-repeated key presses at 30 per second, as the
// window system queues them, from five places through the file; the window handles them in
// its event loop. Reports how long the slowest key waited, and the 99th percentile.
void HoldPageDown(benchmark::State& state, bool smooth)
{
    using clock = std::chrono::steady_clock;
    constexpr int KeysPerPlace = 45, Places = 5;
    const auto interval = std::chrono::microseconds(1000000 / 30);
    Fixture& f = F();
    f.form.Settings.SmoothScroll = smooth;
    std::vector<double> waits;
    for (auto _ : state) {
        for (int place = 0; place < Places; ++place) {
            // The last place starts a little before the end, so the keys run into it.
            const int count = f.view.GetCount();
            f.view.SetViewLineStart(place < Places - 1 ? int(static_cast<long long>(count) * place / (Places - 1))
                                                       : count - 20 * f.view.ViewLines());
            QApplication::processEvents();
            TArrivals arrivals;
            f.view.installEventFilter(&arrivals);  // installed last, so called first
            std::vector<clock::time_point> posted(KeysPerPlace);
            const clock::time_point start = clock::now();
            std::thread typist([&] {
                for (int i = 0; i < KeysPerPlace; ++i) {
                    std::this_thread::sleep_until(start + i * interval);
                    posted[size_t(i)] = clock::now();
                    QCoreApplication::postEvent(
                        &f.view, new QKeyEvent(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, QString(), true));
                }
            });
            while (int(arrivals.at.size()) < KeysPerPlace) QApplication::processEvents(QEventLoop::AllEvents, 5);
            typist.join();
            f.view.removeEventFilter(&arrivals);
            for (int i = 0; i < KeysPerPlace; ++i)
                waits.push_back(
                    std::chrono::duration<double, std::milli>(arrivals.at[size_t(i)] - posted[size_t(i)]).count());
        }
    }
    std::sort(waits.begin(), waits.end());
    state.counters["keys"] = double(waits.size());
    state.counters["max_wait_ms"] = waits.empty() ? 0 : waits.back();
    state.counters["p99_wait_ms"] = waits.empty() ? 0 : waits[waits.size() * 99 / 100];
    state.counters["median_wait_ms"] = Median(waits);
    f.form.Settings.SmoothScroll = false;
}

void BM_HoldPageDown(benchmark::State& state) { HoldPageDown(state, false); }
BENCHMARK(BM_HoldPageDown)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_HoldSmoothPageDown(benchmark::State& state) { HoldPageDown(state, true); }
BENCHMARK(BM_HoldSmoothPageDown)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, [] { fixture.reset(); });
}

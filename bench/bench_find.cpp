// Find budgets on the 1 GiB novel and log at 800 px pixel fit (directory in $TAVUKO_CORPUS), through
// the find dialog as Find next and Find previous run it: a text that does not occur, forwards from
// the first line and backwards from the last, with and without match-case; a hit near the far
// end; a hit on the next screen; a repaint with the other matches marked. scripts/bench times
// grep -c -F -i on the same file beside them.
#include "BenchCommon.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <memory>
#include <string>

#include "bigview/Bigview.h"
#include "dialogs/FindDlg.h"
#include "model/BvFind.h"
#include "platform/Cp932.h"

namespace {

struct Novel {
    TBigView view;
    TFindDlg dlg{nullptr, &view};
    int beeps = 0;
    explicit Novel(const char* file)
    {
        view.SetViewFont(TViewFont::DefaultViewFont());
        view.SetScrollBar(ssVertical);
        view.resize(800, 600);
        view.show();
        view.resize(800 + view.width() - view.ClientWidth(), 600);  // a client area 800 px wide
        view.LoadFromFile(Corpus(file));
        QCoreApplication::processEvents();
        dlg.BeepFn = [this] { ++beeps; };
    }
    // The first 8 characters of display line i, a text that occurs there.
    std::string TextOf(int i) const
    {
        const TBvText line = view.Get(i);
        size_t n = 0;
        for (int chars = 0; chars < 8 && n < line.size(); ++chars) n += cp932::IsLeadByte(line[n]) ? 2 : 1;
        return line.str().substr(0, n);
    }
    // Appends a marker to the file line of display line i; the display line where it lands.
    int Mark(int i, const char* marker)
    {
        std::string m;
        cp932::FromUnicode(QString::fromUtf8(marker), m);
        const int org = view.ConvertIndexToOrg(i);
        if (view.GetOrg(org).str().find(m) == std::string::npos) view.PutOrg(org, TBvText(view.GetOrg(org).str() + m));
        return view.ConvertLocateFromOrg({int(view.GetOrg(org).size()), org}).Y;
    }
    void SetText(const QString& text, bool matchCase)
    {
        dlg.Edit1->setText(text);
        dlg.MatchCaseCB1->setChecked(matchCase);
    }
};
// The novel and the log, each loaded when first used; released before the application goes.
std::unique_ptr<Novel> texts[2];
const char* const Files[2] = {"novel_1g.txt", "log_1g.txt"};

Novel* Get(benchmark::State& state, int which = 0)
{
    std::unique_ptr<Novel>& t = texts[which];
    if (!t) t = std::make_unique<Novel>(Files[which]);
    if (t->view.GetCount() < 100000) {
        state.SkipWithError("corpus file missing");
        return nullptr;
    }
    t->beeps = 0;  // the beeps of this benchmark alone
    return t.get();
}

// Texts that do not occur in the novel: Japanese, and ASCII letters.
const char* const Absent[] = {"検索語の不在", "Tavuko"};

void Report(benchmark::State& state, Novel& n, int found)
{
    state.counters["lines"] = n.view.GetCount();
    state.counters["found"] = found;
    state.counters["beeps"] = n.beeps;
}

// A text that does not occur: Find next from the first line runs over every display line.
void BM_FindAbsentForward(benchmark::State& state)
{
    Novel* n = Get(state, int(state.range(2)));
    if (!n) return;
    n->SetText(QString::fromUtf8(Absent[state.range(0)]), state.range(1));
    n->view.SetViewLineStart(0);
    for (auto _ : state) {
        n->dlg.LastFindText.clear();  // a new text: from the top line itself
        n->dlg.OKBtnClick();
    }
    Report(state, *n, n->view.ViewLineStart());
}
BENCHMARK(BM_FindAbsentForward)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->ArgNames({"ascii", "case", "log"})
    ->Unit(benchmark::kMillisecond);

// The same text, Find previous from the last line.
void BM_FindAbsentBackward(benchmark::State& state)
{
    Novel* n = Get(state, int(state.range(2)));
    if (!n) return;
    n->SetText(QString::fromUtf8(Absent[state.range(0)]), state.range(1));
    n->view.SetViewLineStart(n->view.GetCount() - 1);
    for (auto _ : state) n->dlg.FindBackward();
    Report(state, *n, n->view.ViewLineStart());
}
BENCHMARK(BM_FindAbsentBackward)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->ArgNames({"ascii", "case", "log"})
    ->Unit(benchmark::kMillisecond);

// A text found only near the other end (a marked line there): forwards from the first line,
// backwards from the last.
void BM_FindNearTheEnd(benchmark::State& state)
{
    Novel* n = Get(state);
    if (!n) return;
    const bool forward = state.range(0);
    const int count = n->view.GetCount();
    const char* marker = forward ? "末尾の目印" : "先頭の目印";
    const int target = n->Mark(forward ? count - 50 : 50, marker);
    n->SetText(QString::fromUtf8(marker), state.range(1));
    const int start = forward ? 0 : count - 1;
    int found = -1;
    for (auto _ : state) {
        state.PauseTiming();
        n->view.SetViewLineStart(start);
        n->dlg.LastFindText.clear();
        state.ResumeTiming();
        if (forward) n->dlg.OKBtnClick();
        else n->dlg.FindBackward();
        found = n->view.ViewLineStart();
    }
    Report(state, *n, found);
    state.counters["target"] = target;
}
BENCHMARK(BM_FindNearTheEnd)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"forward", "case"})
    ->Unit(benchmark::kMillisecond);

// Find next with the same text, found on the next screen: the search itself, and the whole
// command with the view scrolled to the line (which redraws every row of the map).
void BM_FindNextScreen(benchmark::State& state)
{
    Novel* n = Get(state);
    if (!n) return;
    const bool scroll = state.range(0);
    const int top = 1000000;
    const std::string text = n->TextOf(top + n->view.ViewLines() + 5);
    n->SetText(cp932::ToUnicode(text.data(), text.size()), false);
    const TBvFind find(text, false);
    const TOrgPos from = n->view.DisplayLines().ToOrg(TDispPos{1, top + 1});
    int found = -1;
    for (auto _ : state) {
        if (!scroll) {
            const TBvMatch m = find.Forward(n->view.DisplayLines().Store(), from.Y, size_t(from.X - 1));
            benchmark::DoNotOptimize(m);
            found = n->view.DisplayLines().FromOrg(TOrgPos{int(m.pos) + 1, m.line}).Y;
            continue;
        }
        state.PauseTiming();
        n->view.SetViewLineStart(top);
        n->view.SetSelStart(TDispPos{1, top});
        n->view.SetSelEnd(TDispPos{1, top});
        n->dlg.LastFindText = text;
        state.ResumeTiming();
        n->dlg.OKBtnClick();
        found = n->view.ViewLineStart();
    }
    Report(state, *n, found);
    state.counters["next_screen"] = found - top;
}
BENCHMARK(BM_FindNextScreen)->Arg(0)->Arg(1)->ArgName("scroll")->Unit(benchmark::kMicrosecond);

// A repaint of 50 rows of the novel, without marks and with every match of a text frequent there
// (の, some per row) marked: the difference is what marking costs.
void BM_Repaint50Rows(benchmark::State& state)
{
    Novel* n = Get(state);
    if (!n) return;
    const int rows = 50;
    n->view.resize(n->view.width(), n->view.height() - n->view.ClientHeight() + rows * n->view.LineHeight());
    std::string text;
    cp932::FromUnicode(QStringLiteral("の"), text);
    n->view.SetFindMarks(state.range(0) ? std::make_shared<TBvFind>(text, false) : nullptr);
    n->view.SetViewLineStart(1000000);
    for (auto _ : state) n->view.MapUpdate();
    state.counters["rows"] = n->view.ViewLines();
    n->view.SetFindMarks(nullptr);
    n->view.resize(n->view.width(), 600);
}
BENCHMARK(BM_Repaint50Rows)->Arg(0)->Arg(1)->ArgName("marks")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, [] {
        for (auto& t : texts) t.reset();
    });
}

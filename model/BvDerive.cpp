#include "model/BvDerive.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// What the split's idle time derives at a time, so that the split goes on soon.
constexpr uint64_t kHelpBytes = 256 << 10;
// Runs per thread of a parallel derivation: enough that a thread slowed by the other work of the
// machine does not hold up the rest.
constexpr int kRunsPerThread = 4;
// How often a run looks at the stop flag and reports its progress (lines).
constexpr int kCheckEvery = 4096;

}  // namespace

int TBvDeriver::threads = int(std::max(1u, std::thread::hardware_concurrency()));

TBvCut::TBvCut(const TBvWrap& wrap, const TBvMeasure& measure, TBvEncoding encoding)
    : wrap_(wrap), rule_(measure, encoding, int64_t(measure.CharWidth()) * wrap.viewTabStop, wrap.wrapByte)
{
}

void TBvCut::Line(int org, std::string_view line, TBvRows& rows, int& widest) const
{
    const int len = int(line.size());
    if (!wrap_.wordWrap || len == 0) {
        rows.Add({org, uint32_t(len)});  // one piece, the last: its word is its Len
        widest = std::max(widest, len);
        return;
    }
    int lastLen = 0;
    bool lastShort = false;
    const bool byBytes =
        CutLine(reinterpret_cast<const uint8_t*>(line.data()), len, rule_, [&](int pos, int n, bool shortened) {
            rows.Add({org, uint32_t(pos) | (shortened ? TBvRow::kShort : 0u)});
            widest = std::max(widest, std::min(n, len - pos + 1));
            lastLen = n;
            lastShort = shortened;
        });
    if (byBytes) rows.EndLine(lastLen, lastShort);
    else rows.EndLineAtEnd();
}

TBvDeriver::TBvDeriver(const TBvStrings& store, const TBvWrap& wrap, const TBvMeasure& measure, int fromOrg,
                       const std::atomic<bool>* stop, std::atomic<uint64_t>* done)
    : store_(store), wrap_(wrap), measure_(measure), from_(fromOrg), stop_(stop), done_(done), derived_(fromOrg)
{
}

const TBvCut& TBvDeriver::Cut()
{
    if (!cut_) cut_.emplace(wrap_, measure_, store_.Encoding());
    return *cut_;
}

void TBvDeriver::Restart()
{
    rows_.Truncate(0);
    widest_ = 0;
    published_ = derived_ = from_;
    if (done_) done_->store(0, std::memory_order_relaxed);
}

uint64_t TBvDeriver::Bytes(int from, int to) const { return store_.Position(to) - store_.Position(from); }

bool TBvDeriver::Run(int from, int to, TBvRows& rows, int& widest) const
{
    const TBvCut& cut = *cut_;
    for (int a = from; a < to;) {
        if (Stopped()) return false;
        const int begin = a, end = std::min(to, a + kCheckEvery);
        for (; a < end; ++a) cut.Line(a, store_.View(a), rows, widest);
        if (done_) done_->fetch_add(Bytes(begin, end), std::memory_order_relaxed);
    }
    return true;
}

bool TBvDeriver::Help()
{
    if (derived_ >= published_ || Stopped()) return false;
    Cut();
    const uint64_t start = store_.Position(derived_);
    int to = derived_ + 1;
    while (to < published_ && store_.Position(to) - start < kHelpBytes) ++to;
    if (!Run(derived_, to, rows_, widest_)) return false;
    early_ += to - derived_;
    derived_ = to;
    return true;
}

bool TBvDeriver::Finish(TBvRows& rows, int& widest)
{
    const int count = store_.Count();
    published_ = count;
    Cut();
    rows.Append(std::move(rows_));
    widest = std::max(widest, widest_);
    const int from = derived_;
    derived_ = count;
    const uint64_t bytes = Bytes(from, count);
    const int workers = std::max(1, std::min(threads, count - from));
    if (workers == 1 || bytes < kParallelFrom) return Run(from, count, rows, widest);

    // Runs of about equal bytes, each derived into rows of its own by whichever thread is free,
    // then joined in order.
    const int runs = workers * kRunsPerThread;
    std::vector<int> cut{from};
    for (int k = 1; k < runs; ++k) {
        const uint64_t at = store_.Position(from) + bytes * uint64_t(k) / uint64_t(runs);
        int lo = cut.back(), hi = count;  // the first line that starts at or after at
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (store_.Position(mid) < at) lo = mid + 1;
            else hi = mid;
        }
        if (lo > cut.back() && lo < count) cut.push_back(lo);
    }
    cut.push_back(count);
    const size_t n = cut.size() - 1;
    std::vector<TBvRows> out(n);
    std::vector<int> wide(n, 0);
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (size_t k; (k = next.fetch_add(1)) < n && !failed.load(std::memory_order_relaxed);)
            if (!Run(cut[k], cut[k + 1], out[k], wide[k])) failed = true;
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < workers; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
    if (failed) return false;
    for (size_t k = 0; k < n; ++k) {
        rows.Append(std::move(out[k]));
        widest = std::max(widest, wide[k]);
    }
    return true;
}

#include "model/BvDerive.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/Cp932.h"

namespace {

// 32-bit wrap-around arithmetic for positions.
int AddWrap(int a, int b) { return int(uint32_t(a) + uint32_t(b)); }

// What the split's idle time derives at a time, so that the split goes on soon.
constexpr uint64_t kHelpBytes = 256 << 10;
// Runs per thread of a parallel derivation: enough that a thread slowed by the other work of the
// machine does not hold up the rest.
constexpr int kRunsPerThread = 4;
// How often a run looks at the stop flag and reports its progress (lines).
constexpr int kCheckEvery = 4096;

}  // namespace

int TBvDeriver::threads = int(std::max(1u, std::thread::hardware_concurrency()));

TBvCut::TBvCut(const TBvWrap& wrap, const TBvMeasure& measure)
    : wrap_(wrap),
      measure_(measure),
      tabDistance_(int64_t(measure.CharWidth()) * wrap.viewTabStop),
      xWidth_(measure.TabbedTextWidth("x", 1, tabDistance_)),
      uniformWidth_(measure.UniformByteWidth()),
      clientWidth_(measure.ClientWidth()),
      margin_(2 * int64_t(measure.CharWidth()))
{
}

// The pixel fit: the piece size for a line wider than the client area, from an estimate by
// the mean byte width, corrected one byte at a time until the first reversal of direction.
int TBvCut::PixelFit(std::string_view line) const
{
    const int len = int(line.size());
    // Widths of the line's prefixes: by multiplication where every byte measures the same.
    const bool uniform = uniformWidth_ > 0 && !std::memchr(line.data(), '\t', line.size());
    auto width = [&](size_t n) { return uniform ? int64_t(n) * uniformWidth_ : Width(line.data(), n); };
    int64_t cw = clientWidth_;
    int64_t w = width(line.size());
    if (w <= cw) return len;
    if (cw < xWidth_) cw = xWidth_;
    int64_t avg = w / len;
    if (avg == 0) avg = 1;  // bytes that draw with no width
    int64_t g = cw / avg;
    bool grew = false, shrank = false;
    for (;;) {
        if (w <= cw - margin_) ++g;
        if (w > cw) --g;
        if (g < 1) g = 1;
        if (g > len) g = len;
        const int64_t prev = w;
        w = width(size_t(g));
        if (w > prev) grew = true;
        else shrank = true;
        if (w == prev || (grew && shrank) || (cw - margin_ < w && w < cw)) break;
    }
    // The search may stop one byte after a reversal with a piece wider than the client, whose
    // last bytes no scroll bar would reach: take bytes off until it fits.
    while (g > 1 && w > cw) w = width(size_t(--g));
    return int(g);
}

void TBvCut::Line(int org, std::string_view line, TBvRows& rows, int& widest) const
{
    const int len = int(line.size());
    if (!wrap_.wordWrap || len == 0) {
        rows.Add({org, uint32_t(len)});  // one piece, the last: its word is its Len
        widest = std::max(widest, len);
        return;
    }
    // The pixel fit depends on the line alone: one size for all its pieces.
    const int fit = wrap_.wrapByte > 0 ? wrap_.wrapByte : PixelFit(line);
    const auto* b = reinterpret_cast<const uint8_t*>(line.data());
    int pos = 1, n;
    bool shortened;
    for (;;) {
        n = fit;
        shortened = false;
        // Never end a piece on a lead byte whose trail byte is on the next piece.
        // No piece starts on a trail byte, so the walk may start afresh at the piece.
        const size_t next = size_t(pos) + size_t(n);
        if (next <= line.size() && cp932::IsTrailAt(b, size_t(pos), next)) {
            --n;
            if (n < 1) n = 2;
            shortened = true;
        }
        rows.Add({org, uint32_t(pos) | (shortened ? TBvRow::kShort : 0u)});
        widest = std::max(widest, std::min(n, len - pos + 1));
        const int after = AddWrap(pos, n);
        if (after < 1 || after > len) break;  // the line's end, or a piece size beyond any line
        pos = after;
    }
    rows.EndLine(n, shortened);
}

TBvDeriver::TBvDeriver(const TBvStrings& store, const TBvCut& cut, int fromOrg, const std::atomic<bool>* stop,
                       std::atomic<uint64_t>* done)
    : store_(store), cut_(cut), from_(fromOrg), stop_(stop), done_(done), derived_(fromOrg)
{
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
    for (int a = from; a < to;) {
        if (Stopped()) return false;
        const int begin = a, end = std::min(to, a + kCheckEvery);
        for (; a < end; ++a) cut_.Line(a, store_.View(a), rows, widest);
        if (done_) done_->fetch_add(Bytes(begin, end), std::memory_order_relaxed);
    }
    return true;
}

bool TBvDeriver::Help()
{
    if (derived_ >= published_ || Stopped()) return false;
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

#pragma once
// Deriving display lines: each file line cut into pieces by one function (TBvCut::Line), called
// for runs of file lines that are derived in parallel and joined in order (TBvDeriver).
#include <atomic>
#include <cstdint>
#include <string_view>

#include "model/BvLoad.h"
#include "model/BvMeasure.h"
#include "model/BvRows.h"
#include "model/BvStrings.h"

// The wrap settings a derivation cuts by.
struct TBvWrap {
    bool wordWrap = true;
    int wrapByte = 0;
    int viewTabStop = 8;
    friend bool operator==(const TBvWrap&, const TBvWrap&) = default;
};

// How file lines are cut: the wrap settings and the measure's values, read once per derivation.
// The measure must allow calls from several threads at once; its client width is read here.
class TBvCut {
public:
    TBvCut(const TBvWrap& wrap, const TBvMeasure& measure);
    // Appends the pieces of file line org, whose bytes are line, to rows; widest becomes at
    // least the longest piece's byte count (clipped at the line's end).
    void Line(int org, std::string_view line, TBvRows& rows, int& widest) const;
    // The piece size of a line wider than the client area.
    int PixelFit(std::string_view line) const;
    int64_t Width(const char* s, size_t n) const { return measure_.TabbedTextWidth(s, n, tabDistance_); }

private:
    TBvWrap wrap_;
    const TBvMeasure& measure_;
    int64_t tabDistance_;
    int64_t xWidth_;
    int uniformWidth_;
    int64_t clientWidth_;
    int64_t margin_;
};

// Derives the display lines of the store's file lines from a first one on. Lines are handed to
// it as they become final (TBvLineSink, while a load splits them) or all at once; Finish derives
// the rest in parallel runs on this thread and helper threads and gives the rows in order.
class TBvDeriver : public TBvLineSink {
public:
    // stop: when set, the work ends at its next step (Finish then gives false). done: counts the
    // bytes of the file lines derived, for progress.
    TBvDeriver(const TBvStrings& store, const TBvCut& cut, int fromOrg, const std::atomic<bool>* stop = nullptr,
               std::atomic<uint64_t>* done = nullptr);

    void Published(int lines) override { published_ = lines; }
    void Restart() override;
    bool Help() override;

    // Every file line from the first on is derived; rows gets them (after what it holds) and
    // widest the longest piece's byte count. False when stopped.
    bool Finish(TBvRows& rows, int& widest);

    // File lines derived while the split waited for bytes (none may have been).
    int DerivedEarly() const { return early_; }

    // Threads a parallel derivation uses at most (tests make it 1 or more than the cores), and
    // the bytes of text from which it uses more than the calling thread.
    static int threads;
    static constexpr uint64_t kParallelFrom = 2 << 20;

private:
    // Derives lines [from, to) into rows; false when stopped.
    bool Run(int from, int to, TBvRows& rows, int& widest) const;
    uint64_t Bytes(int from, int to) const;
    bool Stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    const TBvStrings& store_;
    const TBvCut& cut_;
    int from_;
    const std::atomic<bool>* stop_;
    std::atomic<uint64_t>* done_;
    int published_ = 0;
    int derived_;     // lines derived so far into rows_, from from_ on
    TBvRows rows_;    // what Help derived, in order
    int widest_ = 0;
    int early_ = 0;
};

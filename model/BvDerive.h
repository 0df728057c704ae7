#pragma once
// Deriving display lines: each file line cut into pieces by one function (TBvCut::Line, over CutLine), called
// for runs of file lines that are derived in parallel and joined in order (TBvDeriver).
#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/BvCut.h"
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

// How file lines are cut: the wrap settings and, read once per derivation, the measure's values
// and the text's encoding. The measure must allow calls from several threads at once; its client
// width is read here.
class TBvCut {
public:
    TBvCut(const TBvWrap& wrap, const TBvMeasure& measure, TBvEncoding encoding);
    // Appends the pieces of file line org, whose bytes are line, to rows; widest becomes at
    // least the longest piece's byte count (clipped at the line's end).
    void Line(int org, std::string_view line, TBvRows& rows, int& widest) const;
    const TBvCutRule& Rule() const { return rule_; }

private:
    TBvWrap wrap_;
    TBvCutRule rule_;
};

// Derives the display lines of the store's file lines from a first one on. Lines are handed to
// it as they become final (TBvLineSink, while a load splits them) or all at once; Finish derives
// the rest in parallel runs on this thread and helper threads and gives the rows in order.
class TBvDeriver : public TBvLineSink {
public:
    // stop: when set, the work ends at its next step (Finish then gives false). done: counts the
    // bytes of the file lines derived, for progress.
    // The lines are cut in the store's encoding, read when the first of them is cut (a load
    // decides it before it splits any line).
    TBvDeriver(const TBvStrings& store, const TBvWrap& wrap, const TBvMeasure& measure, int fromOrg,
               const std::atomic<bool>* stop = nullptr, std::atomic<uint64_t>* done = nullptr);

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

    const TBvCut& Cut();

    const TBvStrings& store_;
    const TBvWrap wrap_;
    const TBvMeasure& measure_;
    std::optional<TBvCut> cut_;
    int from_;
    const std::atomic<bool>* stop_;
    std::atomic<uint64_t>* done_;
    int published_ = 0;
    int derived_;   // lines derived so far into rows_, from from_ on
    TBvRows rows_;  // what Help derived, in order
    int widest_ = 0;
    int early_ = 0;
};

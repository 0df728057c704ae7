#pragma once
// Work on a text off the user-interface thread: loading a file (reading, splitting into file
// lines, deriving the display lines as the split goes) or deriving again the display lines of a
// text held. A job runs on a thread of its own, with helper threads; one stop flag reaches them
// all, and they test it between parts. Its owner reads the progress at any time and takes the
// result once told that it has ended.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "model/BvDerive.h"
#include "model/BvLoad.h"
#include "model/BvMeasure.h"
#include "model/BvRows.h"
#include "model/BvStrings.h"

class TBvJob {
public:
    // A load of source into a store of the job's own, derived by wrap with measure (not derived
    // when there is no measure).
    TBvJob(TBvLoadSource source, const TBvWrap& wrap, std::shared_ptr<const TBvMeasure> measure);
    // A derivation of every display line of store by wrap with measure. The store must not change
    // until the job has ended.
    TBvJob(const TBvStrings& store, const TBvWrap& wrap, std::shared_ptr<const TBvMeasure> measure);
    // Stops the job and waits for its threads; ended is never called after.
    ~TBvJob();
    TBvJob(const TBvJob&) = delete;
    TBvJob& operator=(const TBvJob&) = delete;

    // Runs it on a thread of its own; ended is called on that thread once it has ended.
    void Start(std::function<void()> ended);
    // Runs it on the calling thread.
    void Run();
    // Sets the stop flag: the job ends at its next part, as cancelled.
    void Cancel() { stop_.store(true, std::memory_order_relaxed); }
    // Whether it has ended (read on any thread).
    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    // How far it has got: from 0 to below 1, or -1 while the size is unknown.
    double Progress() const;
    // The bytes a load has read so far.
    uint64_t BytesRead() const { return progress_.read.load(std::memory_order_relaxed); }

    // The result, once it has ended: why not all of it (Cancelled when stopped), the text loaded
    // (a load), and the display lines when derived, with the longest piece's byte count.
    TBvLoadFailure Failure() const { return failure_; }
    bool Derived() const { return derived_; }
    TBvStrings& Store() { return loaded_; }
    const TBvStrings& Target() const { return target_; }
    TBvRows& Rows() { return rows_; }
    int Widest() const { return widest_; }
    // File lines derived while the split waited for the reading (the rest came after).
    int DerivedEarly() const { return early_; }
    const TBvWrap& Wrap() const { return wrap_; }
    const TBvMeasure* Measure() const { return measure_.get(); }

private:
    const TBvLoadSource source_;
    const bool load_;
    TBvStrings loaded_;
    const TBvStrings& target_;  // the text derived: the loaded one, or the one given
    const TBvWrap wrap_;
    const std::shared_ptr<const TBvMeasure> measure_;

    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    TBvLoadProgress progress_;
    std::atomic<uint64_t> derivedBytes_{0};

    TBvLoadFailure failure_ = TBvLoadFailure::None;
    bool derived_ = false;
    TBvRows rows_;
    int widest_ = 0;
    int early_ = 0;
    std::thread thread_;
};

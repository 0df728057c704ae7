#include "model/BvJob.h"

#include <algorithm>
#include <optional>

TBvJob::TBvJob(TBvLoadSource source, const TBvWrap& wrap, std::shared_ptr<const TBvMeasure> measure)
    : source_(std::move(source)), load_(true), target_(loaded_), wrap_(wrap), measure_(std::move(measure))
{
}

TBvJob::TBvJob(const TBvStrings& store, const TBvWrap& wrap, std::shared_ptr<const TBvMeasure> measure)
    : source_(std::string()), load_(false), target_(store), wrap_(wrap), measure_(std::move(measure))
{
}

TBvJob::~TBvJob()
{
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void TBvJob::Start(std::function<void()> ended)
{
    thread_ = std::thread([this, ended = std::move(ended)] {
        Run();
        if (ended) ended();
    });
}

void TBvJob::Run()
{
    std::optional<TBvDeriver> deriver;
    if (measure_) deriver.emplace(target_, wrap_, *measure_, 0, &stop_, &derivedBytes_);
    // A load hands the derivation each run of lines as the split makes it final.
    if (load_) failure_ = TBvLoadFile(source_, loaded_, &stop_, &progress_, deriver ? &*deriver : nullptr);
    if (deriver && Shows(failure_)) {
        early_ = deriver->DerivedEarly();
        derived_ = deriver->Finish(rows_, widest_);
    }
    if (stop_.load(std::memory_order_relaxed)) {
        // Stopped, also after the text was complete: nothing is kept.
        failure_ = TBvLoadFailure::Cancelled;
        derived_ = false;
        loaded_.Clear();
        rows_.Truncate(0);
    }
    ended_.store(true, std::memory_order_release);
}

double TBvJob::Progress() const
{
    const auto get = [](const std::atomic<uint64_t>& v) { return double(v.load(std::memory_order_relaxed)); };
    if (!load_) {
        const double total = double(target_.Position(target_.Count()));
        return total > 0 ? std::min(0.99, get(derivedBytes_) / total) : 0;
    }
    const double total = get(progress_.total);
    if (total <= 0) return -1;
    // Reading, splitting and deriving count alike: each passes over every byte once.
    const double parts = measure_ ? 3 : 2;
    return std::min(0.99, (get(progress_.read) + get(progress_.split) + get(derivedBytes_)) / (parts * total));
}

#pragma once
// The scroll-step accelerator. Line-scroll requests that come quickly and move steadily in one
// direction raise the line step by one every ten requests, up to the scroll sense; a pause
// longer than the request's interval, or a request that is not steady, brings it back to 1.
#include <array>
#include <cstdint>
#include <functional>

// A scroll position with its two previous distinct values, newest first.
class TBvPosHistory {
public:
    int Pos() const { return h_[0]; }
    int Previous() const { return h_[1]; }
    // A new position; the same one again leaves the history as it is.
    void Push(int pos)
    {
        if (pos == h_[0]) return;
        h_[2] = h_[1];
        h_[1] = h_[0];
        h_[0] = pos;
    }
    // Moved the same way twice running.
    bool Steady() const { return (h_[0] > h_[1] && h_[1] > h_[2]) || (h_[0] < h_[1] && h_[1] < h_[2]); }

private:
    std::array<int, 3> h_{};
};

class TBvScrollAccel {
public:
    // A millisecond tick truncated to 32 bits.
    using Clock = std::function<uint32_t()>;
    static uint32_t MonotonicTick();

    TBvScrollAccel() { Reset(); }
    // Replaces the clock (tests); the last request's time is taken anew from it.
    void SetClock(Clock clock)
    {
        clock_ = std::move(clock);
        Reset();
    }
    uint32_t Tick() const { return clock_ ? clock_() : MonotonicTick(); }

    int Sense() const { return sense_; }
    void SetSense(int n)
    {
        if (n >= 1 && n <= 10) sense_ = n;
    }
    int Step() const { return step_; }
    int SuccessionCount() const { return count_; }
    uint32_t LastTick() const { return last_; }

    // One request, judged on the position histories as they were before it. The step never
    // rises past the rows on view less one, nor, while the horizontal position moves steadily,
    // past the columns on view.
    void Succession(uint32_t interval, const TBvPosHistory& v, const TBvPosHistory& h, int viewLines, int columns);

private:
    void Reset()
    {
        step_ = 1;
        count_ = 0;
        last_ = Tick();
    }

    Clock clock_;
    int sense_ = 1;
    int step_ = 1;
    int count_ = 0;
    uint32_t last_ = 0;
};

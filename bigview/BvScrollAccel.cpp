#include "bigview/BvScrollAccel.h"

#include <chrono>

uint32_t TBvScrollAccel::MonotonicTick()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TBvScrollAccel::Succession(uint32_t interval, const TBvPosHistory& v, const TBvPosHistory& h, int viewLines,
                                int columns)
{
    const uint32_t elapsed = Tick() - last_;  // wraps around like the tick itself
    if (elapsed > interval) {
        step_ = 1;
        count_ = 0;
    } else if (step_ < sense_) {
        const bool vSteady = v.Steady(), hSteady = h.Steady();
        if (!vSteady && !hSteady) {
            step_ = 1;
            count_ = 0;
        } else if (++count_ > 9) {
            int limit = viewLines - 1;
            if (hSteady && columns < limit) limit = columns;
            if (step_ < limit) ++step_;
            count_ = 0;
        }
    }
    last_ = Tick();
}

// The scroll operations on a view that records every top line it is given, and wheel notches.
#include <gtest/gtest.h>

#include <vector>

#include "app/ScrollOps.h"

namespace {

// The view's scrolling interface: SetViewLineStart limits the line to 0 .. count - 1.
struct TFakeView {
    int count = 0, lines = 30, top = 0;
    std::vector<int> tops;  // every top line set, in order

    int GetCount() const { return count; }
    int ViewLines() const { return lines; }
    int ViewLineStart() const { return top; }
    int ViewLineEnd() const
    {
        const int end = std::min(top + lines - 1, count - 1);
        return end < 0 ? 0 : end;
    }
    void SetViewLineStart(int line)
    {
        top = line >= count ? count - 1 : line;
        if (top < 0) top = 0;
        tops.push_back(top);
    }
};

TFakeView View(int count, int top, int lines = 30) { return TFakeView{count, lines, top, {}}; }

using Tops = std::vector<int>;

TEST(ScrollOps, PageDownMovesAPageOrWhatIsLeftOrAWholeLastPage)
{
    struct Case {
        int count, top;
        bool smooth, last1Page;
        Tops tops;
        bool moved;
    };
    const Case cases[] = {
        // 100 lines, 30 rows, top 60: 10 lines below the window.
        {100, 60, false, false, {70}, true},
        {100, 60, false, true, {90}, true},
        {100, 90, false, true, {}, false},  // nothing below: no move at all
        {100, 70, false, false, {70}, false},
        // The worked example: 22 lines below; four steps of 5, then 2.
        {81, 29, true, false, {34, 39, 44, 49, 51}, true},
        // A whole page smoothly: six steps of 5 and a last move of 0, seven painted steps.
        {200, 0, true, false, {5, 10, 15, 20, 25, 30, 30}, true},
        {100, 60, true, true, {65, 70, 75, 80, 85, 90, 90}, true},
        {100, 90, true, true, {90}, false},
        {100, 66, true, false, {70}, true},  // 4 below: no step, one move of 4
        {100, 70, true, false, {70}, false},
        // An empty view stays at 0.
        {0, 0, false, false, {0}, false},
        {0, 0, false, true, {}, false},
        {0, 0, true, false, {0}, false},
    };
    for (const Case& c : cases) {
        TFakeView v = View(c.count, c.top);
        EXPECT_EQ(ScrollPageDown(v, c.smooth, c.last1Page), c.moved) << c.count << "/" << c.top;
        EXPECT_EQ(v.tops, c.tops) << c.count << "/" << c.top << " smooth " << c.smooth << " last " << c.last1Page;
    }
}

TEST(ScrollOps, PageUpMovesAPageAndStopsAtTheTop)
{
    struct Case {
        int count, top;
        bool smooth;
        Tops tops;
        bool moved;
    };
    const Case cases[] = {
        {100, 60, false, {30}, true},
        {100, 10, false, {0}, true},
        {100, 0, false, {0}, false},
        {100, 60, true, {55, 50, 45, 40, 35, 30, 30}, true},
        {100, 8, true, {3, 0, 0, 0, 0, 0, 0}, true},
        {0, 0, true, {0, 0, 0, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        TFakeView v = View(c.count, c.top);
        EXPECT_EQ(ScrollPageUp(v, c.smooth), c.moved) << c.top;
        EXPECT_EQ(v.tops, c.tops) << c.top << " smooth " << c.smooth;
    }
}

TEST(ScrollOps, LineMovesAndEndsAreLimited)
{
    TFakeView v = View(100, 60);
    ScrollLinesDown(v, 5);
    EXPECT_EQ(v.top, 65);
    ScrollLinesDown(v, 20);  // 5 lines below the window
    EXPECT_EQ(v.top, 70);
    ScrollLinesDown(v, 1);
    EXPECT_EQ(v.top, 70);
    ScrollLinesUp(v, 3);
    EXPECT_EQ(v.top, 67);
    ScrollLinesUp(v, 1000);
    EXPECT_EQ(v.top, 0);
    ScrollToEnd(v);
    EXPECT_EQ(v.top, 70);
    ScrollToTop(v);
    EXPECT_EQ(v.top, 0);
    // Past the end (after a whole last page) the end is where the last line is in the last row.
    v.top = 90;
    ScrollToEnd(v);
    EXPECT_EQ(v.top, 70);
    // A text shorter than the window ends at the top.
    TFakeView s = View(10, 0);
    ScrollToEnd(s);
    ScrollLinesDown(s, 3);
    EXPECT_EQ(s.tops, Tops({0, 0}));
    TFakeView e = View(0, 0);
    ScrollLinesUp(e, 1);
    ScrollLinesDown(e, 1);
    ScrollToEnd(e);
    EXPECT_EQ(e.tops, Tops({0, 0, 0}));
}

TEST(ScrollOps, WheelNotchesAreWholeTurnsOf120AddedUp)
{
    struct Case {
        std::vector<int> deltas;
        std::vector<int> notches;  // after each delta
    };
    const Case cases[] = {
        {{120, -120, 240}, {1, -1, 2}},
        {{40, 40, 40, 40}, {0, 0, 1, 0}},  // a touchpad's small steps
        {{-15, -15, -15, -15, -15, -15, -15, -15}, {0, 0, 0, 0, 0, 0, 0, -1}},
        {{60, -60, 60, 60}, {0, 0, 0, 1}},  // a partial turn back takes away
        {{-200, -40}, {-1, -1}},
        {{360}, {3}},
    };
    for (const Case& c : cases) {
        TWheelNotches w;
        std::vector<int> got;
        for (int d : c.deltas) got.push_back(w.Add(d));
        EXPECT_EQ(got, c.notches);
    }
}

}  // namespace

#pragma once
// The main window's six scroll operations, over any view with the view's scrolling interface
// (GetCount, ViewLineStart, ViewLineEnd, ViewLines, SetViewLineStart, which limits the line it
// is given). Every move goes through SetViewLineStart, and the view presents each one, so each
// step of a smooth page is painted. Also: turning wheel rotation into notches.
#include <algorithm>

// Display lines of one smooth-scrolling step and of one Shift+arrow move.
constexpr int StepLines = 5;

template <class View>
void ScrollLinesUp(View& v, int n)
{
    v.SetViewLineStart(v.ViewLineStart() - n);
}

// Display lines after the last visible one.
template <class View>
int LinesBelow(const View& v)
{
    return v.GetCount() - v.ViewLineEnd() - 1;
}

template <class View>
void ScrollLinesDown(View& v, int n)
{
    v.SetViewLineStart(v.ViewLineStart() + std::min(n, LinesBelow(v)));
}

template <class View>
void ScrollToTop(View& v)
{
    v.SetViewLineStart(0);
}

template <class View>
void ScrollToEnd(View& v)
{
    v.SetViewLineStart(v.GetCount() - v.ViewLines());
}

// Moves by d lines (negative: up), smoothly in steps of StepLines and then the rest.
template <class View>
void SmoothMove(View& v, int d)
{
    const int dir = d < 0 ? -1 : 1, n = d < 0 ? -d : d;
    int m = 0;
    for (; m < n + 1 - StepLines; m += StepLines) v.SetViewLineStart(v.ViewLineStart() + dir * StepLines);
    v.SetViewLineStart(v.ViewLineStart() + dir * (n - m));
}

// One page up. Returns whether the top line moved.
template <class View>
bool ScrollPageUp(View& v, bool smooth)
{
    const int oldTop = v.ViewLineStart();
    if (!smooth) v.SetViewLineStart(v.ViewLineStart() - v.ViewLines());
    else SmoothMove(v, -v.ViewLines());
    return v.ViewLineStart() != oldTop;
}

// One page down; with last1Page a whole page as long as any line is below the window, so that
// the last page may end in empty rows. Returns whether the top line moved.
template <class View>
bool ScrollPageDown(View& v, bool smooth, bool last1Page)
{
    const int oldTop = v.ViewLineStart();
    const int below = LinesBelow(v);
    const int d = !last1Page ? std::min(below, v.ViewLines()) : below > 0 ? v.ViewLines() : 0;
    if (!smooth) {
        if (!last1Page || below > 0) v.SetViewLineStart(v.ViewLineStart() + d);
    } else {
        SmoothMove(v, d);
    }
    return v.ViewLineStart() != oldTop;
}

// Wheel rotation in eighths of a degree (120 to a notch, as the desktop reports it) turned into
// whole notches; partial turns, a touchpad's small deltas among them, add up.
class TWheelNotches {
public:
    // Takes a rotation (positive away from the user) and returns the notches it completes:
    // positive up, negative down.
    int Add(int delta)
    {
        rest_ += delta;
        const long long notches = rest_ / 120;
        rest_ -= notches * 120;
        return int(notches);
    }

private:
    long long rest_ = 0;
};

#pragma once
// Positions: a display position is (1-based byte column, 0-based display line); a file
// position is (1-based byte position, 0-based file line). (0, 0) means no position.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Puts two positions in reading order (line, then column), as every reader of a selection does.
inline void Order(TPoint& a, TPoint& b)
{
    if (a.Y > b.Y || (a.Y == b.Y && a.X > b.X)) {
        const TPoint t = a;
        a = b;
        b = t;
    }
}

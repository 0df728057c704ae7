#pragma once
// Positions: a display position is (1-based byte column, 0-based display line); a file
// position is (1-based byte position, 0-based file line). (0, 0) means no position.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

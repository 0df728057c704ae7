#pragma once
// Positions. The documented operations take and give TPoint: a display position is (1-based
// byte column, 0-based display line), a file position (1-based byte position, 0-based file
// line); (0, 0) means no position. Inside the code the two kinds are distinct types, so that
// one cannot be passed for the other without an explicit conversion.
#include <compare>
#include <cstdint>
#include <ostream>

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A position of one kind. It converts to TPoint for the documented signatures, but is made from
// a TPoint only explicitly; the two kinds never convert into each other.
template <class Kind>
struct TPos {
    int X = 0;
    int Y = 0;
    constexpr TPos() = default;
    constexpr TPos(int x, int y) : X(x), Y(y) {}
    constexpr explicit TPos(TPoint p) : X(p.X), Y(p.Y) {}
    constexpr operator TPoint() const { return {X, Y}; }
    friend constexpr bool operator==(const TPos&, const TPos&) = default;
    // Reading order: line, then column.
    friend constexpr std::strong_ordering operator<=>(const TPos& a, const TPos& b)
    {
        if (auto c = a.Y <=> b.Y; c != 0) return c;
        return a.X <=> b.X;
    }
};
using TDispPos = TPos<struct TDispKind>;  // (column in the display line, display line)
using TOrgPos = TPos<struct TOrgKind>;    // (byte in the file line, file line)

// Puts two positions in reading order, as every reader of a selection does.
template <class Kind>
constexpr void Order(TPos<Kind>& a, TPos<Kind>& b)
{
    if (b < a) {
        const TPos<Kind> t = a;
        a = b;
        b = t;
    }
}

// 32-bit wrap-around addition, for positions handed in from outside.
constexpr int AddWrap(int a, int b) { return int(uint32_t(a) + uint32_t(b)); }

// Test output: (X, Y) with the kind.
inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }
inline void PrintTo(const TDispPos& p, std::ostream* os) { *os << "display(" << p.X << ", " << p.Y << ")"; }
inline void PrintTo(const TOrgPos& p, std::ostream* os) { *os << "file(" << p.X << ", " << p.Y << ")"; }

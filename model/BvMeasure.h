#pragma once
// The measure that wrapping, drawing and hit-testing share, as an interface so that the
// document model can be tested with a measure of its own.
#include <cstddef>
#include <cstdint>

class TBvMeasure {
public:
    virtual ~TBvMeasure() = default;
    // Pixel width of the n bytes at s, each tab advancing to the next multiple of tabDistance
    // pixels counted from s (a tabDistance of 0: a tab is one half-width cell). Exact, not 16-bit.
    virtual int64_t TabbedTextWidth(const char* s, size_t n, int64_t tabDistance) const = 0;
    // Width of "x" in the view font: the unit of one column.
    virtual int CharWidth() const = 0;
    // Width of the client area in pixels.
    virtual int ClientWidth() const = 0;
    // When every byte but a tab measures the same, that width; else 0. Lets the wrapping size a
    // tab-free line without measuring it byte by byte.
    virtual int UniformByteWidth() const { return 0; }
};

#pragma once
// The measure that wrapping, drawing and hit-testing share, as an interface so that the
// document model can be tested with a measure of its own, and the one mapping between pixels
// and bytes of a display line that is made over it.
//
// A measure may be asked from several threads at once.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/BvEncoding.h"

class TBvMeasure {
public:
    virtual ~TBvMeasure() = default;
    // Pixel width of the n bytes at s, held in enc, each tab advancing to the next multiple of
    // tabDistance pixels counted from s (a tabDistance of 0: a tab is one half-width cell).
    // Exact, not 16-bit. A character cut short by the end of the bytes is no character there:
    // its bytes measure one half-width cell each.
    virtual int64_t TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance) const = 0;
    // out[i] = TabbedTextWidth of the first i + 1 bytes of s, for s without tabs that starts
    // with a character. The default measures each prefix.
    virtual void PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                              std::vector<int64_t>& out) const;
    // Width of "x" in the view font: the unit of one column.
    virtual int CharWidth() const = 0;
    // Width of the client area in pixels.
    virtual int ClientWidth() const = 0;
    // When every character but a tab measures its cells times one width (in code page 932:
    // every byte but a tab that width), that width; else 0. Lets the wrapping size a tab-free
    // line by counting instead of measuring.
    virtual int UniformCellWidth() const { return 0; }
};

// The pixels of one display line's bytes and the byte at a pixel, by the measure: the one
// mapping that the pixel fit, hit-testing and the selection's inversion share.
class TBvRowMap {
public:
    TBvRowMap(const TBvMeasure& measure, TBvEncoding encoding, int64_t tabDistance)
        : measure_(measure), encoding_(encoding), tabDistance_(tabDistance)
    {
    }
    TBvEncoding Encoding() const { return encoding_; }
    const TBvMeasure& Measure() const { return measure_; }

    // The x where byte n of s begins (n from 0): the width of the first n bytes.
    int64_t X(const char* s, size_t n) const { return measure_.TabbedTextWidth(encoding_, s, n, tabDistance_); }

    // The first column i (1-based) whose prefix, bytes 1 .. i, is at least x wide; 0 when none
    // is. With byteExact every byte is a column; otherwise only the first byte of a character
    // (with the characters of zero width after it) is, so that the prefix of a character of
    // several bytes ends on its first byte, which alone measures one half-width cell: a pointer
    // on its left half gives its column, on its right half the next.
    int Column(const char* s, int n, int64_t x, bool byteExact) const;

private:
    const TBvMeasure& measure_;
    TBvEncoding encoding_;
    int64_t tabDistance_;
};

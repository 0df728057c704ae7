#pragma once
// A measure that needs no font, for the document model's tests and fuzzers: every half-width
// cell 6 px (in code page 932 every byte), a full-width character two cells, a character of
// zero width none, a byte that is no character one cell, a tab to the next multiple of the tab
// distance (0: one cell).
#include "model/BvMeasure.h"

struct CellMeasure : TBvMeasure {
    int client = 100;
    int uniform = 0;  // what UniformCellWidth reports; 6 is true of this measure
    int64_t TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t d) const override
    {
        const auto* b = reinterpret_cast<const uint8_t*>(s);
        int64_t x = 0;
        for (size_t i = 0; i < n;) {
            const TBvChar c = enc.At(b + i, n - i);
            x = c.kind == TBvCharKind::Tab && d > 0 ? (x / d + 1) * d : x + 6 * c.cells;
            i += c.bytes;
        }
        return x;
    }
    int CharWidth() const override { return 6; }
    int ClientWidth() const override { return client; }
    int UniformCellWidth() const override { return uniform; }
};

#pragma once
// A measure that needs no font, for the document model's tests and fuzzers: every byte 6 px,
// a tab to the next multiple of the tab distance (0: one cell).
#include "model/BvMeasure.h"

struct CellMeasure : TBvMeasure {
    int client = 100;
    int uniform = 0;  // what UniformByteWidth reports; 6 is true of this measure
    int64_t TabbedTextWidth(const char* s, size_t n, int64_t d) const override
    {
        int64_t x = 0;
        for (size_t i = 0; i < n; ++i) x = s[i] == '\t' && d > 0 ? (x / d + 1) * d : x + 6;
        return x;
    }
    int CharWidth() const override { return 6; }
    int ClientWidth() const override { return client; }
    int UniformByteWidth() const override { return uniform; }
};

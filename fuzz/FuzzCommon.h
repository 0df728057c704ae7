#pragma once
// Shared by the fuzz targets: a measure that needs no font, and a checked abort.
#include <cstdio>
#include <cstdlib>

#include "bigview/BvMeasure.h"

#define FUZZ_CHECK(cond)                                                          \
    do {                                                                          \
        if (!(cond)) {                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

// Every byte 6 px; a tab to the next multiple of the tab distance (0: one cell).
struct FuzzMeasure : TBvMeasure {
    int client = 100;
    int uniform = 0;  // what UniformByteWidth reports; 6 is true of this measure
    int64_t TabbedTextWidth(const char* s, size_t n, int d) const override
    {
        int64_t x = 0;
        for (size_t i = 0; i < n; ++i) x = s[i] == '\t' && d > 0 ? (x / d + 1) * d : x + 6;
        return x;
    }
    int CharWidth() const override { return 6; }
    int ClientWidth() const override { return client; }
    int UniformByteWidth() const override { return uniform; }
};

#pragma once
// TBvFind: the find dialog's search over display lines. A display line holds the find text when
// the text occurs in it as a plain byte substring, ASCII letters A-Z and a-z of every byte
// (trail bytes too) compared without case unless the case must match; the line ends for the
// search at its first NUL, and a match never spans two display lines.
//
// Rather than fold and search one display line at a time, the search scans runs of display
// lines whose bytes lie in order in one shared block (the lines of a loaded file) as one range,
// with a vectorised probe for two of the text's bytes in both cases; each hit is then placed in
// its display line and checked against that line's end and its first NUL.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/BvEncoding.h"

class TBvLines;

class TBvFind {
public:
    // The text in the encoding of the lines it is sought in.
    TBvFind(std::string_view text, bool matchCase, TBvEncoding encoding = TBvEncoding::Cp932);

    // Called between the pieces of a long search, so that the caller may show that it is busy.
    using Progress = std::function<void()>;

    // The first display line from `from` (at least 0) to the last that holds the text; -1 when
    // none does. The empty text is held by every line.
    int Forward(const TBvLines& lines, int from, const Progress& progress = {}) const;
    // The last display line from `from` (at most the last) down to 0 that holds the text; -1
    // when none does.
    int Backward(const TBvLines& lines, int from, const Progress& progress = {}) const;

    // The first position at or after `from` where the text occurs in s[0, len) by the byte rule
    // alone (no line ends, no NUL); len when it occurs nowhere there.
    size_t Scan(const uint8_t* s, size_t len, size_t from) const;

    // How much one piece of a search covers: its byte span starts at FirstBytes and doubles up
    // to MaxBytes, and it visits at most MaxLines display lines. Tests make them small, and try
    // each vector width the scan has (VectorBytes 32, 16 or 1 for none; 0 the widest there is).
    struct Limits {
        size_t FirstBytes = 16 * 1024;
        size_t MaxBytes = 1024 * 1024;
        int MaxLines = 64 * 1024;
        int VectorBytes = 0;
    };
    Limits limits;

    // What the scan compares: the text (folded unless the case must match), and two probe
    // offsets into it (equal for a one-byte text) with the two values each probe byte may take.
    struct Pattern {
        std::string text;
        bool matchCase = false;
        size_t a = 0, b = 0;
        uint8_t a1 = 0, a2 = 0, b1 = 0, b2 = 0;
    };

private:
    // A display line's bytes, in a run of lines read together.
    struct Piece {
        const uint8_t* start;
        size_t len;
        int index;
    };
    void Gather(const TBvLines& lines, int& i, int step, size_t span, std::vector<Piece>& run) const;
    // The line of the run a hit at s lies in when the whole match lies in it before its first
    // NUL, else none; next is where the scan goes on.
    const Piece* Place(const std::vector<Piece>& run, const uint8_t* s, const uint8_t*& next) const;

    Pattern pattern_;
};

#pragma once
// TBvFind: finding a text in the file lines. A match is the text's bytes (ASCII letters of one
// byte compared without case unless the case must match; no other byte folds) starting on the
// first byte of a character and ending at the end of one, by the text's encoding, within one
// file line. NUL is a byte like any other. How the lines are wrapped on view plays no part.
//
// Rather than fold and search one line at a time, the search scans runs of file lines whose bytes
// lie in order in one shared block (the lines of a loaded file) as one range, with a vectorised
// probe for two of the text's bytes in both cases; only a hit is placed in its line and checked
// against the line's end and the character rule.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/BvEncoding.h"

class TBvStrings;

// A match: its file line, and its first byte and byte count in that line; line -1 for none.
struct TBvMatch {
    int line = -1;
    size_t pos = 0;
    size_t len = 0;
    bool Found() const { return line >= 0; }
    friend bool operator==(const TBvMatch&, const TBvMatch&) = default;
};

class TBvFind {
public:
    // The text in the encoding of the lines it is sought in.
    TBvFind(std::string_view text, bool matchCase, TBvEncoding encoding = TBvEncoding::Cp932);

    // Called between the pieces of a long search, so that the caller may show that it is busy.
    using Progress = std::function<void()>;

    bool Empty() const { return pattern_.text.empty(); }
    size_t Size() const { return pattern_.text.size(); }
    TBvEncoding Encoding() const { return encoding_; }

    // The first match that starts at or after byte pos of file line `line` (a line below 0: from
    // the first); none for the empty text.
    TBvMatch Forward(const TBvStrings& store, int line, size_t pos, const Progress& progress = {}) const;
    // The last match that starts before byte pos of file line `line` (a line past the last: in
    // every line); none for the empty text.
    TBvMatch Backward(const TBvStrings& store, int line, size_t pos, const Progress& progress = {}) const;
    // Each match in the line s[0, len) that starts in [lo, hi), in order; `from` is a byte at or
    // before lo that starts a character (0 will always do; nearer is quicker).
    void Each(const uint8_t* s, size_t len, size_t from, size_t lo, size_t hi,
              const std::function<void(size_t)>& found) const;

    // The first position at or after `from` where the text occurs in s[0, len) by the byte rule
    // alone (no line ends, no character rule); len when it occurs nowhere there.
    size_t Scan(const uint8_t* s, size_t len, size_t from) const;

    // How much one piece of a search covers: its byte span starts at FirstBytes and doubles up
    // to MaxBytes, and it visits at most MaxLines file lines. Tests make them small, and try
    // each vector width the scan has (VectorBytes 32, 16 or 1 for none; 0 the widest there is).
    struct Limits {
        size_t FirstBytes = 16 * 1024;
        size_t MaxBytes = 1024 * 1024;
        int MaxLines = 64 * 1024;
        int VectorBytes = 0;
    };
    Limits limits;

    // What the scan compares: the text (its one-byte letters folded unless the case must match)
    // and, per byte, the other value it may take there (itself where it does not fold); two probe
    // offsets into it (equal for a one-byte text) with the two values each probe byte may take.
    struct Pattern {
        std::string text, other;
        size_t a = 0, b = 0;
        uint8_t a1 = 0, a2 = 0, b1 = 0, b2 = 0;
    };

private:
    // A file line's bytes, in a run of lines read together.
    struct Piece {
        const uint8_t* start;
        size_t len;
        int index;
    };
    void Gather(const TBvStrings& store, int& i, int step, size_t span, std::vector<Piece>& run) const;
    // The line of the run a byte hit at s lies in when it is a match there, else none.
    const Piece* Place(const std::vector<Piece>& run, const uint8_t* s) const;
    // Whether a byte hit at q of the line s[0, len) starts and ends on characters.
    bool Whole(const uint8_t* s, size_t len, size_t from, size_t q) const;

    Pattern pattern_;
    TBvEncoding encoding_;
};

#pragma once
// The display lines' records, 8 bytes each, and the documented record made from them.
//
// Cut by bytes (code page 932, or a line whose bytes are its columns), a file line is cut into
// pieces that all have the line's piece size (its fit) except where a piece was shortened to keep
// a character whole; the last piece's Len is the fit itself, even where fewer bytes remain. So a
// row keeps its file line, and in one word either where its piece starts or, for the last piece
// of its file line, its Len; and whether it was shortened. Cut by columns, pieces have any number
// of bytes and the last one runs to the line's end: its row keeps its start and says so (kToEnd).
// Everything else follows from its neighbours: Cr from the next row's file line, a piece's Len
// from the next piece's start (or from the fit the last piece tells), the last piece's start from
// the piece before it, SubLine from the pieces before it.
#include <cstddef>
#include <cstdint>
#include <vector>

struct TBvRow {
    int32_t org;    // the file line, with kToEnd for the last piece of a line cut by columns
    uint32_t word;  // kShort: shortened; below it OrgPos, or for the last piece cut by bytes its Len
    static constexpr uint32_t kShort = 0x80000000u;
    static constexpr int32_t kToEnd = 0x40000000;  // above any file line's index
    int Org() const { return org & ~kToEnd; }
    bool ToEnd() const { return (org & kToEnd) != 0; }
    int Value() const { return int(word & ~kShort); }
    bool Short() const { return (word & kShort) != 0; }
};
static_assert(sizeof(TBvRow) == 8, "display-line records are packed: there may be tens of millions");

// One display line as the documented record has it.
struct TBvInfo {
    int OrgIndex;  // file line this piece belongs to
    int OrgPos;    // 1-based byte of the piece's start in its file line; 0 for an empty line
    int Len;       // bytes in the piece; 0 for an empty file line (the last piece's may exceed the bytes left)
    int SubLine;   // 0-based number of the piece within its file line
    bool Cr;       // this piece ends its file line
};

// A piece without its number, which takes a walk over the pieces before it.
struct TBvPiece {
    int OrgIndex;
    int OrgPos;
    int Len;
    bool Cr;
};

// The length of a piece cut at fit, shortened or not.
inline int PieceLen(int fit, bool shortened) { return shortened ? (fit > 1 ? fit - 1 : 2) : fit; }

// The rows in order, held in segments that each grow on their own (rows derived in parallel are
// joined by appending their segments, without copying).
class TBvRows {
public:
    TBvRows() = default;
    TBvRows(const TBvRows&) = delete;
    TBvRows& operator=(const TBvRows&) = delete;
    TBvRows(TBvRows&& o) noexcept { Swap(o); }
    TBvRows& operator=(TBvRows&& o) noexcept
    {
        TBvRows moved(std::move(o));
        Swap(moved);
        return *this;
    }
    ~TBvRows() { Truncate(0); }
    void Swap(TBvRows& o) noexcept
    {
        segs_.swap(o.segs_);
        std::swap(count_, o.count_);
    }

    int Count() const { return count_; }
    TBvRow At(int i) const
    {
        if (segs_.size() == 1) return segs_[0].rows[i];
        const Segment& s = SegmentOf(i);
        return s.rows[i - s.first];
    }
    // Appends a row to the last segment.
    void Add(TBvRow r)
    {
        if (segs_.empty() || segs_.back().count == segs_.back().reserved) Grow();
        Segment& s = segs_.back();
        s.rows[s.count++] = r;
        ++count_;
    }
    // Marks the last row as the last piece of its file line: its word becomes the piece's Len.
    void EndLine(int len, bool shortened)
    {
        Segment& s = segs_.back();
        s.rows[s.count - 1].word = uint32_t(len) | (shortened ? TBvRow::kShort : 0u);
    }
    // Marks the last row as the last piece of its file line, running to the line's end.
    void EndLineAtEnd()
    {
        Segment& s = segs_.back();
        s.rows[s.count - 1].org |= TBvRow::kToEnd;
    }
    // Keeps the first n rows.
    void Truncate(int n);
    // Appends the other's rows after these, leaving it empty.
    void Append(TBvRows&& other);
    // Reserves room for n more rows in the last segment (a new one when it has none to spare).
    void Reserve(size_t n);

    // The whole piece of row i (Len and start worked out from its neighbours); a last piece that
    // runs to its line's end has a Len of -1, which the line's length tells.
    TBvPiece Piece(int i) const;
    // Whether row i is the last piece of its file line.
    bool Cr(int i) const { return i + 1 >= count_ || At(i + 1).Org() != At(i).Org(); }

private:
    struct Segment {
        TBvRow* rows = nullptr;
        size_t count = 0;
        size_t reserved = 0;
        bool big = false;
        int first = 0;  // the index of its first row
    };
    const Segment& SegmentOf(int i) const;
    void Grow();

    std::vector<Segment> segs_;
    int count_ = 0;
};

#pragma once
// The display lines: each file line cut into pieces, one per row of the view, with the
// conversions between display positions and file positions.
#include <cstdint>
#include <string_view>

#include "model/BvDerive.h"
#include "model/BvMeasure.h"
#include "model/BvRows.h"
#include "model/BvStrings.h"
#include "model/BvTypes.h"

// What the view must do after one of the four property setters.
enum class TBvFollowUp { None, MapUpdate, MapResize };

class TBvLines {
public:
    static constexpr const char* IndexErrorFormat = "リストのインデックスが範囲を超えています (%d)";

    TBvLines(TBvStrings& store, const TBvMeasure& measure) : store_(store), measure_(measure) {}
    TBvLines(const TBvLines&) = delete;
    TBvLines& operator=(const TBvLines&) = delete;

    int GetCount() const { return rows_.Count(); }
    int GetCountOrg() const { return store_.Count(); }
    TBvText Get(int index) const;
    TBvText GetOrg(int index) const { return store_.Get(index); }
    const TBvStrings& Store() const { return store_; }
    bool CrCheck(int index) const
    {
        Check(index);
        return rows_.Cr(index);
    }
    // The record of display line index; the index error when there is none.
    TBvInfo Info(int index) const;
    // The same without SubLine, which costs a walk over the pieces before it.
    TBvPiece Piece(int index) const
    {
        Check(index);
        TBvPiece p = rows_.Piece(index);
        if (p.Len < 0) p.Len = int(store_.View(p.OrgIndex).size()) - p.OrgPos + 1;  // runs to the line's end
        return p;
    }
    // The bytes of display line index, as Get gives them, without taking a reference.
    std::string_view Bytes(int index) const;

    void CalcBvLines(int fromOrg);
    // The wrap settings in force, and rows derived by them elsewhere (off this thread) taken in
    // one step, with the longest piece's byte count.
    TBvWrap Wrap() const { return wrap_; }
    // Sets the wrap settings without deriving (the rows are derived by them elsewhere).
    void SetWrap(const TBvWrap& wrap) { wrap_ = wrap; }
    // rows and these exchange places: the caller gets the old rows back.
    void Adopt(TBvRows& rows, const TBvWrap& wrap, int widest);
    // The longest piece's byte count after a derivation from the first line (0 when unknown).
    int Widest() const { return widest_; }
    // The encoding the store's text is held in.
    TBvEncoding Encoding() const { return store_.Encoding(); }
    // Pixels and bytes of a display line, in the view font with the tab stops.
    TBvRowMap RowMap() const
    {
        return TBvRowMap(measure_, Encoding(), int64_t(measure_.CharWidth()) * wrap_.viewTabStop);
    }
    int64_t TabbedTextWidth(const char* s, size_t n) const { return RowMap().X(s, n); }
    int64_t TabbedTextWidth(const TBvText& s) const { return TabbedTextWidth(s.data(), s.size()); }
    // The byte kind in code page 932 (0 single, 1 lead, 2 trail), by a walk from the start.
    static int IsStrLeadBytePos(const TBvText& s, int pos);

    int ConvertIndexFromOrg(int org) const;
    int ConvertIndexToOrg(int index) const;
    TPoint ConvertLocateFromOrg(TPoint p) const { return FromOrg(TOrgPos(p)); }
    TPoint ConvertLocateToOrg(TPoint p) const { return ToOrg(TDispPos(p)); }
    // The two conversions between the kinds of position.
    TDispPos FromOrg(TOrgPos p) const;
    TOrgPos ToOrg(TDispPos p) const;

    int GetCapacity() const { return store_.Capacity(); }
    void SetCapacity(int n) { store_.SetCapacity(n); }

    bool WordWrap() const { return wrap_.wordWrap; }
    int WrapByte() const { return wrap_.wrapByte; }
    int ViewTabStop() const { return wrap_.viewTabStop; }
    int MaxChar() const { return maxChar_; }
    // The setters store the value and re-derive where that is their rule; the caller then
    // does what the result names (MapUpdate or MapResize).
    TBvFollowUp SetWordWrap(bool b);
    TBvFollowUp SetWrapByte(int n);
    TBvFollowUp SetViewTabStop(int n);
    TBvFollowUp SetMaxChar(int n);

    [[noreturn]] static void IndexError(int index);

private:
    // The first row whose file line is org or after it.
    int FirstRowFrom(int org) const;
    void Check(int index) const
    {
        if (unsigned(index) >= unsigned(rows_.Count())) IndexError(index);
    }

    TBvStrings& store_;
    const TBvMeasure& measure_;
    TBvRows rows_;
    TBvWrap wrap_;
    int widest_ = 0;
    int maxChar_ = 255;
};

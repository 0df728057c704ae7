#pragma once
// The display lines: each file line cut into pieces, one per row of the view, with the
// conversions between display positions and file positions.
#include <cstdint>

#include "model/BvArray.h"
#include "model/BvCut.h"
#include "model/BvMeasure.h"
#include "model/BvStrings.h"
#include "model/BvTypes.h"

// One display line. Len of a file line's last piece may exceed the bytes that remain;
// every reader clips it at the line's end.
struct TBvInfo {
    int OrgIndex;     // file line this piece belongs to
    int OrgPos;       // 1-based byte of the piece's start in its file line; 0 for an empty line
    int Len;          // bytes in the piece; 0 for an empty file line
    int SubLine : 31; // 0-based number of the piece within its file line
    bool Cr : 1;      // this piece ends its file line
};
static_assert(sizeof(TBvInfo) == 16, "display-line records are packed: there may be tens of millions");
using PBvInfo = TBvInfo*;

// What the view must do after one of the four property setters.
enum class TBvFollowUp { None, MapUpdate, MapResize };

class TBvLines {
public:
    static constexpr const char* IndexErrorFormat = "リストのインデックスが範囲を超えています (%d)";

    TBvLines(TBvStrings& store, const TBvMeasure& measure) : store_(store), measure_(measure) {}
    ~TBvLines();
    TBvLines(const TBvLines&) = delete;
    TBvLines& operator=(const TBvLines&) = delete;

    int GetCount() const { return count_; }
    int GetCountOrg() const { return store_.Count(); }
    TBvText Get(int index) const;
    const TBvText& GetOrg(int index) const { return store_.Get(index); }
    bool CrCheck(int index) const { return Info(index).Cr; }
    // The record of display line index; the index error when there is none.
    const TBvInfo& Info(int index) const
    {
        if (unsigned(index) >= unsigned(count_)) IndexError(index);
        return infos_[index];
    }

    void CalcBvLines(int fromOrg);
    // The encoding the store's text is held in.
    TBvEncoding Encoding() const { return store_.Encoding(); }
    // Pixels and bytes of a display line, in the view font with the tab stops.
    TBvRowMap RowMap() const { return TBvRowMap(measure_, Encoding(), int64_t(measure_.CharWidth()) * viewTabStop_); }
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

    bool WordWrap() const { return wordWrap_; }
    int WrapByte() const { return wrapByte_; }
    int ViewTabStop() const { return viewTabStop_; }
    int MaxChar() const { return maxChar_; }
    // The setters store the value and re-derive where that is their rule; the caller then
    // does what the result names (MapUpdate or MapResize).
    TBvFollowUp SetWordWrap(bool b);
    TBvFollowUp SetWrapByte(int n);
    TBvFollowUp SetViewTabStop(int n);
    TBvFollowUp SetMaxChar(int n);

    [[noreturn]] static void IndexError(int index);

private:
    void Reserve(size_t n);
    void Put(int index, const TBvInfo& info);
    void Grow();

    TBvStrings& store_;
    const TBvMeasure& measure_;
    TBvInfo* infos_ = nullptr;
    int count_ = 0;
    size_t reserved_ = 0;
    bool bigArray_ = false;
    bvarray::TPrefaulter* prefault_ = nullptr;  // while a long derivation writes the records

    bool wordWrap_ = true;
    int wrapByte_ = 0;
    int viewTabStop_ = 8;
    int maxChar_ = 255;
};

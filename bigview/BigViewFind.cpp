// The view's general search: the line store's search between two position conversions.
#include "bigview/Bigview.h"

#include "model/BvFind.h"

bool TBigView::Find(const TBvText& text, int& line, int& column) const
{
    const TPoint start = ConvertLocateToOrg({column, line});
    int index = start.Y, pos = start.X;
    const bool found = store_.Find(text, index, pos);
    const TPoint at = ConvertLocateFromOrg({pos, index});
    line = at.Y;
    column = at.X;
    return found;
}

void TBigView::SelectAndShow(TDispPos start, TDispPos end, std::shared_ptr<const TBvFind> marks)
{
    marks_ = std::move(marks);
    {
        TMapLock lock(*this);
        SetSelStart(start);
        SetSelEnd(end);
        SetViewLineStart(start.Y);
    }
    MapUpdate();
}

void TBigView::SetFindMarks(std::shared_ptr<const TBvFind> find)
{
    if (!find && !marks_) return;
    marks_ = std::move(find);
    MapUpdate();
}

TColor TBigView::MarkColor(TColor font, TColor back)
{
    auto ch = [](TColor c, int shift) { return int((c >> shift) & 0xFF); };
    auto luma = [&](TColor c) { return (299 * ch(c, 0) + 587 * ch(c, 8) + 114 * ch(c, 16)) / 1000; };
    // Amber over the background: light on a light one, dark on a dark one, and so still far from
    // the text's colour and from the inverted background; less of it where the text would pale.
    const bool light = luma(back) >= 128;
    const TColor accent = light ? 0x00C8FF : 0x0070A0;  // 0x00BBGGRR
    const int contrast = std::abs(luma(font) - luma(back));
    for (int weight = 60; weight > 0; weight -= 10) {
        TColor mark = 0;
        for (const int s : {0, 8, 16}) mark |= TColor(ch(back, s) + (ch(accent, s) - ch(back, s)) * weight / 100) << s;
        if (std::abs(luma(font) - luma(mark)) * 10 >= contrast * 7) return mark;
    }
    return back;  // text barely distinct from its background: marks would hide it
}

void TBigView::MarkRow(int line, int logicalY)
{
    const TBvPiece piece = lines_.Piece(line);
    const std::string_view bytes = store_.View(piece.OrgIndex);
    const size_t n = marks_->Size();
    if (n == 0 || piece.Len <= 0) return;
    const size_t lo = size_t(piece.OrgPos - 1), hi = lo + size_t(piece.Len);
    // A match may start rows above; the walk for character starts begins at a row's start.
    const size_t first = lo >= n - 1 ? lo - (n - 1) : 0;
    size_t from = lo;
    for (int j = line; from > first && j > 0;) {
        const TBvPiece up = lines_.Piece(--j);
        if (up.OrgIndex != piece.OrgIndex) break;
        from = size_t(up.OrgPos - 1);
    }
    if (from > first) from = 0;
    // The match that is the selection shows as the selection alone.
    TOrgPos s = lines_.ToOrg(sel_.Start()), e = lines_.ToOrg(sel_.End());
    Order(s, e);
    const TBvText text = Get(line);
    const int top = logicalY;
    const uint32_t fg = ToQColor(fontColor_).rgb(), bg = ToQColor(color_).rgb();
    const uint32_t mark = ToQColor(MarkColor(fontColor_, color_)).rgb();
    marks_->Each(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), from, first, hi, [&](size_t at) {
        if (s.Y == piece.OrgIndex && e.Y == piece.OrgIndex && size_t(s.X - 1) == at && size_t(e.X - 1) == at + n)
            return;
        const size_t a = std::max(at, lo) - lo, b = std::min(at + n, hi) - lo;
        const int64_t left = LeftMargin + TabbedTextWidth(text.data(), a);
        const int64_t right = LeftMargin + TabbedTextWidth(text.data(), std::min(b, text.size()));
        map_.Tint(left, top, right, top + lineHeight_, fg, bg, mark);
    });
}

#pragma once
// A pixel of a view's screen map, by the text it shows.
#include <QImage>

#include "bigview/Bigview.h"

// The map's pixel inside the cell of byte `pos` of display line `line` on view (one pixel in from
// its top left, where an 'a' or a space leaves the background).
inline QRgb CellPixel(const TBigView& v, int line, int pos)
{
    const TBvText text = v.Get(line);
    const int64_t x = TBigView::LeftMargin + v.TabbedTextWidth(text.data(), size_t(pos)) + 1 - v.MapOrigin();
    return v.MapImage().pixel(int(x), (line - v.ViewLineStart()) * v.LineHeight() + 1);
}

// The view's general search: the line store's search between two position conversions.
#include "bigview/Bigview.h"

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

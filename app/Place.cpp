#include "app/Place.h"

#include "app/ScrollOps.h"
#include "bigview/Bigview.h"

// File positions count bytes from 1; a place counts them from 0.
TPlace PlaceOfTop(const TBigView& view)
{
    if (view.GetCount() == 0) return {};
    const TPoint p = view.ConvertLocateToOrg({1, view.ViewLineStart()});
    return {p.Y, p.X - 1};
}

void ShowPlace(TBigView& view, TPlace place)
{
    if (place.line < 0 || place.line >= view.GetCountOrg()) {
        ScrollToEnd(view);
        return;
    }
    view.SetViewLineStart(view.ConvertLocateFromOrg({place.pos + 1, place.line}).Y);
}

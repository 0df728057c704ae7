#pragma once
// The reader's place in the text a view shows, taken and given back by file line, so that it
// survives another width, another wrapping or the file read again.
#include "app/History.h"

class TBigView;

// The file line of the top display line and the byte of it where that display line starts;
// the top for an empty text.
TPlace PlaceOfTop(const TBigView& view);
// Puts the place at the top of the view: the display line holding that byte of that file line
// (its last one when the line has grown shorter). A file line the text does not have shows the
// end, as a file that shrank ends there.
void ShowPlace(TBigView& view, TPlace place);

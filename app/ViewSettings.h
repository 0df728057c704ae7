#pragma once
// The settings on the view: the value itself knows no widget, the view no settings value.
#include "bigview/Bigview.h"
#include "settings/Settings.h"

// The view's font (face and height), font colour, colour, line-end colour and marks.
void ApplySettingsToView(const TSettings& s, TBigView& view);
void TakeSettingsFromView(TSettings& s, const TBigView& view);

// The main window's view as designed: frame, wrapping, scroll bar, tab stops, and the design
// values of the settings (also what tavuko-render shows and the benchmarks measure).
void ApplyViewDesignValues(TBigView& view);

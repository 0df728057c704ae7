#include "app/ViewSettings.h"

// Colours are kept as plain RGB values: the view holds no named colour, so a system colour
// given to it is already its RGB value of that moment.
void ApplySettingsToView(const TSettings& s, TBigView& view)
{
    QFont font = view.ViewFont().Font();
    if (!s.FontName.isEmpty()) font.setFamily(s.FontName);  // an empty face leaves the font's
    if (s.FontHeight >= 1 && s.FontHeight <= TSettings::MaxFontHeight) font.setPixelSize(s.FontHeight);
    view.SetViewFont(font);
    view.SetFontColor(s.FontColor);
    view.SetColor(s.BgColor);
    view.SetCRColor(s.CRColor);
    view.SetCRMark(s.CRView);
}

void TakeSettingsFromView(TSettings& s, const TBigView& view)
{
    const QFont& font = view.ViewFont().Font();
    s.FontName = font.family();
    if (font.pixelSize() > 0) s.FontHeight = font.pixelSize();
    s.FontColor = view.FontColor();
    s.BgColor = view.Color();
    s.CRColor = view.CRColor();
    s.CRView = view.CRMark();
}

void ApplyViewDesignValues(TBigView& view)
{
    view.SetBvStyle(BvSet({bvClientLow}));
    view.SetCapacity(0);
    view.SetPCanLimit(0);
    view.SetWrapByte(0);
    view.SetCaret(false);
    view.SetScOver(false);
    view.SetSelect(true);
    view.SetWordWrap(true);
    view.SetViewFont(TViewFont::DefaultViewFont());
    view.SetMaxChar(87);
    view.SetScrollBar(ssVertical);
    view.SetScrollSense(1);
    view.SetViewTabStop(8);
    ApplySettingsToView(TSettings(), view);
}

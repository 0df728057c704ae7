// The settings value on the view and back, and the view as the main window designs it.
#include "app/ViewSettings.h"

#include <gtest/gtest.h>

TEST(ViewSettings, TheViewTakesTheSettingsAndGivesThemBack)
{
    TBigView view;
    ApplyViewDesignValues(view);
    EXPECT_EQ(view.ViewFont().Font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(view.ViewFont().Font().pixelSize(), 12);
    EXPECT_EQ(view.FontColor(), clWhite);
    EXPECT_EQ(view.Color(), clBlack);
    EXPECT_EQ(view.CRColor(), clAqua);
    EXPECT_TRUE(view.CRMark());
    EXPECT_EQ(view.MaxChar(), 87);
    EXPECT_EQ(view.ViewTabStop(), 8);
    EXPECT_EQ(view.ScrollBar(), ssVertical);

    TSettings stored;
    stored.FontName = QStringLiteral("IPAGothic");
    stored.FontHeight = 16;
    stored.FontColor = 0x00FF00;
    stored.BgColor = 0x800000;
    stored.CRView = false;
    stored.CRColor = 0x0000FF;
    ApplySettingsToView(stored, view);
    EXPECT_EQ(view.ViewFont().Font().family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(view.ViewFont().Font().pixelSize(), 16);
    TSettings back;
    TakeSettingsFromView(back, view);
    EXPECT_EQ(back.FontName, stored.FontName);
    EXPECT_EQ(back.FontHeight, 16);
    EXPECT_EQ(back.FontColor, stored.FontColor);
    EXPECT_EQ(back.BgColor, stored.BgColor);
    EXPECT_EQ(back.CRColor, stored.CRColor);
    EXPECT_EQ(back.CRView, stored.CRView);

    // An empty face leaves the font's face as it is.
    TSettings noFace = stored;
    noFace.FontName.clear();
    noFace.FontHeight = 20;
    ApplySettingsToView(noFace, view);
    EXPECT_EQ(view.ViewFont().Font().family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(view.ViewFont().Font().pixelSize(), 20);
}

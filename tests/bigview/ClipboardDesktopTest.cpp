// A copy seen from another program: xclip reads the X clipboard while this process serves it.
// Needs an X server; without DISPLAY the program reports itself skipped (exit status 77).
#include <gtest/gtest.h>

#include "bigview/Bigview.h"
#include "support/Xclip.h"

namespace {

TEST(ClipboardDesktop, AnotherProgramReadsTheCopiedText)
{
    TBigView view;
    view.SetViewFont(TViewFont::DefaultViewFont());
    view.resize(400, 300);
    view.show();
    view.LinesAssign({TBvText("\x82\xA0\x82\xA2 abc"), TBvText("\x8A\xBF\x8E\x9A"
                                                               "def")});
    view.SetSelStart({3, 0});
    view.SetSelEnd({3, 1});
    view.CopyToClipboard();
    EXPECT_EQ(view.SelStart(), (TPoint{0, 0}));

    EXPECT_EQ(QString::fromUtf8(Xclip({"-o", "-selection", "clipboard", "-t", "UTF8_STRING"})),
              QString::fromUtf8("い abc\r\n漢"));
    EXPECT_EQ(Xclip({"-o", "-selection", "clipboard", "-t", "text/plain;charset=Shift_JIS"}),
              QByteArray("\x82\xA2 abc\r\n\x8A\xBF"));
}

}  // namespace

int main(int argc, char** argv) { return RunXclipTests(argc, argv); }

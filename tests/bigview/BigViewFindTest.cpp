// TBigView::Find: the line store's search, started from and reporting display positions.
#include <gtest/gtest.h>

#include "bigview/Bigview.h"

TEST(BigViewFind, SearchesFileLinesFromADisplayPosition)
{
    TBigView v;
    v.resize(300, 200);
    v.show();
    v.SetWrapByte(4);
    // Display lines: 0 "xAB", 1 "abcd", 2 "efgh", 3 "q".
    v.LinesAssign({TBvText("xAB"), TBvText("abcdefgh"), TBvText("q")});
    ASSERT_EQ(v.GetCount(), 4);
    v.SetViewLineStart(1);
    const TPoint selStart = v.SelStart(), selEnd = v.SelEnd();
    struct Case {
        const char* text;
        int line, column;
        bool found;
        int toLine, toColumn;
    } cases[] = {
        {"ab", 0, 1, true, 0, 2},      // without case, from the first byte
        {"ab", 0, 3, true, 1, 1},      // past the match: on to the next file line
        {"fg", 0, 1, true, 2, 2},      // a match in the second piece of a file line
        {"de", 1, 1, true, 1, 4},      // the store's lines are not cut at the wrap point
        {"gh", 2, 1, true, 2, 3},      // a start inside the second piece
        {"xab", 99, 5, true, 0, 1},    // a start outside the display lines: from the beginning
        {"zz", 0, 1, false, 4, 1},     // not found: the end of the text
        {"", 2, 3, false, 2, 3},       // the empty text leaves the position where it was
    };
    for (const Case& c : cases) {
        int line = c.line, column = c.column;
        EXPECT_EQ(v.Find(TBvText(c.text), line, column), c.found) << c.text;
        EXPECT_EQ(line, c.toLine) << c.text;
        EXPECT_EQ(column, c.toColumn) << c.text;
    }
    EXPECT_EQ(v.ViewLineStart(), 1);
    EXPECT_EQ(v.SelStart(), selStart);
    EXPECT_EQ(v.SelEnd(), selEnd);
}

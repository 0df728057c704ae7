#pragma once
// What the status bar says about the text shown, as plain values, so that its texts are tested
// without a window.
#include <QString>

#include "model/BvStrings.h"

struct TStatusFacts {
    TBvSource source;  // the encoding the file was read in
    TBvLineEnds lineEnds = TBvLineEnds::None;
    int topLine = 0;         // the file line of the top display line, from 0
    int fileLines = 0;       // the text's file lines
    int lastShown = 0;       // the last display line on view, from 0
    int displayLines = 0;    // the text's display lines
    bool following = false;  // the file is followed as it grows
};

struct TStatusTexts {
    QString encoding, lineEnds, line, percent, following;
    friend bool operator==(const TStatusTexts&, const TStatusTexts&) = default;
};

// The encoding's name as the encoding menu gives it ("Shift_JIS", "UTF-8" ...).
QString CharsetName(TCharset c);
// Empty texts for what does not apply: no line ends, no line and no percentage for an empty
// text, no "追跡中" while not following. The percentage is how much of the text lies above the
// bottom of the view, rounded down, so that 100% means the end is on view.
TStatusTexts StatusTexts(const TStatusFacts& facts);

#pragma once
// The status bar under the view: the encoding, the line ends, the file line at the top of the
// count, how far the view has got, and whether the file is followed. It brings itself up to date
// whenever the view paints, so that every scroll, resize and load shows in it.
#include <QStatusBar>
#include <array>
#include <optional>

#include "app/StatusTexts.h"

class QLabel;
class TBigView;

class TStatusBar : public QStatusBar {
public:
    TStatusBar(TBigView* view, QWidget* parent = nullptr);
    // The file is followed as it grows, or no longer.
    void SetFollowing(bool following);
    // The view shows another text, or its text has grown: its line ends are looked at again.
    void TextChanged();
    // Brings the texts up to date with the view (also done on each paint of the view).
    void Refresh();
    const TStatusTexts& Texts() const { return texts_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TBigView* view_;
    std::array<QLabel*, 5> labels_{};
    TStatusTexts texts_;
    bool following_ = false;
    bool shown_ = false;                   // the labels show texts_
    std::optional<TBvLineEnds> lineEnds_;  // none until looked at for the text shown
};

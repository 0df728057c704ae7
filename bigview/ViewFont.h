#pragma once
// The view font: measures and draws CP932 byte strings with the same advances, so that
// wrapping, drawing and hit-testing agree to the pixel.
#include <QColor>
#include <QFont>
#include <QRawFont>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "model/BvMeasure.h"
#include "platform/Cp932.h"

class QPainter;

class TViewFont {
public:
    explicit TViewFont(const QFont& font);

    // Makes the Japanese Windows face names resolve to the metric-compatible IPA fonts.
    static void InstallSubstitutions();
    // The view font of the main window: "ＭＳ ゴシック", 12 px.
    static QFont DefaultViewFont();

    const QFont& Font() const { return font_; }
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }  // text height plus external leading
    // True when every character is one cell of its class (fixed pitch): then every byte but a
    // tab is CharWidth pixels and measuring needs only to find the tabs.
    bool CellGrid() const { return grid_; }

    int64_t TabbedTextWidth(const char* s, size_t n, int64_t tabDistance) const;
    // Makes every advance now, on the calling thread, so that measuring touches no font engine
    // and may run on several threads at once.
    void PrepareForThreads() const;
    // Pixel offset after each byte of s, as TabbedTextWidth of that prefix (the first byte of
    // a two-byte character gets the width of the prefix ending on it, a lone lead byte's cell).
    // For hit-testing with prefixes measured once.
    void PrefixWidths(const char* s, size_t n, int64_t tabDistance, std::vector<int64_t>& out) const;

    // Draws s with its top-left at (x, y), tabs counted from x, text in fg over an opaque
    // background bg as wide as the text; returns the width drawn.
    int64_t DrawText(QPainter& p, int x, int y, const char* s, size_t n, int64_t tabDistance, const QColor& fg,
                     const QColor& bg) const;

private:
    int SingleAdvance(uint8_t b) const { return single_[b]; }
    int PairAdvance(uint8_t lead, uint8_t trail) const;
    int64_t TabAdvance(int64_t x, int64_t tabDistance) const;
    // Advance of the character cell at b, which starts x pixels from the measure's origin.
    int64_t Advance(const uint8_t* b, const cp932::Cell& cell, int64_t x, int64_t tabDistance) const;
    quint32 Glyph(const uint8_t* b, const cp932::Cell& cell) const;

    QFont font_;
    QRawFont raw_;
    int charWidth_ = 6;
    int lineHeight_ = 13;
    int ascent_ = 10;
    bool grid_ = true;
    std::array<int, 256> single_{};
    // Advances of two-byte characters, one row of 256 per lead byte, made when first needed (once,
    // also when several threads measure at the same time).
    mutable std::array<std::unique_ptr<std::array<uint16_t, 256>>, 256> pairRows_;
    mutable std::array<std::once_flag, 256> pairOnce_;
    // Glyph indexes in the view font (0: not in it), per single byte and per two-byte code.
    std::array<quint32, 256> singleGlyph_{};

    mutable std::array<std::unique_ptr<std::array<quint32, 256>>, 256> pairGlyphRows_;
};

// The view font as the document model's measure, at a given client width.
class TViewFontMeasure : public TBvMeasure {
public:
    explicit TViewFontMeasure(const TViewFont& font, int clientWidth = 0) : font_(font), clientWidth_(clientWidth) {}
    void SetClientWidth(int w) { clientWidth_ = w; }
    int64_t TabbedTextWidth(const char* s, size_t n, int64_t tabDistance) const override
    {
        return font_.TabbedTextWidth(s, n, tabDistance);
    }
    int CharWidth() const override { return font_.CharWidth(); }
    int ClientWidth() const override { return clientWidth_; }
    int UniformByteWidth() const override { return font_.CellGrid() ? font_.CharWidth() : 0; }

private:
    const TViewFont& font_;
    int clientWidth_;
};

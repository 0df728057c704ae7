#pragma once
// The view font: measures and draws byte strings in the text's encoding with the same
// advances, so that wrapping, drawing and hit-testing agree to the pixel.
//
// Measuring may run on several threads at once: the advances and glyphs it caches are made
// once under a lock and read without one.
#include <QColor>
#include <QFont>
#include <QRawFont>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "model/BvEncoding.h"
#include "model/BvMeasure.h"

class QPainter;

class TViewFont {
public:
    explicit TViewFont(const QFont& font);
    ~TViewFont();
    TViewFont(const TViewFont&) = delete;
    TViewFont& operator=(const TViewFont&) = delete;

    // Makes the Japanese Windows face names resolve to the metric-compatible IPA fonts.
    static void InstallSubstitutions();
    // The view font of the main window: "ＭＳ ゴシック", 12 px.
    static QFont DefaultViewFont();

    const QFont& Font() const { return font_; }
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }  // text height plus external leading
    // True when every character is one cell of its class (fixed pitch): then every character
    // but a tab is its cells times CharWidth pixels (in code page 932: every byte CharWidth) and
    // measuring needs only to count.
    bool CellGrid() const { return grid_; }

    int64_t TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance) const;
    // Pixel offset after each byte of s, as TabbedTextWidth of that prefix (a byte before the
    // last of a character ends a prefix whose bytes from the character's first on are no
    // character: a cell each). For hit-testing with prefixes measured once.
    void PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance, std::vector<int64_t>& out) const;
    // Makes the code page 932 advances now, on the calling thread, so that measuring such a text
    // on several threads at once never waits for the font engine (other rows are made on demand).
    void PrepareForThreads() const;

    // Draws s with its top-left at (x, y), tabs counted from x, text in fg over an opaque
    // background bg as wide as the text; returns the width drawn.
    int64_t DrawText(QPainter& p, int x, int y, TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                     const QColor& fg, const QColor& bg) const;

private:
    // Advances and glyph indexes of 256 code points (a row of one lead byte's pairs, or of
    // Unicode characters with one high byte), made when first needed.
    struct Row {
        std::array<uint16_t, 256> advance{};
        std::array<quint32, 256> glyph{};
    };
    using Rows = std::array<std::atomic<Row*>, 256>;

    int SingleAdvance(uint8_t b) const { return single_[b]; }
    int PairAdvance(uint8_t lead, uint8_t trail) const;
    int64_t TabAdvance(int64_t x, int64_t tabDistance) const;
    // The advance of a character of another encoding than code page 932.
    int64_t UnicodeAdvance(char32_t c, int cells) const;
    // Advance of the character at b, which starts x pixels from the measure's origin.
    int64_t Advance(TBvEncoding enc, const uint8_t* b, const TBvChar& c, int64_t x, int64_t tabDistance) const;
    // The glyph in the view font, 0 when it has none.
    quint32 Glyph(TBvEncoding enc, const uint8_t* b, const TBvChar& c) const;
    const Row& PairRow(uint8_t lead) const;
    const Row& UnicodeRow(uint32_t high) const;
    const Row& MakeRow(Rows& rows, uint32_t index, bool unicode) const;

    QFont font_;
    QRawFont raw_;
    int charWidth_ = 6;
    int lineHeight_ = 13;
    int ascent_ = 10;
    bool grid_ = true;
    std::array<int, 256> single_{};
    // Glyph indexes in the view font (0: not in it), per single byte.
    std::array<quint32, 256> singleGlyph_{};
    mutable Rows pairRows_{};     // code page 932 pairs, by lead byte
    mutable Rows unicodeRows_{};  // the Basic Multilingual Plane, by high byte
    mutable std::mutex rowMaking_;
};

// The view font as the document model's measure, at a given client width.
class TViewFontMeasure : public TBvMeasure {
public:
    explicit TViewFontMeasure(const TViewFont& font, int clientWidth = 0) : font_(font), clientWidth_(clientWidth) {}
    void SetClientWidth(int w) { clientWidth_ = w; }
    int64_t TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance) const override
    {
        return font_.TabbedTextWidth(enc, s, n, tabDistance);
    }
    void PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                      std::vector<int64_t>& out) const override
    {
        font_.PrefixWidths(enc, s, n, tabDistance, out);
    }
    int CharWidth() const override { return font_.CharWidth(); }
    int ClientWidth() const override { return clientWidth_; }
    int UniformCellWidth() const override { return font_.CellGrid() ? font_.CharWidth() : 0; }

private:
    const TViewFont& font_;
    int clientWidth_;
};

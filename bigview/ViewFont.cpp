#include "bigview/ViewFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <cstring>

#include "platform/Cp932.h"

using cp932::CellKind;

namespace {

const char* const kViewFace = "ＭＳ ゴシック";

}  // namespace

void TViewFont::InstallSubstitutions()
{
    QFont::insertSubstitutions(QString::fromUtf8(kViewFace), {"IPAGothic", "IPAゴシック"});
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ Ｐゴシック"), {"IPAPGothic", "IPAPゴシック"});
    QFont::insertSubstitutions("MS Gothic", {"IPAGothic"});
}

QFont TViewFont::DefaultViewFont()
{
    InstallSubstitutions();
    QFont f(QString::fromUtf8(kViewFace));
    f.setPixelSize(12);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}

TViewFont::TViewFont(const QFont& font) : font_(font)
{
    const QFontMetrics fm(font_);
    charWidth_ = fm.horizontalAdvance(QLatin1Char('x'));
    if (charWidth_ < 1) charWidth_ = 1;
    lineHeight_ = fm.height() + (fm.leading() > 0 ? fm.leading() : 0);
    ascent_ = fm.ascent();
    raw_ = QRawFont::fromFont(font_);

    const cp932::Table& table = cp932::Table::Instance();
    bool grid = true;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = cp932::IsLeadByte(uint8_t(b)) ? cp932::Table::kNone : table.Single(uint8_t(b));
        int adv = charWidth_;
        if (c != cp932::Table::kNone && c >= 0x20 && c != 0x7F && raw_.supportsCharacter(QChar(c)))
            adv = fm.horizontalAdvance(QChar(c));
        single_[size_t(b)] = adv;
        if (c != cp932::Table::kNone && c >= 0x20 && c != 0x7F) {
            const QList<quint32> g = raw_.glyphIndexesForString(QString(QChar(c)));
            singleGlyph_[size_t(b)] = g.isEmpty() ? 0 : g[0];
        }
        if (adv != charWidth_) grid = false;
    }
    for (const char16_t c : {u'あ', u'漢', u'ー', u'　', u'Ａ'})
        if (fm.horizontalAdvance(QChar(c)) != 2 * charWidth_) grid = false;
    grid_ = grid;
}

int TViewFont::PairAdvance(uint8_t lead, uint8_t trail) const
{
    if (grid_) return 2 * charWidth_;
    auto& row = pairRows_[lead];
    std::call_once(pairOnce_[lead], [&] {
        auto made = std::make_unique<std::array<uint16_t, 256>>();
        const QFontMetrics fm(font_);
        const cp932::Table& table = cp932::Table::Instance();
        for (int t = 0; t < 256; ++t) {
            const char16_t c = cp932::IsTrailByte(uint8_t(t)) ? table.Pair(lead, uint8_t(t)) : cp932::Table::kNone;
            int adv = 2 * charWidth_;
            if (c != cp932::Table::kNone && raw_.supportsCharacter(QChar(c))) adv = fm.horizontalAdvance(QChar(c));
            (*made)[size_t(t)] = uint16_t(adv);
        }
        row = std::move(made);
    });
    return (*row)[trail];
}

void TViewFont::PrepareForThreads() const
{
    if (grid_) return;
    for (int lead = 0; lead < 256; ++lead)
        if (cp932::IsLeadByte(uint8_t(lead))) PairAdvance(uint8_t(lead), 0x40);
}

quint32 TViewFont::Glyph(const uint8_t* b, const cp932::Cell& cell) const
{
    if (cell.kind == CellKind::Single) return singleGlyph_[b[0]];
    auto& row = pairGlyphRows_[b[0]];
    if (!row) {
        // One lead byte's whole row at once: a handful of font look-ups instead of one per draw.
        row = std::make_unique<std::array<quint32, 256>>();
        const cp932::Table& table = cp932::Table::Instance();
        QString chars;
        std::vector<int> trails;
        for (int t = 0; t < 256; ++t) {
            const char16_t c = cp932::IsTrailByte(uint8_t(t)) ? table.Pair(b[0], uint8_t(t)) : cp932::Table::kNone;
            if (c == cp932::Table::kNone) continue;
            chars.append(QChar(c));
            trails.push_back(t);
        }
        const QList<quint32> g = raw_.glyphIndexesForString(chars);
        for (size_t i = 0; i < trails.size() && i < size_t(g.size()); ++i) (*row)[size_t(trails[i])] = g[qsizetype(i)];
    }
    return (*row)[b[1]];
}

int64_t TViewFont::Advance(const uint8_t* b, const cp932::Cell& cell, int64_t x, int64_t tabDistance) const
{
    switch (cell.kind) {
    case CellKind::Tab: return TabAdvance(x, tabDistance);
    case CellKind::Single: return SingleAdvance(b[0]);
    case CellKind::Double: return PairAdvance(b[0], b[1]);
    case CellKind::Bad: return charWidth_;
    case CellKind::Unassigned: return 2 * charWidth_;
    }
    return charWidth_;
}

int64_t TViewFont::TabAdvance(int64_t x, int64_t tabDistance) const
{
    if (tabDistance <= 0) return charWidth_;
    return (x / tabDistance + 1) * tabDistance - x;
}

int64_t TViewFont::TabbedTextWidth(const char* s, size_t n, int64_t tabDistance) const
{
    if (grid_) {
        // Every byte but a tab is one column; a tab byte is never part of a two-byte character.
        int64_t x = 0;
        const char* p = s;
        const char* end = s + n;
        while (const void* hit = std::memchr(p, '\t', size_t(end - p))) {
            const char* tab = static_cast<const char*>(hit);
            x += int64_t(tab - p) * charWidth_;
            x += TabAdvance(x, tabDistance);
            p = tab + 1;
        }
        return x + int64_t(end - p) * charWidth_;
    }
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    int64_t x = 0;
    size_t i = 0;
    while (i < n) {
        const cp932::Cell cell = cp932::CellAt(b + i, n - i);
        x += Advance(b + i, cell, x, tabDistance);
        i += cell.bytes;
    }
    return x;
}

void TViewFont::PrefixWidths(const char* s, size_t n, int64_t tabDistance, std::vector<int64_t>& out) const
{
    out.resize(n);
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    int64_t x = 0;
    size_t i = 0;
    while (i < n) {
        const cp932::Cell cell = cp932::CellAt(b + i, n - i);
        if (cell.bytes == 2) {
            // The prefix that ends on the lead byte measures it as a lone lead: one cell.
            out[i] = x + charWidth_;
        }
        x += Advance(b + i, cell, x, tabDistance);
        i += cell.bytes;
        out[i - 1] = x;
    }
}

int64_t TViewFont::DrawText(QPainter& p, int x0, int y, const char* s, size_t n, int64_t tabDistance, const QColor& fg,
                            const QColor& bg) const
{
    const int64_t width = TabbedTextWidth(s, n, tabDistance);
    if (width > 0) p.fillRect(QRectF(x0, y, double(width), lineHeight_), bg);
    const QRectF clip = p.hasClipping() ? p.clipBoundingRect() : QRectF(p.viewport());
    const double left = clip.left() - 4 * charWidth_, right = clip.right() + 4 * charWidth_;

    QList<quint32> glyphs;
    QList<QPointF> positions;
    QString text;
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    const int baseline = y + ascent_;
    int64_t x = x0;
    size_t i = 0;
    p.setPen(fg);
    while (i < n) {
        const cp932::Cell cell = cp932::CellAt(b + i, n - i);
        const int64_t adv = Advance(b + i, cell, x - x0, tabDistance);
        if (x + adv >= left && x <= right) {
            if (cell.kind == CellKind::Single || cell.kind == CellKind::Double) {
                const quint32 glyph = Glyph(b + i, cell);
                if (glyph != 0) {
                    glyphs.append(glyph);
                    positions.append(QPointF(double(x), baseline));
                } else if (cell.ch != u' ' && cell.ch != u'\u3000') {
                    text = QChar(cell.ch);
                    // Not in the view font: drawn by fallback inside its own cell.
                    p.save();
                    p.setClipRect(QRectF(double(x), y, adv, lineHeight_), Qt::IntersectClip);
                    p.setFont(font_);
                    p.drawText(QPointF(double(x), baseline), text);
                    p.restore();
                }
            } else if (cell.kind != CellKind::Tab) {
                // No character: a visible replacement mark filling the cell.
                p.drawRect(QRectF(double(x) + 1, y + 2, adv - 3, lineHeight_ - 5));
            }
        }
        x += adv;
        i += cell.bytes;
        if (x > right) break;
    }
    if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    return width;
}

#include "bigview/ViewFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <cstring>

#include "model/BvCut.h"

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

TViewFont::~TViewFont()
{
    for (Rows* rows : {&pairRows_, &unicodeRows_})
        for (auto& r : *rows) delete r.load(std::memory_order_relaxed);
}

const TViewFont::Row& TViewFont::MakeRow(Rows& rows, uint32_t index, bool unicode) const
{
    const std::lock_guard<std::mutex> lock(rowMaking_);
    if (const Row* made = rows[index].load(std::memory_order_acquire)) return *made;  // by another thread meanwhile
    auto row = std::make_unique<Row>();
    const QFontMetrics fm(font_);
    const cp932::Table& table = cp932::Table::Instance();
    QString chars;
    std::vector<int> at;
    for (int t = 0; t < 256; ++t) {
        // A code page 932 pair not in the font is one full-width cell; a Unicode character its cells.
        char16_t c = cp932::Table::kNone;
        int cells = 2;
        if (!unicode) {
            if (cp932::IsTrailByte(uint8_t(t))) c = table.Pair(uint8_t(index), uint8_t(t));
        } else {
            const char32_t u = index << 8 | uint32_t(t);
            if (u < 0xD800 || u > 0xDFFF) c = char16_t(u);
            cells = unicode::Cells(u);
        }
        int adv = cells * charWidth_;
        if (c != cp932::Table::kNone && cells > 0 && raw_.supportsCharacter(QChar(c))) {
            // On a cell grid every advance is its cells: only the glyphs are worth looking up.
            if (!grid_) adv = fm.horizontalAdvance(QChar(c));
            chars.append(QChar(c));
            at.push_back(t);
        }
        row->advance[size_t(t)] = uint16_t(adv);
    }
    // One lead byte's (or high byte's) glyphs at once: a handful of font look-ups, not one per draw.
    const QList<quint32> g = raw_.glyphIndexesForString(chars);
    for (size_t i = 0; i < at.size() && i < size_t(g.size()); ++i) row->glyph[size_t(at[i])] = g[qsizetype(i)];
    rows[index].store(row.get(), std::memory_order_release);
    return *row.release();
}

const TViewFont::Row& TViewFont::PairRow(uint8_t lead) const
{
    const Row* row = pairRows_[lead].load(std::memory_order_acquire);
    return row ? *row : MakeRow(pairRows_, lead, false);
}

const TViewFont::Row& TViewFont::UnicodeRow(uint32_t high) const
{
    const Row* row = unicodeRows_[high].load(std::memory_order_acquire);
    return row ? *row : MakeRow(unicodeRows_, high, true);
}

void TViewFont::PrepareForThreads() const
{
    if (grid_) return;
    for (int lead = 0; lead < 256; ++lead)
        if (cp932::IsLeadByte(uint8_t(lead))) PairRow(uint8_t(lead));
}

int TViewFont::PairAdvance(uint8_t lead, uint8_t trail) const
{
    if (grid_) return 2 * charWidth_;
    return PairRow(lead).advance[trail];
}

int64_t TViewFont::UnicodeAdvance(char32_t c, int cells) const
{
    // Off the Basic Multilingual Plane the font has no glyphs worth a look-up: the fallback
    // draws such a character inside its cells.
    if (grid_ || cells == 0 || c > 0xFFFF) return int64_t(cells) * charWidth_;
    return UnicodeRow(c >> 8).advance[c & 0xFF];
}

quint32 TViewFont::Glyph(TBvEncoding enc, const uint8_t* b, const TBvChar& c) const
{
    if (enc.kind() == TBvEncoding::Cp932) return c.bytes == 1 ? singleGlyph_[b[0]] : PairRow(b[0]).glyph[b[1]];
    return c.ch <= 0xFFFF ? UnicodeRow(c.ch >> 8).glyph[c.ch & 0xFF] : 0;
}

int64_t TViewFont::Advance(TBvEncoding enc, const uint8_t* b, const TBvChar& c, int64_t x, int64_t tabDistance) const
{
    switch (c.kind) {
    case TBvCharKind::Tab: return TabAdvance(x, tabDistance);
    case TBvCharKind::Bad: return charWidth_;
    case TBvCharKind::Unassigned: return int64_t(c.cells) * charWidth_;
    case TBvCharKind::Char: break;
    }
    if (enc.kind() == TBvEncoding::Cp932) return c.bytes == 1 ? SingleAdvance(b[0]) : PairAdvance(b[0], b[1]);
    return UnicodeAdvance(c.ch, c.cells);
}

int64_t TViewFont::TabAdvance(int64_t x, int64_t tabDistance) const
{
    if (tabDistance <= 0) return charWidth_;
    return (x / tabDistance + 1) * tabDistance - x;
}

int64_t TViewFont::TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance) const
{
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    if (grid_ && enc.kind() == TBvEncoding::Cp932) {
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
    int64_t x = 0;
    size_t i = 0;
    if (grid_) {
        // Every character but a tab is its cells' columns.
        const uint8_t* three = unicode::ThreeByteCells();
        while (i < n) {
            if (b[i] == '\t') {
                x += TabAdvance(x, tabDistance);
                ++i;
                continue;
            }
            const bvcut::TStep st = bvcut::Step(enc, b + i, n - i, three);
            x += int64_t(st.cells) * charWidth_;
            i += st.bytes;
        }
        return x;
    }
    while (i < n) {
        const TBvChar c = enc.At(b + i, n - i);
        x += Advance(enc, b + i, c, x, tabDistance);
        i += c.bytes;
    }
    return x;
}

void TViewFont::PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                             std::vector<int64_t>& out) const
{
    out.resize(n);
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    int64_t x = 0;
    size_t i = 0;
    while (i < n) {
        const TBvChar c = enc.At(b + i, n - i);
        // A prefix that ends inside the character cuts it: its first bytes are no character.
        for (size_t k = 0; k + 1 < c.bytes; ++k) out[i + k] = x + int64_t(k + 1) * charWidth_;
        x += Advance(enc, b + i, c, x, tabDistance);
        i += c.bytes;
        out[i - 1] = x;
    }
}

int64_t TViewFont::DrawText(QPainter& p, int x0, int y, TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                            const QColor& fg, const QColor& bg) const
{
    const int64_t width = TabbedTextWidth(enc, s, n, tabDistance);
    if (width > 0) p.fillRect(QRectF(x0, y, double(width), lineHeight_), bg);
    const QRectF clip = p.hasClipping() ? p.clipBoundingRect() : QRectF(p.viewport());
    const double left = clip.left() - 4 * charWidth_, right = clip.right() + 4 * charWidth_;

    QList<quint32> glyphs;
    QList<QPointF> positions;
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    const int baseline = y + ascent_;
    int64_t x = x0;
    size_t i = 0;
    p.setPen(fg);
    // Not in the view font, or joined by characters of zero width: drawn by fallback (and
    // shaped) inside the cells of its first character.
    auto fallback = [&](const std::u32string& text, int64_t adv) {
        p.save();
        p.setClipRect(QRectF(double(x), y, double(adv), lineHeight_), Qt::IntersectClip);
        p.setFont(font_);
        p.drawText(QPointF(double(x), baseline), QString::fromUcs4(text.data(), qsizetype(text.size())));
        p.restore();
    };
    while (i < n) {
        const TBvChar c = enc.At(b + i, n - i);
        const int64_t adv = Advance(enc, b + i, c, x - x0, tabDistance);
        size_t bytes = c.bytes;
        std::u32string joined;  // the characters of zero width after it
        if (c.kind == TBvCharKind::Char && enc.kind() == TBvEncoding::Utf8)
            while (i + bytes < n && b[i + bytes] >= 0x80) {
                const TBvChar z = enc.At(b + i + bytes, n - i - bytes);
                if (z.kind != TBvCharKind::Char || z.cells != 0) break;
                joined += z.ch;
                bytes += z.bytes;
            }
        if (x + adv >= left && x <= right) {
            if (c.kind == TBvCharKind::Char) {
                const quint32 glyph = joined.empty() ? Glyph(enc, b + i, c) : 0;
                if (glyph != 0) {
                    glyphs.append(glyph);
                    positions.append(QPointF(double(x), baseline));
                } else if (c.ch != U' ' && c.ch != U'\u3000') {
                    fallback(char32_t(c.ch) + joined, adv);
                }
            } else if (c.kind != TBvCharKind::Tab) {
                // No character: a visible replacement mark filling the cell.
                p.drawRect(QRectF(double(x) + 1, y + 2, double(adv) - 3, lineHeight_ - 5));
            }
        }
        x += adv;
        i += bytes;
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

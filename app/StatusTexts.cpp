#include "app/StatusTexts.h"

#include <algorithm>

QString CharsetName(TCharset c)
{
    switch (c) {
    case TCharset::Cp932: return QStringLiteral("Shift_JIS");
    case TCharset::EucJp: return QStringLiteral("EUC-JP");
    case TCharset::Iso2022Jp: return QStringLiteral("ISO-2022-JP");
    case TCharset::Utf8: return QStringLiteral("UTF-8");
    case TCharset::Utf16Le: return QStringLiteral("UTF-16LE");
    case TCharset::Utf16Be: return QStringLiteral("UTF-16BE");
    }
    return {};
}

namespace {
QString LineEndsName(TBvLineEnds e)
{
    switch (e) {
    case TBvLineEnds::None: return {};
    case TBvLineEnds::CrLf: return QStringLiteral("CR LF");
    case TBvLineEnds::Lf: return QStringLiteral("LF");
    case TBvLineEnds::Cr: return QStringLiteral("CR");
    case TBvLineEnds::Mixed: return QStringLiteral("混在");
    }
    return {};
}
}  // namespace

TStatusTexts StatusTexts(const TStatusFacts& f)
{
    TStatusTexts t;
    t.encoding = CharsetName(f.source.charset);
    if (f.source.bom) t.encoding += QStringLiteral(" (BOM)");
    t.lineEnds = LineEndsName(f.lineEnds);
    if (f.fileLines > 0 && f.displayLines > 0) {
        const int top = std::clamp(f.topLine, 0, f.fileLines - 1);
        t.line = QStringLiteral("行 %1 / %2").arg(top + 1).arg(f.fileLines);
        const int64_t below = std::clamp<int64_t>(int64_t(f.lastShown) + 1, 0, f.displayLines);
        t.percent = QStringLiteral("%1%").arg(below * 100 / f.displayLines);
    }
    if (f.following) t.following = QStringLiteral("追跡中");
    return t;
}

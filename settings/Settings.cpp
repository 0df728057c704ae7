#include "settings/Settings.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/UserStore.h"

namespace {
// The default rounding mode takes halves to the even neighbour; values beyond int are clamped.
int Nearest(double v) { return int(std::clamp(std::nearbyint(v), double(INT_MIN), double(INT_MAX))); }
int Ppi(int pixelsPerInch) { return pixelsPerInch > 0 ? pixelsPerInch : 96; }
}  // namespace

int PixelsFromPoints(int points, int pixelsPerInch) { return Nearest(double(points) * Ppi(pixelsPerInch) / 72); }
int PointsFromPixels(int pixels, int pixelsPerInch) { return Nearest(double(pixels) * 72 / Ppi(pixelsPerInch)); }

void TSettings::SetFontPoints(int points, int pixelsPerInch)
{
    FontHeight = std::clamp(PixelsFromPoints(points, pixelsPerInch), 1, MaxFontHeight);
}

int TSettings::FontPoints(int pixelsPerInch) const { return PointsFromPixels(FontHeight, pixelsPerInch); }

void TSettings::Load(platform::TRegistry& reg, int pixelsPerInch)
{
    if (!reg.OpenKey(QString::fromLatin1(Key), false)) {
        EditorName = QString::fromLatin1(DefaultEditor);
        SmoothScroll = Last1PageScroll = FgWindow = CcrScroll = false;
        ExitEnterKey = true;
        EditorParam = QStringLiteral("$file");
        StatusBar = false;
        return;
    }
    // Each value on its own: one that cannot be read leaves its setting as it was (the design
    // value) or, for the switches and the editor, takes that value's default.
    int32_t i;
    bool b;
    QString s;
    if (reg.ReadInteger(QStringLiteral("WindowPosX"), i)) WindowPosX = i;
    if (reg.ReadInteger(QStringLiteral("WindowPosY"), i)) WindowPosY = i;
    if (reg.ReadInteger(QStringLiteral("WindowWidth"), i)) WindowWidth = i;
    if (reg.ReadInteger(QStringLiteral("WindowHeight"), i)) WindowHeight = i;
    if (reg.ReadString(QStringLiteral("FontName"), s) && !s.isEmpty()) FontName = s;
    if (reg.ReadInteger(QStringLiteral("FontSize"), i)) SetFontPoints(i, pixelsPerInch);
    if (reg.ReadInteger(QStringLiteral("FontColor"), i)) FontColor = TColor(i);
    if (reg.ReadInteger(QStringLiteral("BgColor"), i)) BgColor = TColor(i);
    if (reg.ReadBool(QStringLiteral("CRView"), b)) CRView = b;
    EditorName = reg.ReadString(QStringLiteral("EditorName"), s) ? s : QString::fromLatin1(DefaultEditor);
    SmoothScroll = reg.ReadBool(QStringLiteral("SmoothScroll"), b) && b;
    Last1PageScroll = reg.ReadBool(QStringLiteral("Last1PageScroll"), b) && b;
    ExitEnterKey = !reg.ReadBool(QStringLiteral("ExitEnterKey"), b) || b;
    FgWindow = reg.ReadBool(QStringLiteral("FgWindow"), b) && b;
    if (reg.ReadInteger(QStringLiteral("CRColor"), i)) CRColor = TColor(i);
    CcrScroll = reg.ReadBool(QStringLiteral("CcrScroll"), b) && b;
    EditorParam = reg.ReadString(QStringLiteral("EditorParam"), s) ? s : QStringLiteral("$file");
    StatusBar = reg.ReadBool(QStringLiteral("StatusBar"), b) && b;
    reg.CloseKey();
}

TSettings::TSaveResult TSettings::Save(platform::TRegistry& reg, int pixelsPerInch) const
{
    if (!reg.OpenKey(QString::fromLatin1(Key), true)) return TSaveResult::KeyNotOpened;
    // A geometry that was never known is not written; the first failing write stops the rest.
    const auto geometry = [&](const char* name, const std::optional<int32_t>& v) {
        return !v || reg.WriteInteger(QString::fromLatin1(name), *v);
    };
    const bool ok = geometry("WindowPosX", WindowPosX) && geometry("WindowPosY", WindowPosY) &&
                    geometry("WindowWidth", WindowWidth) && geometry("WindowHeight", WindowHeight) &&
                    reg.WriteString(QStringLiteral("FontName"), FontName) &&
                    reg.WriteInteger(QStringLiteral("FontSize"), FontPoints(pixelsPerInch)) &&
                    reg.WriteInteger(QStringLiteral("FontColor"), int32_t(FontColor)) &&
                    reg.WriteInteger(QStringLiteral("BgColor"), int32_t(BgColor)) &&
                    reg.WriteBool(QStringLiteral("CRView"), CRView) &&
                    reg.WriteString(QStringLiteral("EditorName"), EditorName) &&
                    reg.WriteBool(QStringLiteral("SmoothScroll"), SmoothScroll) &&
                    reg.WriteBool(QStringLiteral("Last1PageScroll"), Last1PageScroll) &&
                    reg.WriteBool(QStringLiteral("ExitEnterKey"), ExitEnterKey) &&
                    reg.WriteBool(QStringLiteral("FgWindow"), FgWindow) &&
                    reg.WriteInteger(QStringLiteral("CRColor"), int32_t(CRColor)) &&
                    reg.WriteBool(QStringLiteral("CcrScroll"), CcrScroll) &&
                    reg.WriteString(QStringLiteral("EditorParam"), EditorParam) &&
                    reg.WriteBool(QStringLiteral("StatusBar"), StatusBar) && reg.Save();
    reg.CloseKey();
    return ok ? TSaveResult::Saved : TSaveResult::WriteFailed;
}

namespace {

// How far apart two spans [a, a + n) and [b, b + m) lie (0 when they meet), and how much they share.
int64_t Gap(int64_t a, int64_t n, int64_t b, int64_t m) { return std::max<int64_t>({0, b - (a + n), a - (b + m)}); }
int64_t Shared(int64_t a, int64_t n, int64_t b, int64_t m)
{
    return std::max<int64_t>(0, std::min(a + n, b + m) - std::max(a, b));
}

// The screen holding most of the rectangle; when none holds any of it, the nearest one.
const QRect& ScreenOf(const std::vector<QRect>& screens, int64_t x, int64_t y, int64_t w, int64_t h)
{
    const QRect* best = &screens.front();
    int64_t bestShared = -1, bestGap = INT64_MAX;
    for (const QRect& s : screens) {
        const int64_t shared = Shared(x, w, s.x(), s.width()) * Shared(y, h, s.y(), s.height());
        const int64_t gap = Gap(x, w, s.x(), s.width()) + Gap(y, h, s.y(), s.height());
        if (shared > bestShared || (shared == 0 && bestShared == 0 && gap < bestGap)) {
            best = &s;
            bestShared = shared;
            bestGap = gap;
        }
    }
    return *best;
}

}  // namespace

QRect TSettings::WindowGeometry(QRect current, QSize minimum, const std::vector<QRect>& screens, int frameTop) const
{
    // In 64 bits: a stored 7fffffff plus anything must not wrap.
    int64_t x = WindowPosX.value_or(current.x()), y = WindowPosY.value_or(current.y());
    int64_t w = std::max<int64_t>(WindowWidth.value_or(current.width()), minimum.width());
    int64_t h = std::max<int64_t>(WindowHeight.value_or(current.height()), minimum.height());
    // Without any screen, the largest area a window may have.
    static const std::vector<QRect> anywhere{QRect(0, 0, (1 << 24) - 1, (1 << 24) - 1)};
    const QRect& s = ScreenOf(screens.empty() ? anywhere : screens, x, y - frameTop, w, int64_t(frameTop) + 1);
    w = std::min<int64_t>(w, std::max(s.width(), minimum.width()));
    h = std::min<int64_t>(h, std::max(s.height(), minimum.height()));
    const int64_t top = int64_t(s.y()) + frameTop;
    x = std::clamp<int64_t>(x, s.x(), std::max<int64_t>(s.x(), int64_t(s.x()) + s.width() - w));
    y = std::clamp<int64_t>(y, top, std::max<int64_t>(top, int64_t(s.y()) + s.height() - 1));
    return QRect(int(x), int(y), int(w), int(h));
}

void TSettings::TakeWindowGeometry(const QRect& g)
{
    WindowPosX = g.x();
    WindowPosY = g.y();
    WindowWidth = g.width();
    WindowHeight = g.height();
}

TDeleteResult DeleteSettings(platform::TRegistry& reg)
{
    const QString key = QString::fromLatin1(TSettings::Key), maker = QString::fromLatin1(TSettings::MakerKey);
    if (!reg.OpenKey(key, false)) return TDeleteResult::NotWritten;
    reg.CloseKey();
    if (!reg.DeleteKey(key) || !reg.Save()) return TDeleteResult::KeyNotDeleted;
    // The maker's key held this program's key, so it existed as the registry has it, also in a
    // store without a section of its own for it: then it went with its last subkey.
    if (!reg.OpenKey(maker, false)) return TDeleteResult::Deleted;
    const bool others = reg.HasSubKeys();  // values of the maker's key do not count
    reg.CloseKey();
    if (others) return TDeleteResult::OthersKept;
    if (!reg.DeleteKey(maker) || !reg.Save()) return TDeleteResult::MakerNotDeleted;
    return TDeleteResult::Deleted;
}

#include "dialogs/DialogFont.h"

#include "bigview/ViewFont.h"

QFont DialogFont()
{
    TViewFont::InstallSubstitutions();  // the face resolves to its metric-compatible IPA font
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    return f;
}

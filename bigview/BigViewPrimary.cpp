// The selection handed to other programs: the clipboard's data, and the PRIMARY selection a
// finished drag offers.
#include <QClipboard>
#include <QMimeData>
#include <cstring>

#include "bigview/Bigview.h"

QMimeData* TBigView::SelectionMimeData() const
{
    const int64_t n = CopyToSelBuf(nullptr);
    if (n < 1) return nullptr;
    QByteArray bytes(qsizetype(n + 1), Qt::Uninitialized);
    const int64_t written = CopyToSelBuf(bytes.data());
    if (written <= 0) return nullptr;
    // Plain text ends at its first NUL, as a C string on the clipboard would.
    const void* nul = std::memchr(bytes.constData(), 0, size_t(written));
    bytes.truncate(nul ? qsizetype(static_cast<const char*>(nul) - bytes.constData()) : qsizetype(written));
    auto* mime = new QMimeData;
    mime->setText(Encoding().ToUnicode(bytes.constData(), size_t(bytes.size())));
    // The file's own bytes too, where the text holds them in an encoding of its own.
    if (Encoding() == TBvEncoding::Cp932) mime->setData(QStringLiteral("text/plain;charset=Shift_JIS"), bytes);
    if (Encoding() == TBvEncoding::EucJp) mime->setData(QStringLiteral("text/plain;charset=EUC-JP"), bytes);
    return mime;
}

void TBigView::OfferPrimarySelection() const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) return;
    if (QMimeData* mime = SelectionMimeData()) clipboard->setMimeData(mime, QClipboard::Selection);
}

// Copying the selection: the file lines' own bytes, CR LF only where the file had line breaks.
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <cstring>

#include "bigview/Bigview.h"

int64_t TBigView::CopyToSelBuf(char* buf) const
{
    if (sel_.Empty() || GetCount() <= 0) return -1;
    TOrgPos a = lines_.ToOrg(sel_.Start());
    TOrgPos b = lines_.ToOrg(sel_.End());
    Order(a, b);

    // One walk serves both measuring and writing: the pieces are slices of the file lines, so
    // nothing is materialised but the output itself.
    int64_t size = 0;
    char* out = buf;
    int64_t start = std::max(a.X, 1);  // column 0 (an empty line's piece) is the line's start
    const int last = std::min(b.Y, GetCountOrg() - 1);
    for (int n = std::max(a.Y, 0); n <= last; ++n, start = 1) {
        const TBvText& s = store_.Get(n);
        const int64_t len = int64_t(s.size());
        const bool final = n == b.Y;
        int64_t from = 0, count = 0;
        if (len < start) {
            // Nothing of this line; its line break is counted even when it is the last.
            size += 2;
        } else if (final) {
            const int64_t stop = std::min<int64_t>(b.X, len + 1);
            from = start - 1;
            count = std::max<int64_t>(stop - start, 0);
            size += count;
        } else {
            from = start - 1;
            count = len - from;
            size += count + 2;
        }
        if (out) {
            std::memcpy(out, s.data() + from, size_t(count));
            out += count;
            if (!final) *out++ = '\r', *out++ = '\n';
        }
    }
    if (!buf) return size;
    *out = '\0';
    return out - buf;
}

void TBigView::CopyToClipboard()
{
    QMimeData* mime = SelectionMimeData();
    if (!mime) return;  // nothing selected
    QGuiApplication::clipboard()->setMimeData(mime);
    SetSelStart({0, 0});
    SetSelEnd({0, 0});
}

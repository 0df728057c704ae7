#include "platform/UserStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// ---- text helpers ----

bool IsAscii(QByteArrayView s)
{
    for (char c : s)
        if (uchar(c) >= 0x80) return false;
    return true;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

// Names and paths compare by their case-folded UTF-8.
QByteArray Fold(QByteArrayView s)
{
    if (!IsAscii(s)) return QString::fromUtf8(s).toCaseFolded().toUtf8();
    QByteArray r(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i) r[i] = Lower(s[i]);
    return r;
}

constexpr uint64_t Ones = 0x0101010101010101ull, Highs = 0x8080808080808080ull;

// ASCII letters of eight ASCII bytes in lower case.
uint64_t LowerWord(uint64_t w)
{
    const uint64_t aboveA = w + (0x80 - 'A') * Ones, aboveZ = w + (0x80 - 'Z' - 1) * Ones;
    return w | (((aboveA ^ aboveZ) & Highs) >> 2);
}

// Hashes s eight bytes at a time, each word lowered first when lower is set; false when lower is
// set and s is not all ASCII.
bool HashWords(QByteArrayView s, bool lower, uint64_t& h)
{
    h = uint64_t(s.size());
    for (qsizetype i = 0; i < s.size(); i += 8) {
        uint64_t w = 0;
        if (s.size() - i >= 8) std::memcpy(&w, s.data() + i, 8);
        else
            for (qsizetype k = s.size() - 1; k >= i; --k) w = (w << 8) | uchar(s[k]);
        if (lower) {
            if (w & Highs) return false;
            w = LowerWord(w);
        }
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    return true;
}

// The hash of s folded: of its bytes lowered for ASCII, of Fold(s) otherwise; the same for s and
// for Fold(s) in every case.
uint64_t FoldHash(QByteArrayView s)
{
    uint64_t h;
    if (!HashWords(s, true, h)) HashWords(Fold(s), false, h);
    return h;
}

// Whether s folded starts with the folded text f.
bool FoldStartsWith(QByteArrayView s, QByteArrayView f)
{
    if (!IsAscii(s)) return QByteArrayView(Fold(s)).startsWith(f);
    if (s.size() < f.size()) return false;
    for (qsizetype i = 0; i < f.size(); ++i)
        if (Lower(s[i]) != f[i]) return false;
    return true;
}

bool FoldEqual(QByteArrayView s, QByteArrayView f)
{
    if (!IsAscii(s)) return Fold(s) == f;
    return s.size() == f.size() && FoldStartsWith(s, f);
}

// A store file is UTF-8 without NUL bytes.
bool ValidUtf8(const char* d, qsizetype n)
{
    return !std::memchr(d, 0, size_t(n)) && QByteArrayView(d, n).isValidUtf8();
}

// "\\" and "\"" stand for \ and "; any other backslash is itself.
QByteArray Unescape(QByteArrayView raw)
{
    if (!raw.contains('\\')) return raw.toByteArray();
    QByteArray r;
    r.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == '\\' || raw[i + 1] == '"')) ++i;
        r += raw[i];
    }
    return r;
}

QByteArray Escape(QByteArrayView s)
{
    QByteArray r;
    r.reserve(s.size() + 2);
    for (char c : s) {
        if (c == '\\' || c == '"') r += '\\';
        r += c;
    }
    return r;
}

QByteArray Utf16Z(const QString& s)
{
    QByteArray r(2 * (s.size() + 1), '\0');
    for (qsizetype i = 0; i < s.size(); ++i) {
        r[2 * i] = char(s[i].unicode() & 0xFF);
        r[2 * i + 1] = char(s[i].unicode() >> 8);
    }
    return r;
}

// The text of UTF-16LE bytes up to the first NUL.
QString FromUtf16Z(const QByteArray& d)
{
    QString s;
    s.reserve(d.size() / 2);
    for (qsizetype i = 0; i + 1 < d.size(); i += 2) {
        const char16_t u = char16_t(uchar(d[i]) | (uchar(d[i + 1]) << 8));
        if (u == 0) break;
        s += QChar(u);
    }
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// ---- the value line's grammar ----

struct TScan {
    qsizetype nameBegin = 0, nameEnd = 0;  // the name between its quotes, still escaped
    TRegValue value;                       // filled when decoding
    qsizetype end = 0;                     // after the value's last line end
};

class TValueScanner {
public:
    TValueScanner(const char* d, qsizetype n) : d_(d), n_(n) {}

    // Scans the value whose line starts (after blanks) at p, with its continuation lines.
    bool Scan(qsizetype p, TScan& out, bool decode)
    {
        if (d_[p] == '@') {
            out.nameBegin = out.nameEnd = ++p;
        } else {
            out.nameBegin = ++p;
            if (!Quoted(p)) return false;
            out.nameEnd = p++;
        }
        if (p >= n_ || d_[p] != '=') return false;
        ++p;
        if (p < n_ && d_[p] == '"') return Text(p + 1, out, decode);
        if (StartsWith(p, "dword:")) return Dword(p + 6, out, decode);
        if (StartsWith(p, "hex")) return Hex(p + 3, out, decode);
        return false;  // "=-" (a deletion) and anything else
    }

private:
    bool Eol(qsizetype i) const
    {
        return i >= n_ || d_[i] == '\n' || (d_[i] == '\r' && (i + 1 >= n_ || d_[i + 1] == '\n'));
    }
    void SkipBlanks(qsizetype& i) const
    {
        while (i < n_ && (d_[i] == ' ' || d_[i] == '\t')) ++i;
    }
    // Only blanks up to the line end.
    bool RestBlank(qsizetype& i) const
    {
        SkipBlanks(i);
        return Eol(i);
    }
    qsizetype NextLine(qsizetype i) const
    {
        while (i < n_ && d_[i] != '\n') ++i;
        return i < n_ ? i + 1 : n_;
    }
    bool StartsWith(qsizetype p, const char* s) const
    {
        const qsizetype k = qsizetype(std::strlen(s));
        return n_ - p >= k && std::memcmp(d_ + p, s, k) == 0;
    }
    // The first of a quote, a backslash or a line end from p, eight bytes at a time.
    qsizetype QuoteStop(qsizetype p) const
    {
        const auto has = [](uint64_t w, char c) {
            const uint64_t x = w ^ (Ones * uchar(c));
            return (x - Ones) & ~x & Highs;  // exact in its lowest set bit
        };
        for (; p + 8 <= n_; p += 8) {
            uint64_t w;
            std::memcpy(&w, d_ + p, 8);
            if (const uint64_t m = has(w, '"') | has(w, '\\') | has(w, '\n')) return p + (std::countr_zero(m) >> 3);
        }
        while (p < n_ && d_[p] != '"' && d_[p] != '\\' && d_[p] != '\n') ++p;
        return p;
    }
    // From just after an opening quote to its closing quote, on the same line.
    bool Quoted(qsizetype& p) const
    {
        for (;;) {
            p = QuoteStop(p);
            if (p >= n_ || d_[p] == '\n') return false;
            if (d_[p] == '"') return true;
            p += 2;  // a backslash and the character it escapes
            if (p > n_ || d_[p - 1] == '\n') return false;
        }
    }
    // Up to eight hex digits, at least one.
    bool Number(qsizetype& p, uint32_t& v) const
    {
        const qsizetype b = p;
        v = 0;
        for (int h; p < n_ && (h = HexDigit(d_[p])) >= 0; ++p) {
            if (p - b == 8) return false;
            v = (v << 4) | uint32_t(h);
        }
        return p > b;
    }

    bool Text(qsizetype p, TScan& out, bool decode)
    {
        const qsizetype b = p;
        if (!Quoted(p)) return false;
        const qsizetype e = p++;
        if (!RestBlank(p)) return false;
        out.end = NextLine(p);
        if (decode) out.value = TRegValue::Text(QString::fromUtf8(Unescape(QByteArrayView(d_ + b, e - b))));
        return true;
    }
    bool Dword(qsizetype p, TScan& out, bool decode)
    {
        uint32_t v;
        if (!Number(p, v) || !RestBlank(p)) return false;
        out.end = NextLine(p);
        if (decode) out.value = TRegValue::Dword(int32_t(v));
        return true;
    }
    // hex:xx,xx,... or hex(N):xx,...; a comma followed by a backslash continues the list on the
    // next line.
    bool Hex(qsizetype p, TScan& out, bool decode)
    {
        uint32_t type = REG_BINARY;
        if (p < n_ && d_[p] == '(') {
            ++p;
            if (!Number(p, type) || p >= n_ || d_[p] != ')') return false;
            ++p;
        }
        if (p >= n_ || d_[p] != ':') return false;
        ++p;
        QByteArray data;
        SkipBlanks(p);
        if (!Eol(p)) {
            for (;;) {
                // The usual "xx," of an export, then the general form.
                while (n_ - p > 3 && d_[p + 2] == ',' && HexDigit(d_[p + 3]) >= 0) {
                    const int hi = HexDigit(d_[p]), lo = HexDigit(d_[p + 1]);
                    if (hi < 0 || lo < 0) break;
                    if (decode) data += char(hi * 16 + lo);
                    p += 3;
                }
                SkipBlanks(p);
                int hi = p < n_ ? HexDigit(d_[p]) : -1;
                if (hi < 0) return false;
                ++p;
                const int lo = p < n_ ? HexDigit(d_[p]) : -1;
                if (lo >= 0) hi = hi * 16 + lo, ++p;
                if (decode) data += char(hi);
                SkipBlanks(p);
                if (Eol(p)) break;
                if (d_[p] != ',') return false;
                ++p;
                SkipBlanks(p);
                if (p < n_ && d_[p] == '\\') {
                    ++p;
                    if (!RestBlank(p)) return false;
                    p = NextLine(p);
                    if (p >= n_) return false;
                } else if (Eol(p)) {
                    return false;  // a comma that ends the list
                }
            }
        }
        out.end = NextLine(p);
        if (decode) out.value = {type, data};
        return true;
    }

    const char* d_;
    qsizetype n_;
};

// The first non-blank position of an entry's text (new entries may begin with a line break).
qsizetype FirstMark(QByteArrayView t)
{
    qsizetype p = 0;
    while (p < t.size() && (t[p] == ' ' || t[p] == '\t' || t[p] == '\r' || t[p] == '\n')) ++p;
    return p;
}

// The value name of a value entry, unescaped.
QByteArray NameOf(QByteArrayView t)
{
    qsizetype p = FirstMark(t);
    if (p >= t.size() || t[p] == '@') return QByteArray("");
    const qsizetype b = ++p;
    while (p < t.size() && t[p] != '"') p += (t[p] == '\\' && p + 1 < t.size()) ? 2 : 1;
    return Unescape(t.sliced(b, std::min(p, t.size()) - b));
}

bool EndsWithBlankLine(QByteArrayView t)
{
    if (!t.endsWith('\n')) return false;
    qsizetype e = t.size() - 1;
    if (e > 0 && t[e - 1] == '\r') --e;
    while (e > 0 && (t[e - 1] == ' ' || t[e - 1] == '\t')) --e;
    return e == 0 || t[e - 1] == '\n';
}

int Depth(const QString& path) { return int(path.count(QLatin1Char('\\'))) + 1; }

}  // namespace

// ---- values ----

TRegValue TRegValue::Dword(int32_t v)
{
    const auto u = uint32_t(v);
    const char b[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char(u >> 24)};
    return {REG_DWORD, QByteArray(b, 4)};
}

TRegValue TRegValue::Text(const QString& s, uint32_t type) { return {type, Utf16Z(s)}; }

// ---- the document ----

void TRegDocument::Clear()
{
    src_.clear();
    preamble_.clear();
    sections_.clear();
    eol_ = "\n";
}

bool TRegDocument::Parse(const QByteArray& bytes)
{
    Clear();
    src_ = bytes;
    if (ParseAll()) return true;
    Clear();
    return false;
}

bool TRegDocument::ParseAll()
{
    const char* d = src_.constData();
    const qsizetype n = src_.size();
    if (n == 0) return true;
    if (!ValidUtf8(d, n)) return false;

    // The header line, after an optional byte-order mark; its line end is the file's.
    qsizetype p = (n >= 3 && std::memcmp(d, "\xEF\xBB\xBF", 3) == 0) ? 3 : 0;
    const qsizetype hl = qsizetype(std::strlen(Header));
    if (n - p < hl || std::memcmp(d + p, Header, hl) != 0) return false;
    p += hl;
    if (p + 1 < n && d[p] == '\r' && d[p + 1] == '\n') eol_ = "\r\n", p += 2;
    else if (p < n && d[p] == '\n') ++p;
    else if (p < n) return false;

    qsizetype preambleEnd = p;
    Section* cur = nullptr;
    TValueScanner scanner(d, n);
    while (p < n) {
        const qsizetype ls = p;
        qsizetype q = p;
        while (q < n && (d[q] == ' ' || d[q] == '\t')) ++q;
        if (q < n && (d[q] == '"' || d[q] == '@')) {
            TScan s;
            if (!cur || !scanner.Scan(q, s, false)) return false;
            const QByteArrayView raw(d + s.nameBegin, s.nameEnd - s.nameBegin);
            const uint64_t h = raw.contains('\\') ? FoldHash(Unescape(raw)) : FoldHash(raw);
            cur->entries.push_back({ls, s.end, {}, h, Kind::Value});
            p = s.end;
            continue;
        }
        const char* nl = q < n ? static_cast<const char*>(std::memchr(d + q, '\n', size_t(n - q))) : nullptr;
        const qsizetype le = nl ? nl - d : n;
        const qsizetype next = nl ? le + 1 : n;
        qsizetype ce = le;
        if (ce > q && d[ce - 1] == '\r') --ce;
        while (ce > q && (d[ce - 1] == ' ' || d[ce - 1] == '\t')) --ce;
        const char c = q < ce ? d[q] : '\0';

        if (c == '\0' || c == ';') {  // a blank line or a comment
            if (!cur) preambleEnd = next;
            else if (cur->entries.back().kind == Kind::Other && cur->entries.back().end == ls)
                cur->entries.back().end = next;
            else cur->entries.push_back({ls, next, {}, 0, Kind::Other});
        } else if (c == '[') {
            if (ce - q < 3 || d[ce - 1] != ']' || d[q + 1] == '-') return false;  // "[-key]" is a deletion
            const QByteArrayView path(d + q + 1, ce - q - 2);
            if (path.startsWith('\\') || path.endsWith('\\') || path.contains("\\\\")) return false;
            sections_.push_back({});
            cur = &sections_.back();
            cur->entries.reserve(16);
            cur->entries.push_back({ls, next, {}, FoldHash(path), Kind::Header});
        } else {
            return false;
        }
        p = next;
    }
    preamble_.push_back({0, cur ? preambleEnd : n, {}, 0, Kind::Other});
    if (!cur) return true;

    // No key twice, and no value name twice within a key.
    std::vector<std::pair<uint64_t, int>> seen;
    for (int i = 0; i < int(sections_.size()); ++i) seen.push_back({sections_[i].entries[0].hash, i});
    std::sort(seen.begin(), seen.end());
    for (size_t i = 1; i < seen.size(); ++i)
        if (seen[i].first == seen[i - 1].first &&
            Fold(SectionPath(sections_[seen[i].second])) == Fold(SectionPath(sections_[seen[i - 1].second])))
            return false;
    for (const Section& s : sections_) {
        seen.clear();
        for (int i = 0; i < int(s.entries.size()); ++i)
            if (s.entries[i].kind == Kind::Value) seen.push_back({s.entries[i].hash, i});
        std::sort(seen.begin(), seen.end());
        for (size_t i = 1; i < seen.size(); ++i)
            if (seen[i].first == seen[i - 1].first &&
                Fold(NameOf(Text(s.entries[seen[i].second]))) == Fold(NameOf(Text(s.entries[seen[i - 1].second]))))
                return false;
    }
    return true;
}

QByteArray TRegDocument::Serialize() const
{
    qsizetype size = 0;
    for (const Entry& e : preamble_) size += Text(e).size();
    for (const Section& s : sections_)
        for (const Entry& e : s.entries) size += Text(e).size();
    QByteArray out;
    out.reserve(size);
    for (const Entry& e : preamble_) out += Text(e);
    for (const Section& s : sections_)
        for (const Entry& e : s.entries) out += Text(e);
    return out;
}

QByteArrayView TRegDocument::Text(const Entry& e) const
{
    if (!e.own.isNull()) return e.own;
    return QByteArrayView(src_.constData() + e.begin, e.end - e.begin);
}

QByteArrayView TRegDocument::SectionPath(const Section& s) const
{
    const QByteArrayView t = Text(s.entries[0]);
    const qsizetype q = t.indexOf('[');
    return t.sliced(q + 1, t.lastIndexOf(']') - q - 1);
}

bool TRegDocument::ValidPath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('\\')) ||
        path.contains(QLatin1String("\\\\")) || path.startsWith(QLatin1Char('-')))
        return false;
    for (QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return true;
}

int TRegDocument::FindSection(const QByteArray& folded, uint64_t hash) const
{
    for (int i = 0; i < int(sections_.size()); ++i)
        if (sections_[i].entries[0].hash == hash && FoldEqual(SectionPath(sections_[i]), folded)) return i;
    return -1;
}

int TRegDocument::FindValue(const Section& s, const QByteArray& folded, uint64_t hash) const
{
    for (int i = 1; i < int(s.entries.size()); ++i) {
        const Entry& e = s.entries[i];
        if (e.kind == Kind::Value && e.hash == hash && FoldEqual(NameOf(Text(e)), folded)) return i;
    }
    return -1;
}

bool TRegDocument::InSubtree(const Section& s, const QByteArray& folded, bool strictly) const
{
    const QByteArrayView path = SectionPath(s);
    if (!IsAscii(path)) {
        const QByteArray f = Fold(path);
        return f.startsWith(folded) && (f.size() == folded.size() ? !strictly : f[folded.size()] == '\\');
    }
    if (!FoldStartsWith(path, folded)) return false;
    return path.size() == folded.size() ? !strictly : path[folded.size()] == '\\';
}

bool TRegDocument::KeyExists(const QString& path) const
{
    if (!ValidPath(path)) return false;
    if (Depth(path) == 1) return true;
    const QByteArray folded = Fold(path.toUtf8());
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const Section& s) { return InSubtree(s, folded, false); });
}

bool TRegDocument::HasSubKeys(const QString& path) const
{
    if (!ValidPath(path)) return false;
    const QByteArray folded = Fold(path.toUtf8());
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const Section& s) { return InSubtree(s, folded, true); });
}

bool TRegDocument::CreateKey(const QString& path)
{
    if (!ValidPath(path)) return false;
    const QStringList names = path.split(QLatin1Char('\\'));
    for (int d = 2; d <= names.size(); ++d) {
        const QString prefix = names.first(d).join(QLatin1Char('\\'));
        if (!KeyExists(prefix)) InsertSection(prefix);
    }
    return true;
}

// A new section goes after the last section under its nearest existing ancestor, so that a
// program's keys stay together, and is set apart from what precedes it by a blank line.
void TRegDocument::InsertSection(const QString& path)
{
    if (preamble_.empty()) preamble_.push_back({0, 0, QByteArray(Header) + eol_ + eol_, 0, Kind::Other});
    int at = int(sections_.size());
    for (QString a = path.section(QLatin1Char('\\'), 0, -2); !a.isEmpty(); a = a.section(QLatin1Char('\\'), 0, -2)) {
        const QByteArray fa = Fold(a.toUtf8());
        int last = -1;
        for (int i = 0; i < int(sections_.size()); ++i)
            if (InSubtree(sections_[i], fa, false)) last = i;
        if (last >= 0) {
            at = last + 1;
            break;
        }
    }
    std::vector<Entry>& before = at == 0 ? preamble_ : sections_[at - 1].entries;
    const QByteArrayView tail = Text(before.back());
    if (!tail.endsWith('\n')) before.push_back({0, 0, eol_ + eol_, 0, Kind::Other});
    else if (!EndsWithBlankLine(tail)) before.push_back({0, 0, eol_, 0, Kind::Other});

    const QByteArray utf8 = path.toUtf8();
    Section s;
    s.entries.push_back({0, 0, '[' + utf8 + ']' + eol_, FoldHash(utf8), Kind::Header});
    s.entries.push_back({0, 0, eol_, 0, Kind::Other});
    sections_.insert(sections_.begin() + at, std::move(s));
}

bool TRegDocument::DeleteKey(const QString& path)
{
    if (!KeyExists(path) || Depth(path) == 1) return false;
    const QByteArray folded = Fold(path.toUtf8());
    std::erase_if(sections_, [&](const Section& s) { return InSubtree(s, folded, false); });
    return true;
}

bool TRegDocument::GetValue(const QString& path, const QString& name, TRegValue& v) const
{
    const QByteArray fp = Fold(path.toUtf8());
    const int si = FindSection(fp, FoldHash(fp));
    if (si < 0) return false;
    const QByteArray fn = Fold(name.toUtf8());
    const int ei = FindValue(sections_[si], fn, FoldHash(fn));
    return ei >= 0 && Decode(sections_[si].entries[ei], v);
}

bool TRegDocument::Decode(const Entry& e, TRegValue& v) const
{
    const QByteArrayView t = Text(e);
    TScan s;
    if (!TValueScanner(t.data(), t.size()).Scan(FirstMark(t), s, true)) return false;
    v = s.value;
    return true;
}

namespace {

// The value's line(s) as a registry export writes them: DWORDs as dword:, texts that fit on a
// line in quotes, everything else as hex bytes, wrapped before 80 columns.
QByteArray FormatValue(const QByteArray& name, const TRegValue& v, const QByteArray& eol)
{
    QByteArray out = name.isEmpty() ? QByteArray("@=") : '"' + Escape(name) + "\"=";
    if (v.Type == REG_DWORD && v.Data.size() == 4) {
        out += "dword:" + QByteArray::number(uint32_t(uchar(v.Data[0]) | uchar(v.Data[1]) << 8 |
                                                      uchar(v.Data[2]) << 16 | uint32_t(uchar(v.Data[3])) << 24),
                                             16)
                              .rightJustified(8, '0');
        return out + eol;
    }
    if (v.Type == REG_SZ && !v.Data.isEmpty()) {
        const QString s = FromUtf16Z(v.Data);
        const bool plain = std::none_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x20 && c != '\t'; });
        if (plain && Utf16Z(QString::fromUtf8(s.toUtf8())) == v.Data) return out + '"' + Escape(s.toUtf8()) + '"' + eol;
    }
    out += v.Type == REG_BINARY ? QByteArray("hex:") : "hex(" + QByteArray::number(v.Type, 16) + "):";
    qsizetype column = out.size();
    for (qsizetype i = 0; i < v.Data.size(); ++i) {
        QByteArray item = QByteArray::number(uchar(v.Data[i]), 16).rightJustified(2, '0');
        if (i + 1 < v.Data.size()) item += ',';
        if (i > 0 && column + item.size() > 77) {
            out += '\\' + eol + "  ";
            column = 2;
        }
        out += item;
        column += item.size();
    }
    return out + eol;
}

}  // namespace

bool TRegDocument::SetValue(const QString& path, const QString& name, const TRegValue& v)
{
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')) || name.contains(QChar(0)) ||
        !ValidPath(path))
        return false;
    const QByteArray fp = Fold(path.toUtf8());
    int si = FindSection(fp, FoldHash(fp));
    if (si < 0) {
        CreateKey(path);
        si = FindSection(fp, FoldHash(fp));
        if (si < 0) {  // the key existed only through its subkeys' sections
            InsertSection(path);
            si = FindSection(fp, FoldHash(fp));
        }
    }
    Section& s = sections_[si];
    const QByteArray utf8 = name.toUtf8();
    const QByteArray fn = Fold(utf8);
    const uint64_t h = FoldHash(fn);
    const int ei = FindValue(s, fn, h);
    if (ei >= 0) {  // the stored value keeps its name as written
        TRegValue old;
        if (!Decode(s.entries[ei], old) || !(old == v))
            s.entries[ei].own = FormatValue(NameOf(Text(s.entries[ei])), v, eol_);
        return true;
    }
    const QByteArray text = FormatValue(utf8, v, eol_);
    int at = 1;
    for (int i = 1; i < int(s.entries.size()); ++i)
        if (s.entries[i].kind == Kind::Value) at = i + 1;
    const bool broken = !Text(s.entries[at - 1]).endsWith('\n');  // the file's last line had no line end
    s.entries.insert(s.entries.begin() + at, Entry{0, 0, broken ? eol_ + text : text, h, Kind::Value});
    return true;
}

bool TRegDocument::DeleteValue(const QString& path, const QString& name)
{
    const QByteArray fp = Fold(path.toUtf8());
    const int si = FindSection(fp, FoldHash(fp));
    if (si < 0) return false;
    const QByteArray fn = Fold(name.toUtf8());
    const int ei = FindValue(sections_[si], fn, FoldHash(fn));
    if (ei < 0) return false;
    sections_[si].entries.erase(sections_[si].entries.begin() + ei);
    return true;
}

// ---- the registry ----

namespace {

enum class TRead { Missing, Read, Unreadable };

// Only a regular file is read: a FIFO or a device would block or never end.
TRead ReadStoreFile(const QString& name, QByteArray& bytes)
{
    const QFileInfo info(name);
    if (!info.exists()) return TRead::Missing;
    QFile f(name);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) return TRead::Unreadable;
    bytes = f.readAll();
    return f.error() == QFileDevice::NoError ? TRead::Read : TRead::Unreadable;
}

// Keeps an unparseable file under the first free name user.reg.bad, user.reg.bad.1, ... A hard
// link keeps it without a moment in which the store has no file.
bool KeepAside(const QString& name)
{
    for (int i = 0; i < 100; ++i) {
        const QString bad = name + QStringLiteral(".bad") + (i ? QStringLiteral(".%1").arg(i) : QString());
        if (QFileInfo::exists(bad)) continue;
        if (::link(QFile::encodeName(name).constData(), QFile::encodeName(bad).constData()) == 0) return true;
        if (errno == EEXIST) continue;
        return QFile::copy(name, bad);
    }
    return false;
}

}  // namespace

TRegistry::TRegistry() : TRegistry(DefaultFileName()) {}

TRegistry::TRegistry(const QString& fileName) : fileName_(fileName)
{
    QByteArray bytes;
    switch (ReadStoreFile(fileName_, bytes)) {
    case TRead::Missing: loadState_ = TLoadState::Missing; break;
    case TRead::Unreadable: loadState_ = TLoadState::Unreadable; break;
    case TRead::Read: loadState_ = doc_.Parse(bytes) ? TLoadState::Loaded : TLoadState::Unparseable; break;
    }
    onDisk_ = bytes;
    docFromDisk_ = loadState_ == TLoadState::Missing || loadState_ == TLoadState::Loaded;
}

QString TRegistry::DefaultFileName()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tavuko/user.reg");
}

QString TRegistry::Resolve(const QString& key) const
{
    QString base = current_.isNull() ? QString::fromLatin1(RootKey) : current_;
    QString rel = key;
    if (rel.startsWith(QLatin1Char('\\'))) {
        base = QString::fromLatin1(RootKey);
        rel.remove(0, 1);
    }
    while (rel.endsWith(QLatin1Char('\\'))) rel.chop(1);
    const QString full = rel.isEmpty() ? base : base + QLatin1Char('\\') + rel;
    return TRegDocument::ValidPath(full) ? full : QString();
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    const QString full = Resolve(key);
    if (full.isNull()) return false;
    if (!doc_.KeyExists(full)) {
        if (!canCreate || !doc_.CreateKey(full)) return false;
        changes_.push_back({Change::Create, full, {}, {}});
    }
    current_ = full;
    return true;
}

void TRegistry::CloseKey() { current_ = QString(); }

QString TRegistry::CurrentPath() const
{
    if (current_.isNull()) return QString();
    return current_.mid(int(std::strlen(RootKey)));
}

bool TRegistry::KeyExists(const QString& key) const
{
    const QString full = Resolve(key);
    return !full.isNull() && doc_.KeyExists(full);
}

bool TRegistry::HasSubKeys() const { return !current_.isNull() && doc_.HasSubKeys(current_); }

bool TRegistry::DeleteKey(const QString& key)
{
    const QString full = Resolve(key);
    if (full.isNull() || !doc_.DeleteKey(full)) return false;
    changes_.push_back({Change::DeleteKey, full, {}, {}});
    if (current_.compare(full, Qt::CaseInsensitive) == 0 || current_.startsWith(full + '\\', Qt::CaseInsensitive))
        current_ = QString();
    return true;
}

bool TRegistry::ValueExists(const QString& name) const
{
    TRegValue v;
    return ReadValue(name, v);
}

bool TRegistry::ReadValue(const QString& name, TRegValue& v) const
{
    return !current_.isNull() && doc_.GetValue(current_, name, v);
}

bool TRegistry::ReadInteger(const QString& name, int32_t& v) const
{
    TRegValue r;
    if (!ReadValue(name, r) || r.Type != REG_DWORD || r.Data.size() != 4) return false;
    v = int32_t(uint32_t(uchar(r.Data[0])) | uint32_t(uchar(r.Data[1])) << 8 | uint32_t(uchar(r.Data[2])) << 16 |
                uint32_t(uchar(r.Data[3])) << 24);
    return true;
}

bool TRegistry::ReadBool(const QString& name, bool& v) const
{
    int32_t i;
    if (!ReadInteger(name, i)) return false;
    v = i != 0;
    return true;
}

bool TRegistry::ReadString(const QString& name, QString& v) const
{
    if (current_.isNull()) return false;
    TRegValue r;
    // Absent, or of size 0 whatever its type: the empty text.
    if (!doc_.GetValue(current_, name, r) || r.Data.isEmpty()) {
        v.clear();
        return true;
    }
    if (r.Type != REG_SZ && r.Type != REG_EXPAND_SZ) return false;
    v = FromUtf16Z(r.Data);
    return true;
}

bool TRegistry::WriteValue(const QString& name, const TRegValue& v)
{
    if (current_.isNull() || !doc_.SetValue(current_, name, v)) return false;
    changes_.push_back({Change::SetValue, current_, name, v});
    return true;
}

bool TRegistry::DeleteValue(const QString& name)
{
    if (current_.isNull() || !doc_.DeleteValue(current_, name)) return false;
    changes_.push_back({Change::DeleteValue, current_, name, {}});
    return true;
}

void TRegistry::Apply(TRegDocument& doc, const Change& c)
{
    switch (c.kind) {
    case Change::Create: doc.CreateKey(c.path); break;
    case Change::DeleteKey: doc.DeleteKey(c.path); break;
    case Change::SetValue: doc.SetValue(c.path, c.name, c.value); break;
    case Change::DeleteValue: doc.DeleteValue(c.path, c.name); break;
    }
}

namespace {

// A kernel lock on a file beside the store, held while the file is read and replaced. The kernel
// drops it with its holder, so a saver killed at any point never leaves a lock behind that the
// next one would have to wait out or judge stale (a lock file's contents would: one killed
// between creating and writing it is empty). A symbolic link in the lock's place is not
// followed: the lock then cannot be taken, rather than a file made where the link leads.
class TStoreLock {
public:
    explicit TStoreLock(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
    {
    }
    ~TStoreLock()
    {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    TStoreLock(const TStoreLock&) = delete;
    TStoreLock& operator=(const TStoreLock&) = delete;

    bool TryLock(int timeoutMs)
    {
        if (fd_ < 0) return false;
        const QDeadlineTimer deadline(timeoutMs);
        unsigned long pauseMs = 1;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) return false;
            QThread::msleep(pauseMs);
            pauseMs = std::min(pauseMs * 2, 50ul);
        }
        return true;
    }

private:
    int fd_;
};

// The file a save replaces: the store's own, or the one a symbolic link in its place leads to
// (a dotfile manager's link is written through, not replaced by a file).
QString SaveTarget(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isSymLink()) return fileName;
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.symLinkTarget() : resolved;  // a dangling link: its target is made
}

// A save writes the new file under the target's name, this mark and six letters or digits, then
// renames it over the target. No person names a file so, so that one a killed save left behind is
// told apart from the user's own files (user.reg.backup and the like), which are never touched.
const QString TemporaryMark = QStringLiteral(".~tavuko-save~");

// Only a saver holding the lock writes a temporary file, so under the lock any there are debris.
void RemoveKilledSavesTemporaries(const QString& target)
{
    const QFileInfo info(target);
    QDir dir = info.absoluteDir();
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.fileName() + TemporaryMark) + QStringLiteral("[A-Za-z0-9]{6}")));
    for (const QString& f :
         dir.entryList({info.fileName() + TemporaryMark + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System))
        if (temporary.match(f).hasMatch()) dir.remove(f);
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Replaces target by a file holding bytes, in one rename: a reader finds the old file or the
// new, never a part. The new file keeps the old one's permissions.
bool ReplaceFile(const QString& target, const QByteArray& bytes)
{
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = QFile::encodeName(target + TemporaryMark);
        for (int i = 0; i < 6; ++i) temporary += Alphabet[QRandomGenerator::global()->bounded(62)];
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    struct stat old;
    bool ok = ::stat(QFile::encodeName(target).constData(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) ::unlink(temporary.constData());
    return ok;
}

}  // namespace

// Under the lock: the file as it is now, the changes made here replayed onto it, the result
// written to a new file that replaces the old in one rename.
bool TRegistry::Save()
{
    if (changes_.empty()) return true;
    const QFileInfo info(fileName_);
    if (!QDir().mkpath(info.absolutePath())) return false;
    TStoreLock lock(fileName_ + QStringLiteral(".lock"));
    if (!lock.TryLock(6000)) return false;  // a save takes milliseconds

    QByteArray bytes;
    const TRead read = ReadStoreFile(fileName_, bytes);
    if (read == TRead::Unreadable) return false;  // replacing it would lose what could not be read
    TRegDocument now;
    if (docFromDisk_ && bytes == onDisk_) {
        now = doc_;  // the changes are in it already
    } else {
        if (read == TRead::Read && !now.Parse(bytes) && !KeepAside(fileName_)) return false;
        for (const Change& c : changes_) Apply(now, c);
    }

    const QString target = SaveTarget(fileName_);
    RemoveKilledSavesTemporaries(target);
    const QByteArray text = now.Serialize();
    if (!ReplaceFile(target, text)) return false;
    doc_ = std::move(now);
    changes_.clear();
    onDisk_ = text;
    docFromDisk_ = false;  // doc_ holds the lines of the file before, not of the one written
    return true;
}

}  // namespace platform

#include "model/BvFind.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "model/BvEncoding.h"
#include "model/BvLines.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr std::array<uint8_t, 256> MakeFold()
{
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[size_t(c)] = uint8_t(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
    return t;
}
constexpr std::array<uint8_t, 256> Fold = MakeFold();

// Bytes that lines of one block may leave between two display lines (a line end) and still
// be read as one range.
constexpr size_t MaxGap = 16;

bool Verify(const TBvFind::Pattern& p, const uint8_t* s)
{
    const size_t n = p.text.size();
    const auto* t = reinterpret_cast<const uint8_t*>(p.text.data());
    if (p.matchCase) return std::memcmp(s, t, n) == 0;
    for (size_t k = 0; k < n; ++k)
        if (Fold[s[k]] != t[k]) return false;
    return true;
}

bool Probe(const TBvFind::Pattern& p, const uint8_t* s)
{
    const uint8_t x = s[p.a], y = s[p.b];
    return (x == p.a1 || x == p.a2) && (y == p.b1 || y == p.b2);
}

size_t ScanScalar(const TBvFind::Pattern& p, const uint8_t* s, size_t len, size_t c)
{
    const size_t n = p.text.size();
    if (n > len) return len;
    for (const size_t last = len - n; c <= last; ++c)
        if (Probe(p, s + c) && Verify(p, s + c)) return c;
    return len;
}

#if defined(__x86_64__)
// The positions of 32 where both probe bytes take one of their forms.
struct Probe256 {
    __m256i a1, a2, b1, b2;
};
__attribute__((target("avx2"), always_inline)) inline __m256i Hits(const TBvFind::Pattern& p, const Probe256& v,
                                                                   const uint8_t* q)
{
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + p.a));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + p.b));
    return _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(x, v.a1), _mm256_cmpeq_epi8(x, v.a2)),
                            _mm256_or_si256(_mm256_cmpeq_epi8(y, v.b1), _mm256_cmpeq_epi8(y, v.b2)));
}

// 64 positions a round; only those where both probe bytes agree are verified.
__attribute__((target("avx2"))) size_t ScanAvx2(const TBvFind::Pattern& p, const uint8_t* s, size_t len, size_t c)
{
    const size_t n = p.text.size();
    if (n > len) return len;
    const size_t last = len - n;
    const Probe256 v{_mm256_set1_epi8(char(p.a1)), _mm256_set1_epi8(char(p.a2)), _mm256_set1_epi8(char(p.b1)),
                     _mm256_set1_epi8(char(p.b2))};
    // The last byte a round reads is at c + 63 + b <= last + b < len.
    while (last >= 63 && c <= last - 63) {
        const __m256i h0 = Hits(p, v, s + c), h1 = Hits(p, v, s + c + 32);
        const __m256i any = _mm256_or_si256(h0, h1);
        if (!_mm256_testz_si256(any, any)) {
            uint64_t bits = uint32_t(_mm256_movemask_epi8(h0)) | uint64_t(uint32_t(_mm256_movemask_epi8(h1))) << 32;
            for (; bits; bits &= bits - 1) {
                const size_t at = c + size_t(__builtin_ctzll(bits));
                if (Verify(p, s + at)) return at;
            }
        }
        c += 64;
    }
    return ScanScalar(p, s, len, c);
}

size_t ScanSse2(const TBvFind::Pattern& p, const uint8_t* s, size_t len, size_t c)
{
    const size_t n = p.text.size();
    if (n > len) return len;
    const size_t last = len - n;
    const __m128i a1 = _mm_set1_epi8(char(p.a1)), a2 = _mm_set1_epi8(char(p.a2));
    const __m128i b1 = _mm_set1_epi8(char(p.b1)), b2 = _mm_set1_epi8(char(p.b2));
    while (last >= 15 && c <= last - 15) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c + p.a));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c + p.b));
        const __m128i h = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x, a1), _mm_cmpeq_epi8(x, a2)),
                                        _mm_or_si128(_mm_cmpeq_epi8(y, b1), _mm_cmpeq_epi8(y, b2)));
        for (unsigned bits = unsigned(_mm_movemask_epi8(h)); bits; bits &= bits - 1) {
            const size_t at = c + size_t(__builtin_ctz(bits));
            if (Verify(p, s + at)) return at;
        }
        c += 16;
    }
    return ScanScalar(p, s, len, c);
}
#endif

using ScanFn = size_t (*)(const TBvFind::Pattern&, const uint8_t*, size_t, size_t);

// The scan of at most the given vector width (0: any) that this processor runs.
ScanFn ChooseScan(int width)
{
#if defined(__x86_64__)
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    if (width == 1) return ScanScalar;
    return avx2 && (width == 0 || width >= 32) ? ScanAvx2 : ScanSse2;
#else
    (void)width;
    return ScanScalar;
#endif
}

// How often a byte of the text may be expected in a line, by what it is in the text: the first
// bytes of characters of several bytes most (code page 932's kana and punctuation, 0x81-0x83,
// more than others), spaces and lower-case letters often, their other bytes least. The probe
// takes the two least common, so that few positions need verifying.
std::vector<int> Commonness(std::string_view t, TBvEncoding enc)
{
    std::vector<int> score(t.size());
    const auto* b = reinterpret_cast<const uint8_t*>(t.data());
    for (size_t k = 0; k < t.size();) {
        const uint8_t c = b[k];
        const size_t len = enc.CharLen(b + k, t.size() - k);
        if (len > 1) {
            score[k] = enc == TBvEncoding::Cp932 && c <= 0x83 ? 5 : 4;
            for (size_t m = 1; m < len; ++m) score[k + m] = 1;
        } else if (c == ' ' || (c >= 'a' && c <= 'z')) {
            score[k] = 3;
        } else {
            score[k] = 2;
        }
        k += len;
    }
    return score;
}

}  // namespace

TBvFind::TBvFind(std::string_view text, bool matchCase, TBvEncoding encoding)
{
    Pattern& p = pattern_;
    p.matchCase = matchCase;
    p.text.assign(text);
    if (!matchCase)
        for (char& c : p.text) c = char(Fold[uint8_t(c)]);
    if (p.text.empty()) return;
    const std::vector<int> score = Commonness(p.text, encoding);
    // b: the rarest byte, the last of equals; a: the rarest other one, the first of equals.
    size_t b = 0;
    for (size_t k = 0; k < score.size(); ++k)
        if (score[k] <= score[b]) b = k;
    size_t a = b;
    for (size_t k = 0; k < score.size(); ++k)
        if (k != b && (a == b || score[k] < score[a])) a = k;
    p.a = std::min(a, b);
    p.b = std::max(a, b);
    auto forms = [&](size_t k, uint8_t& f1, uint8_t& f2) {
        f1 = f2 = uint8_t(p.text[k]);
        if (!matchCase && f1 >= 'a' && f1 <= 'z') f2 = uint8_t(f1 - 0x20);
    };
    forms(p.a, p.a1, p.a2);
    forms(p.b, p.b1, p.b2);
}

size_t TBvFind::Scan(const uint8_t* s, size_t len, size_t from) const
{
    if (pattern_.text.empty()) return from <= len ? from : len;
    return from >= len ? len : ChooseScan(limits.VectorBytes)(pattern_, s, len, from);
}

// From display line i on, in the direction of step, the lines whose bytes follow one another in
// one block with at most a line end between them, as far as the span and the line count allow;
// in the order of their bytes. Lines without bytes hold no match and are passed over. i ends on
// the first line not taken.
void TBvFind::Gather(const TBvLines& lines, int& i, int step, size_t span, std::vector<Piece>& run) const
{
    run.clear();
    const int count = lines.GetCount();
    const TBvText::Block* block = nullptr;
    uintptr_t lo = 0, hi = 0;  // the run's byte range
    for (int visited = 0; i >= 0 && i < count && visited < limits.MaxLines; ++visited, i += step) {
        // The display line's bytes, as Get gives them.
        const std::string_view bytes = lines.Bytes(i);
        if (bytes.empty()) continue;
        const Piece piece{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), i};
        const TBvText::Block* lineBlock = lines.Store().BlockOf(lines.ConvertIndexToOrg(i));
        const uintptr_t s = uintptr_t(piece.start), e = s + piece.len;
        if (run.empty()) {
            block = lineBlock;
            lo = s;
            hi = e;
        } else {
            // A text of no block holds bytes that are not known to lie beside anything else.
            const bool joins = block && lineBlock == block &&
                               (step > 0 ? s >= hi && s - hi <= MaxGap && e - lo <= span
                                         : e <= lo && lo - e <= MaxGap && hi - s <= span);
            if (!joins) break;
            lo = std::min(lo, s);
            hi = std::max(hi, e);
        }
        run.push_back(piece);
    }
    if (step < 0) std::reverse(run.begin(), run.end());
}

const TBvFind::Piece* TBvFind::Place(const std::vector<Piece>& run, const uint8_t* s, const uint8_t*& next) const
{
    auto after = std::upper_bound(run.begin(), run.end(), s, [](const uint8_t* q, const Piece& p) { return q < p.start; });
    const Piece& p = *(after - 1);  // the run starts at its first line's first byte
    const uint8_t* end = s + pattern_.text.size();
    const uint8_t* lineEnd = p.start + p.len;
    next = s + 1;
    if (end > lineEnd) return nullptr;  // spans the line's end, or lies in a line end
    // Nothing from the line's NUL on counts: no later hit in this line either.
    next = lineEnd;
    if (std::memchr(p.start, 0, size_t(end - p.start))) return nullptr;
    return &p;
}

int TBvFind::Forward(const TBvLines& lines, int from, const Progress& progress) const
{
    const int count = lines.GetCount();
    int i = std::max(from, 0);
    if (pattern_.text.empty()) return i < count ? i : -1;
    std::vector<Piece> run;
    for (size_t span = limits.FirstBytes; i < count; span = std::min(span * 2, limits.MaxBytes)) {
        Gather(lines, i, +1, span, run);
        if (!run.empty()) {
            const uint8_t* base = run.front().start;
            const size_t len = size_t(run.back().start + run.back().len - base);
            const uint8_t* next;
            for (size_t c = 0; (c = Scan(base, len, c)) < len; c = size_t(next - base))
                if (const Piece* p = Place(run, base + c, next)) return p->index;
        }
        if (progress && i < count) progress();
    }
    return -1;
}

int TBvFind::Backward(const TBvLines& lines, int from, const Progress& progress) const
{
    const int count = lines.GetCount();
    int i = std::min(from, count - 1);
    if (pattern_.text.empty()) return i >= 0 ? i : -1;
    std::vector<Piece> run;
    for (size_t span = limits.FirstBytes; i >= 0; span = std::min(span * 2, limits.MaxBytes)) {
        Gather(lines, i, -1, span, run);
        if (!run.empty()) {
            // The last line of the run with a match; a line is left at its first.
            const uint8_t* base = run.front().start;
            const size_t len = size_t(run.back().start + run.back().len - base);
            int found = -1;
            const uint8_t* next;
            for (size_t c = 0; (c = Scan(base, len, c)) < len; c = size_t(next - base))
                if (const Piece* p = Place(run, base + c, next)) found = p->index;
            if (found >= 0) return found;
        }
        if (progress && i >= 0) progress();
    }
    return -1;
}

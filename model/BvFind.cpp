#include "model/BvFind.h"

#include <algorithm>
#include <cstring>

#include "model/BvEncoding.h"
#include "model/BvStrings.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Bytes that lines of one block may leave between two file lines (a line end) and still
// be read as one range.
constexpr size_t MaxGap = 16;

bool Verify(const TBvFind::Pattern& p, const uint8_t* s)
{
    const size_t n = p.text.size();
    const auto* t = reinterpret_cast<const uint8_t*>(p.text.data());
    const auto* o = reinterpret_cast<const uint8_t*>(p.other.data());
    for (size_t k = 0; k < n; ++k)
        if (s[k] != t[k] && s[k] != o[k]) return false;
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

TBvFind::TBvFind(std::string_view text, bool matchCase, TBvEncoding encoding) : encoding_(encoding)
{
    Pattern& p = pattern_;
    p.text.assign(text);
    p.other.assign(text);
    if (p.text.empty()) return;
    // Only letters that are characters of their own fold, never a byte inside a character.
    auto* t = reinterpret_cast<uint8_t*>(p.text.data());
    for (size_t k = 0; k < p.text.size();) {
        const size_t len = encoding.CharLen(t + k, p.text.size() - k);
        if (!matchCase && len == 1 && ((t[k] >= 'A' && t[k] <= 'Z') || (t[k] >= 'a' && t[k] <= 'z'))) {
            p.text[k] = char(t[k] | 0x20);
            p.other[k] = char(t[k] & ~0x20);
        }
        k += len;
    }
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
    p.a1 = uint8_t(p.text[p.a]);
    p.a2 = uint8_t(p.other[p.a]);
    p.b1 = uint8_t(p.text[p.b]);
    p.b2 = uint8_t(p.other[p.b]);
}

size_t TBvFind::Scan(const uint8_t* s, size_t len, size_t from) const
{
    if (pattern_.text.empty()) return from <= len ? from : len;
    return from >= len ? len : ChooseScan(limits.VectorBytes)(pattern_, s, len, from);
}

// From file line i on, in the direction of step, the lines whose bytes follow one another in
// one block with at most a line end between them, as far as the span and the line count allow;
// in the order of their bytes. Lines without bytes hold no match and are passed over. i ends on
// the first line not taken.
void TBvFind::Gather(const TBvStrings& store, int& i, int step, size_t span, std::vector<Piece>& run) const
{
    run.clear();
    const int count = store.Count();
    const TBvText::Block* block = nullptr;
    uintptr_t lo = 0, hi = 0;  // the run's byte range
    for (int visited = 0; i >= 0 && i < count && visited < limits.MaxLines; ++visited, i += step) {
        const std::string_view bytes = store.View(i);
        if (bytes.size() < pattern_.text.size()) continue;
        const Piece piece{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), i};
        const TBvText::Block* lineBlock = store.BlockOf(i);
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

bool TBvFind::Whole(const uint8_t* s, size_t len, size_t from, size_t q) const
{
    return encoding_.IsCharStart(s, len, from, q) && encoding_.IsCharStart(s, len, q, q + pattern_.text.size());
}

const TBvFind::Piece* TBvFind::Place(const std::vector<Piece>& run, const uint8_t* s) const
{
    auto after =
        std::upper_bound(run.begin(), run.end(), s, [](const uint8_t* q, const Piece& p) { return q < p.start; });
    const Piece& p = *(after - 1);                                   // the run starts at its first line's first byte
    if (s + pattern_.text.size() > p.start + p.len) return nullptr;  // spans the line's end, or lies in a line end
    return Whole(p.start, p.len, 0, size_t(s - p.start)) ? &p : nullptr;
}

TBvMatch TBvFind::Forward(const TBvStrings& store, int line, size_t pos, const Progress& progress) const
{
    const int count = store.Count();
    if (pattern_.text.empty()) return {};
    int i = line;
    if (i < 0) i = 0, pos = 0;
    std::vector<Piece> run;
    for (size_t span = limits.FirstBytes; i < count; span = std::min(span * 2, limits.MaxBytes)) {
        Gather(store, i, +1, span, run);
        if (!run.empty()) {
            const uint8_t* base = run.front().start;
            const size_t len = size_t(run.back().start + run.back().len - base);
            // In the line the search starts in, from its byte pos on.
            size_t c = run.front().index == line ? std::min(pos, run.front().len) : 0;
            for (; (c = Scan(base, len, c)) < len; ++c)
                if (const Piece* p = Place(run, base + c))
                    return {p->index, size_t(base + c - p->start), pattern_.text.size()};
        }
        if (progress && i < count) progress();
    }
    return {};
}

TBvMatch TBvFind::Backward(const TBvStrings& store, int line, size_t pos, const Progress& progress) const
{
    const int count = store.Count();
    if (pattern_.text.empty()) return {};
    int i = line;
    if (i >= count) i = count - 1, pos = SIZE_MAX;
    std::vector<Piece> run;
    for (size_t span = limits.FirstBytes; i >= 0; span = std::min(span * 2, limits.MaxBytes)) {
        Gather(store, i, -1, span, run);
        if (!run.empty()) {
            // The last match of the run, none at or after pos in the line the search starts in.
            const uint8_t* base = run.front().start;
            const size_t len = size_t(run.back().start + run.back().len - base);
            TBvMatch found;
            for (size_t c = 0; (c = Scan(base, len, c)) < len; ++c)
                if (const Piece* p = Place(run, base + c)) {
                    const size_t at = size_t(base + c - p->start);
                    if (p->index == line && at >= pos) break;
                    found = {p->index, at, pattern_.text.size()};
                }
            if (found.Found()) return found;
        }
        if (progress && i >= 0) progress();
    }
    return {};
}

void TBvFind::Each(const uint8_t* s, size_t len, size_t from, size_t lo, size_t hi,
                   const std::function<void(size_t)>& found) const
{
    if (pattern_.text.empty()) return;
    const size_t n = pattern_.text.size();
    // The scan reads no byte past a match that starts before hi.
    const size_t end = std::min(len, hi > SIZE_MAX - n ? SIZE_MAX : hi + n - 1);
    for (size_t c = lo; (c = Scan(s, end, c)) < end && c < hi; ++c)
        if (Whole(s, len, from, c)) found(c);
}

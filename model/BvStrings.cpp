#include "model/BvStrings.h"

#include <fcntl.h>
#include <unistd.h>

#include <QIODevice>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "model/BvArray.h"
#include "platform/Exception.h"
#include "model/BvLoad.h"

namespace {

uint8_t LowerAscii(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; }
uint8_t UpperAscii(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 32) : c; }

}  // namespace

TBvStrings::~TBvStrings() { Clear(); }

void TBvStrings::Error() const { throw Exception(RangeErrorText); }

void TBvStrings::FreeText()
{
    starts_ = bvarray::Reallocate(starts_, startsReserved_, 0, &startsBig_);
    startsReserved_ = 0;
    text_ = TBvText();
}

void TBvStrings::Materialise()
{
    if (!starts_) return;
    const int n = count_;
    TBvText* items = bvarray::Reallocate<TBvText>(nullptr, 0, size_t(n), &bigArray_);
    for (int i = 0; i < n; ++i) new (&items[i]) TBvText(Get(i));
    FreeText();
    items_ = items;
    capacity_ = n;
}

void TBvStrings::Swap(TBvStrings& o) noexcept
{
    std::swap(items_, o.items_);
    std::swap(count_, o.count_);
    std::swap(capacity_, o.capacity_);
    std::swap(bigArray_, o.bigArray_);
    text_.swap(o.text_);
    std::swap(starts_, o.starts_);
    std::swap(startsReserved_, o.startsReserved_);
    std::swap(startsBig_, o.startsBig_);
    std::swap(lfEnds_, o.lfEnds_);
    std::swap(source_, o.source_);
}

void TBvStrings::SetCapacity(int n)
{
    if (n > MaxListSize) Error();
    if (n == Capacity()) return;
    if (n < count_) Error();
    Materialise();
    // TBvText is two pointers and a size with no self-reference: moving it is a byte copy.
    items_ = bvarray::Reallocate(items_, size_t(capacity_), size_t(n), &bigArray_);
    capacity_ = n;
}

void TBvStrings::SetCount(int n)
{
    if (n < 0 || n > MaxListSize) Error();
    Materialise();
    if (n > capacity_) SetCapacity(n);
    for (int i = n; i < count_; ++i) items_[i] = TBvText();
    count_ = n;
}

int TBvStrings::Add(const TBvText& s)
{
    TBvText copy(s);  // s may be one of this store's lines, which growth moves
    Materialise();
    if (count_ == capacity_) SetCapacity(capacity_ + 32);
    new (&items_[count_]) TBvText(std::move(copy));
    return count_++;
}

void TBvStrings::Insert(int index, const TBvText& s)
{
    if (index < 0 || index > count_) Error();
    TBvText copy(s);  // before growth: s may be one of this store's lines
    Materialise();
    if (count_ == capacity_) SetCapacity(capacity_ + 32);
    std::memmove(static_cast<void*>(&items_[index + 1]), static_cast<void*>(&items_[index]),
                 size_t(count_ - index) * sizeof(TBvText));
    new (&items_[index]) TBvText(std::move(copy));
    ++count_;
}

void TBvStrings::Delete(int index)
{
    if (index < 0 || index >= count_) Error();
    Materialise();
    items_[index].~TBvText();
    std::memmove(static_cast<void*>(&items_[index]), static_cast<void*>(&items_[index + 1]),
                 size_t(count_ - index - 1) * sizeof(TBvText));
    --count_;
    new (&items_[count_]) TBvText();
}

void TBvStrings::Exchange(int index1, int index2)
{
    if (index1 < 0 || index1 >= count_ || index2 < 0 || index2 >= count_) Error();
    if (index1 == index2) return;
    Materialise();
    items_[index1].swap(items_[index2]);
}

void TBvStrings::Put(int index, const TBvText& s)
{
    if (index < 0 || index >= count_) Error();
    TBvText copy(s);
    Materialise();
    items_[index] = std::move(copy);
}

void TBvStrings::Clear()
{
    if (starts_) {
        count_ = 0;
        FreeText();
        return;
    }
    if (capacity_ == 0) return;
    SetCount(0);  // releases every line
    SetCapacity(0);
}

void TBvStrings::AddStrings(const TBvStrings& source)
{
    // Snapshot first: the source may be this store.
    std::vector<TBvText> lines;
    source.CopyTo(lines);
    AddStrings(lines);
}

void TBvStrings::AddStrings(const std::vector<TBvText>& source)
{
    if (source.size() > size_t(MaxListSize)) Error();
    SetCapacity(count_ + int(source.size()));
    for (const TBvText& s : source) Add(s);
}

void TBvStrings::Assign(const TBvStrings& source)
{
    if (&source == this) return;
    Clear();
    AddStrings(source);
}

void TBvStrings::Assign(const std::vector<TBvText>& source)
{
    Clear();
    AddStrings(source);
}

void TBvStrings::CopyTo(TBvStrings& dest) const
{
    if (&dest == this) return;
    dest.Clear();
    for (int i = 0; i < count_; ++i) dest.Add(Get(i));
}

void TBvStrings::CopyTo(std::vector<TBvText>& dest) const
{
    dest.clear();
    dest.reserve(size_t(count_));
    for (int i = 0; i < count_; ++i) dest.push_back(Get(i));
}

int TBvStrings::IndexOf(const TBvText& s) const
{
    for (int i = 0; i < count_; ++i)
        if (View(i) == s.view()) return i;
    return -1;
}

bool TBvStrings::Find(const TBvText& s, int& index, int& pos) const
{
    if (s.empty()) return false;
    const uint8_t lo = LowerAscii(s[0]), up = UpperAscii(s[0]);
    const size_t n = s.size();
    if (index < 0) index = 0;
    while (index < count_) {
        const std::string_view line = View(index);
        const long long last = (long long)line.size() - (long long)n + 1;
        if (pos <= 0) pos = 1;
        while (pos <= last) {
            const auto* p = reinterpret_cast<const uint8_t*>(line.data()) + (pos - 1);
            if (p[0] == lo || p[0] == up) {
                size_t k = 1;
                while (k < n && LowerAscii(p[k]) == LowerAscii(s[k])) ++k;
                if (k == n) return true;
            }
            ++pos;
        }
        ++index;
        pos = 1;
    }
    index = count_;
    pos = 1;
    return false;
}

void TBvStrings::Sort(const std::function<int(const TBvText&, const TBvText&)>& compare)
{
    if (count_ <= 1) return;
    Materialise();
    QuickSort(0, count_ - 1, compare);
}

void TBvStrings::QuickSort(int l, int r, const std::function<int(const TBvText&, const TBvText&)>& compare)
{
    do {
        int i = l, j = r;
        const TBvText p = items_[(l + r) / 2];  // its own reference while lines move
        do {
            while (compare(items_[i], p) < 0) ++i;
            while (compare(items_[j], p) > 0) --j;
            if (i <= j) {
                Exchange(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        // The two ranges are disjoint, so which one is sorted first changes nothing; recursing
        // into the smaller one bounds the stack depth on sorted or adversarial input.
        if (j - l < r - i) {
            if (l < j) QuickSort(l, j, compare);
            l = i;
        } else {
            if (i < r) QuickSort(i, r, compare);
            r = j;
        }
    } while (l < r);
}

TBvText TBvStrings::GetTextStr() const
{
    size_t total = 0;
    for (int i = 0; i < count_; ++i) total += View(i).size() + 2;
    if (total == 0) return TBvText();
    char* w;
    TBvText out = TBvText::Allocate(total, &w);
    for (int i = 0; i < count_; ++i) {
        const std::string_view line = View(i);
        std::memcpy(w, line.data(), line.size());
        w += line.size();
        *w++ = '\r';
        *w++ = '\n';
    }
    return out;
}

TBvStrings::TBuilder::TBuilder(TBvStrings& store, TBvText text, size_t maxLines, bool lfEnds)
    : store_(store), maxLines_(std::min(maxLines, size_t(MaxListSize)))
{
    store_.Clear();
    store_.starts_ = bvarray::Reallocate<uint64_t>(nullptr, 0, maxLines_ + 1, &store_.startsBig_);
    store_.startsReserved_ = maxLines_ + 1;
    store_.text_ = std::move(text);
    store_.lfEnds_ = lfEnds;
}

void TBvStrings::TBuilder::Finish(size_t textBytes)
{
    TBvStrings& s = store_;
    s.text_ = s.text_.Mid(0, textBytes);
    if (s.count_ == 0) {
        s.Clear();
        return;
    }
    const size_t keep = size_t(s.count_) + 1;
    s.starts_ = bvarray::Reallocate(s.starts_, s.startsReserved_, keep, &s.startsBig_);
    s.startsReserved_ = keep;
}

void TBvStrings::SetTextStr(const TBvText& text)
{
    Clear();
    if (text.empty()) return;
    const uint8_t* b = text.bytes();
    const size_t end = text.size();
    // The text ends at its end or at its first NUL, whichever comes first; every byte but the
    // last may end a line.
    const size_t stop = std::min(end, size_t(std::find(b, b + end, 0) - b));
    TBuilder lines(*this, text, stop + 1, true);
    auto at = [&](size_t i) -> uint8_t { return i < stop ? b[i] : 0; };
    size_t p = 0;
    do {
        size_t q = p;
        while (q < stop && b[q] != '\n' && b[q] != '\r') ++q;
        const size_t from = p;
        p = q;
        if (at(p) == '\r') ++p;
        if (at(p) == '\n') ++p;
        lines.Add(from, p);
    } while (at(p) != 0);
    lines.Finish(end);
}

TBvText TBvStrings::GetCommaText() const
{
    std::string out;
    for (int i = 0; i < count_; ++i) {
        const std::string_view line = View(i);
        const bool quote = line.find_first_of(" ,") != std::string_view::npos;
        if (quote) out += '"';
        out += line;
        if (quote) out += '"';
        if (i + 1 < count_) out += ',';
    }
    return TBvText(out);
}

void TBvStrings::SetCommaText(const TBvText& text)
{
    Clear();
    const uint8_t* b = text.bytes();
    const size_t end = text.size();
    size_t p = 0;
    while (p < end) {
        const bool quoted = b[p] == '"';
        if (quoted) ++p;
        size_t q = p;
        while (q < end && b[q] != '\r' && b[q] != 0 && b[q] != '"' && (quoted || b[q] != ',')) ++q;
        Add(text.Mid(p, q - p));
        p = q + 1;
        if (quoted) ++p;
    }
}

void TBvStrings::LoadFromFile(const std::string& name) { LoadFromFile(name, std::nullopt); }

void TBvStrings::LoadFromFile(const std::string& name, std::optional<TCharset> charset)
{
    // Cannot be read: the store stays empty. Too many lines, a line past the position limit, or
    // no memory: the caller hears of it, and the store holds nothing.
    switch (TBvLoadFile(TBvLoadSource(name, charset), *this)) {
    case TBvLoadFailure::OutOfMemory: throw std::bad_alloc();
    case TBvLoadFailure::TooManyLines:
    case TBvLoadFailure::LineTooLong: Error();
    default: return;
    }
}

void TBvStrings::SaveToFile(const std::string& name) const
{
    // The text first: the file may be the one it was read from.
    const TBvText text = GetTextStr();
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t w = write(fd, text.data() + done, text.size() - done);
        if (w <= 0) break;
        done += size_t(w);
    }
    close(fd);
}

void TBvStrings::SaveToStream(QIODevice& stream) const
{
    const TBvText text = GetTextStr();
    stream.write(text.data(), qint64(text.size()));
}

void TBvStrings::LoadFromStream(QIODevice& stream)
{
    Clear();
    const qint64 n = stream.size() - stream.pos();
    if (n <= 0) return;
    char* w;
    TBvText text = TBvText::Allocate(size_t(n), &w);
    const qint64 got = stream.read(w, n);
    SetTextStr(got > 0 ? text.Mid(0, size_t(got)) : TBvText());
}

TBvLineEnds TBvStrings::LineEnds() const
{
    if (!starts_ || count_ == 0) return TBvLineEnds::None;
    // Without any CR every line but the last ends at its LF: nothing to look at.
    if (lfEnds_) return count_ > 1 || LineEndAt(Start(0), Start(1)) > 0 ? TBvLineEnds::Lf : TBvLineEnds::None;
    TBvLineEnds seen = TBvLineEnds::None;
    for (int i = 0; i < count_; ++i) {
        const uint64_t from = Start(i), next = Start(i + 1);
        const size_t n = LineEndAt(from, next);
        if (n == 0) continue;
        const TBvLineEnds kind = n == 2                           ? TBvLineEnds::CrLf
                                 : text_.data()[next - 1] == '\r' ? TBvLineEnds::Cr
                                                                  : TBvLineEnds::Lf;
        if (seen == TBvLineEnds::None) seen = kind;
        else if (kind != seen) return TBvLineEnds::Mixed;
    }
    return seen;
}

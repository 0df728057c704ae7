#include "model/BvStrings.h"

#include <fcntl.h>
#include <unistd.h>

#include <QIODevice>
#include <algorithm>
#include <cstdlib>
#include <new>

#include "model/BvArray.h"
#include "platform/Exception.h"
#include "platform/FileRead.h"

namespace {

uint8_t LowerAscii(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; }
uint8_t UpperAscii(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 32) : c; }

void ReleaseFileBlock(TBvText::Block* b)
{
    platform::FileBytes::Release(b->data, b->size);
    delete b;
}

}  // namespace

TBvStrings::~TBvStrings() { Clear(); }

void TBvStrings::Error() const { throw Exception(RangeErrorText); }

void TBvStrings::SetCapacity(int n)
{
    if (n > MaxListSize) Error();
    if (n == capacity_) return;
    if (n < count_) Error();
    // TBvText is two pointers and a size with no self-reference: moving it is a byte copy.
    items_ = bvarray::Reallocate(items_, size_t(capacity_), size_t(n), &bigArray_);
    capacity_ = n;
}

void TBvStrings::SetCount(int n)
{
    if (n < 0 || n > MaxListSize) Error();
    if (n > capacity_) SetCapacity(n);
    for (int i = n; i < count_; ++i) items_[i] = TBvText();
    count_ = n;
}

int TBvStrings::Add(const TBvText& s)
{
    TBvText copy(s);  // s may be one of this store's lines, which growth moves
    if (count_ == capacity_) SetCapacity(capacity_ + 32);
    new (&items_[count_]) TBvText(std::move(copy));
    return count_++;
}

void TBvStrings::Insert(int index, const TBvText& s)
{
    if (index < 0 || index > count_) Error();
    TBvText copy(s);  // before growth: s may be one of this store's lines
    if (count_ == capacity_) SetCapacity(capacity_ + 32);
    std::memmove(static_cast<void*>(&items_[index + 1]), static_cast<void*>(&items_[index]),
                 size_t(count_ - index) * sizeof(TBvText));
    new (&items_[index]) TBvText(std::move(copy));
    ++count_;
}

void TBvStrings::Delete(int index)
{
    if (index < 0 || index >= count_) Error();
    items_[index].~TBvText();
    std::memmove(static_cast<void*>(&items_[index]), static_cast<void*>(&items_[index + 1]),
                 size_t(count_ - index - 1) * sizeof(TBvText));
    --count_;
    new (&items_[count_]) TBvText();
}

void TBvStrings::Exchange(int index1, int index2)
{
    if (index1 < 0 || index1 >= count_ || index2 < 0 || index2 >= count_) Error();
    if (index1 != index2) items_[index1].swap(items_[index2]);
}

void TBvStrings::Put(int index, const TBvText& s)
{
    if (index < 0 || index >= count_) Error();
    items_[index] = s;
}

void TBvStrings::Clear()
{
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
    for (int i = 0; i < count_; ++i) dest.Add(items_[i]);
}

void TBvStrings::CopyTo(std::vector<TBvText>& dest) const
{
    dest.assign(items_, items_ + count_);
}

int TBvStrings::IndexOf(const TBvText& s) const
{
    for (int i = 0; i < count_; ++i)
        if (items_[i] == s) return i;
    return -1;
}

bool TBvStrings::Find(const TBvText& s, int& index, int& pos) const
{
    if (s.empty()) return false;
    const uint8_t lo = LowerAscii(s[0]), up = UpperAscii(s[0]);
    const size_t n = s.size();
    if (index < 0) index = 0;
    while (index < count_) {
        const TBvText& line = items_[index];
        const long long last = (long long)line.size() - (long long)n + 1;
        if (pos <= 0) pos = 1;
        while (pos <= last) {
            const uint8_t* p = line.bytes() + (pos - 1);
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
    for (int i = 0; i < count_; ++i) total += items_[i].size() + 2;
    if (total == 0) return TBvText();
    char* w;
    TBvText out = TBvText::Allocate(total, &w);
    for (int i = 0; i < count_; ++i) {
        std::memcpy(w, items_[i].data(), items_[i].size());
        w += items_[i].size();
        *w++ = '\r';
        *w++ = '\n';
    }
    return out;
}

void TBvStrings::SetTextStr(const TBvText& text)
{
    Clear();
    if (text.empty()) return;
    SetCapacity(int(std::min<size_t>(text.size() / 28, size_t(MaxListSize))));
    const uint8_t* b = text.bytes();
    const size_t end = text.size();
    size_t p = 0;
    // The text ends at its end or at its first NUL, whichever comes first.
    auto at = [&](size_t i) -> uint8_t { return i < end ? b[i] : 0; };
    do {
        size_t q = p;
        while (q < end && b[q] != 0 && b[q] != '\n' && b[q] != '\r') ++q;
        AppendForLoad(text.Mid(p, q - p));
        p = q;
        if (at(p) == '\r') ++p;
        if (at(p) == '\n') ++p;
    } while (at(p) != 0);
    SetCapacity(count_);
}

// Add for the bulk loaders. They size the array from an estimate and trim it afterwards; when
// the estimate falls short, growing by 32 slots at a time would re-map the array every 32
// lines, so here it grows by half instead. The trim makes the end state the same.
void TBvStrings::AppendForLoad(TBvText&& s)
{
    if (count_ == capacity_) {
        if (capacity_ >= MaxListSize) Error();
        const long long grown = std::max<long long>(capacity_ + 32LL, capacity_ + capacity_ / 2LL);
        SetCapacity(int(std::min<long long>(grown, MaxListSize)));
    }
    new (&items_[count_]) TBvText(std::move(s));
    ++count_;
}

TBvText TBvStrings::GetCommaText() const
{
    std::string out;
    for (int i = 0; i < count_; ++i) {
        const std::string_view line = items_[i].view();
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

void TBvStrings::LoadFromFile(const std::string& name)
{
    Clear();
    try {
        platform::FileBytes fb;
        if (!platform::ReadWholeFile(name, fb)) return;  // cannot be read: the store stays empty
        auto* block = new TBvText::Block{0, ReleaseFileBlock, fb.data, fb.mapped};
        const TBvText whole(block, fb.data, fb.size);
        // The size is taken in 64 bits; the estimate is capped at what the store can hold.
        SetCapacity(int(std::min<uint64_t>(uint64_t(fb.size) / 28, uint64_t(MaxListSize))));
        const char* data = whole.data();
        const void* eof = std::memchr(data, 0x1A, fb.size);
        const size_t end = eof ? size_t(static_cast<const char*>(eof) - data) : fb.size;
        size_t p = 0;
        while (p < end) {
            const void* cr = std::memchr(data + p, '\r', end - p);
            const size_t q = cr ? size_t(static_cast<const char*>(cr) - data) : end;
            if (q - p > size_t(INT32_MAX)) Error();  // positions within a line are 32-bit
            AppendForLoad(TBvText(block, data + p, q - p));
            p = q + 1;
            if (p < end && data[p] == '\n') ++p;
        }
        SetCapacity(count_);
    } catch (...) {
        // Too many lines or no memory: report it to the caller and hold nothing.
        Clear();
        throw;
    }
}

void TBvStrings::SaveToFile(const std::string& name) const
{
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return;
    const TBvText text = GetTextStr();
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

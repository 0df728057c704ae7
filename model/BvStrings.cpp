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
#include "platform/FileRead.h"

namespace {

uint8_t LowerAscii(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; }
uint8_t UpperAscii(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 32) : c; }

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

void TBvStrings::LoadFromFile(const std::string& name) { LoadFromFile(name, TBvLoadProgress()); }

namespace {

// Splits a file's bytes into lines as they arrive, in one pass. The first 0x1A ends the text.
// A text without any CR is a Unix text: LF ends a line. From the first CR on, the line store's
// own rule holds (CR and CR LF end a line, a lone LF stays in it); under that rule every byte
// before the first CR belongs to the first line, so the lines split at LF so far are dropped and
// the split goes on from that CR.
class TLineSplitter {
public:
    // The bytes before start (a byte order mark) are no part of the text.
    explicit TLineSplitter(size_t start = 0) : start_(start), lineStart_(start), pos_(start), end_(start) {}
    // add(start, end) appends the line of bytes [start, end); restart() drops every line added.
    template <class Add, class Restart>
    void Split(const char* data, size_t avail, Add add, Restart restart)
    {
        if (ended_ || avail < start_) return;
        if (const void* sub = std::memchr(data + pos_, 0x1A, avail - pos_)) {
            avail = size_t(static_cast<const char*>(sub) - data);
            ended_ = true;
        }
        end_ = avail;
        while (pos_ < avail) {
            if (skipLf_) {
                skipLf_ = false;
                if (data[pos_] == '\n') {
                    lineStart_ = ++pos_;
                    continue;
                }
            }
            const void* cr = std::memchr(data + pos_, '\r', avail - pos_);
            const size_t crAt = cr ? size_t(static_cast<const char*>(cr) - data) : avail;
            if (!crRule_) {
                while (const void* lf = std::memchr(data + pos_, '\n', crAt - pos_)) {
                    const size_t q = size_t(static_cast<const char*>(lf) - data);
                    add(lineStart_, q);
                    lineStart_ = pos_ = q + 1;
                }
                if (cr) {
                    restart();
                    lineStart_ = start_;
                    crRule_ = true;
                }
            }
            if (!cr) {
                pos_ = avail;
                break;
            }
            add(lineStart_, crAt);
            lineStart_ = pos_ = crAt + 1;
            skipLf_ = true;
        }
    }
    // Whether the text has ended before the end of the bytes (at a 0x1A).
    bool Ended() const { return ended_; }
    // The bytes of the line not yet ended.
    size_t Pending() const { return end_ - lineStart_; }
    // At the end of the bytes: a last line without a line end is a line too.
    template <class Add>
    void Finish(Add add)
    {
        if (lineStart_ < end_) add(lineStart_, end_);
    }

private:
    bool crRule_ = false;  // a CR has been seen
    bool skipLf_ = false;  // the last line ended at a CR, so a LF right after it is part of that end
    bool ended_ = false;
    size_t start_, lineStart_, pos_, end_;
};

void ReleaseFileBlock(TBvText::Block* b)
{
    platform::FileMemory::Release(b->data, b->size);
    delete b;
}

// Memory the program owns as a block, held by `holder`; lines are slices of it.
TBvText::Block* FileBlock(char* data, size_t mapped, TBvText& holder)
{
    auto* block = new TBvText::Block{0, ReleaseFileBlock, data, mapped};
    holder = TBvText(block, data, 0);
    return block;
}

// The encoding to read in: the one asked for, or the one the sample shows.
TBvSource ChooseSource(const charset::TSample& sample, uint64_t fileSize, std::optional<TCharset> asked)
{
    if (!asked) {
        const charset::TDetected found = charset::Detect(sample.pieces, fileSize);
        return {found.charset, found.bom};
    }
    const std::string_view first = sample.pieces.empty() ? std::string_view() : sample.pieces.front().bytes;
    return {*asked, charset::BomLength(*asked, first.data(), first.size()) > 0};
}

}  // namespace

void TBvStrings::LoadFromFile(const std::string& name, const TBvLoadProgress& progress, std::optional<TCharset> charset)
{
    Clear();
    source_ = {charset.value_or(TCharset::Cp932), false};
    TBvText whole;  // holds the file's memory; declared first, so that the reader stops before it goes
    platform::TFileReader file;
    if (!file.Open(name)) return;  // cannot be read: the store stays empty
    try {
        // The size is taken in 64 bits; the estimate is capped at what the store can hold.
        SetCapacity(int(std::min<uint64_t>(file.Size() / 28, uint64_t(MaxListSize))));
        // The encoding from a sample spread over the file before its bytes are read, so that they
        // are split as they arrive; a file that reports no size is read whole by Start.
        charset::TSample sample;
        file.ReadSample(sample);
        TBvText::Block* block = nullptr;  // the file's bytes, once it is read into memory
        auto start = [&] {
            file.Start();
            block = FileBlock(const_cast<char*>(file.Data()), file.Mapped(), whole);
            file.Adopt();
        };
        if (file.Size() == 0) {
            start();
            const size_t n = file.Wait(0);
            sample.pieces.push_back({std::string_view(file.Data(), std::min(n, charset::kSamplePiece * (charset::kSamplePieces + 1))), 0});
        }
        source_ = ChooseSource(sample, file.Size(), charset);
        const std::string_view first = sample.pieces.empty() ? std::string_view() : sample.pieces.front().bytes;
        const size_t skip = source_.bom ? charset::BomLength(source_.charset, first.data(), first.size()) : 0;

        if (charset::IsTranscoded(source_.charset)) {
            // Read a part at a time (a file that reports no size: from its bytes read whole).
            size_t at = skip;
            auto nextPart = [&](char* to, size_t n) {
                if (file.Size() == 0) {
                    const size_t k = std::min(n, file.Wait(0) - std::min(at, file.Wait(0)));
                    std::memcpy(to, file.Data() + at, k);
                    at += k;
                    return k;
                }
                return file.ReadNext(to, n);
            };
            for (size_t dropped = 0; file.Size() && dropped < skip;) {
                char mark[4];
                const size_t r = file.ReadNext(mark, skip - dropped);
                if (r == 0) break;
                dropped += r;
            }
            if (LoadTranscoded(file.Size(), nextPart, progress)) SetCapacity(count_);
            return;
        }
        if (!block) start();
        const char* data = block->data;
        auto add = [&](size_t from, size_t to) {
            if (to - from > size_t(INT32_MAX)) Error();  // positions within a line are 32-bit
            AppendForLoad(TBvText(block, data + from, to - from));
        };
        TLineSplitter split(skip);
        size_t have = 0;
        for (;;) {
            const size_t got = file.Wait(have);
            if (got == have) break;  // the reading has ended
            split.Split(data, got, add, [this] { SetCount(0); });
            // A line past the position limit is refused as soon as it gets there.
            if (split.Pending() > size_t(INT32_MAX)) Error();
            have = got;
            if (split.Ended()) break;
            if (progress && !progress(have, file.Size())) {
                file.Stop();
                Clear();
                return;
            }
        }
        file.Stop();
        split.Finish(add);
        SetCapacity(count_);
    } catch (...) {
        // Too many lines, a line too long, or no memory: report it to the caller and hold nothing.
        file.Stop();
        Clear();
        throw;
    }
}

bool TBvStrings::LoadTranscoded(uint64_t size, const std::function<size_t(char*, size_t)>& nextPart,
                                const TBvLoadProgress& progress)
{
    // The UTF-8 goes to memory of its own, which the lines are slices of; the file's bytes pass
    // through a buffer a part at a time, so that they never take memory of their own.
    constexpr size_t kPart = size_t(8) << 20;
    if (platform::AvailableMemory() < size / 2 * 3 + kPart) throw std::bad_alloc();  // Japanese text: half as much again
    TBvText held;
    size_t mapped;
    char* out = platform::FileMemory::Allocate(charset::Utf8Bound(source_.charset, size_t(size)) + 16, mapped);
    TBvText::Block* block = FileBlock(out, mapped, held);
    auto add = [&](size_t from, size_t to) {
        if (to - from > size_t(INT32_MAX)) Error();  // positions within a line are 32-bit
        AppendForLoad(TBvText(block, out + from, to - from));
    };
    charset::TToUtf8 transcoder(source_.charset);
    std::vector<char> part(kPart + 8);
    TLineSplitter split;
    size_t carried = 0, written = 0;  // carried: bytes of a character cut at the last part's end
    uint64_t done = 0;
    for (;;) {
        const size_t got = nextPart(part.data() + carried, kPart);
        done += got;
        size_t used;
        written += transcoder.Feed(part.data(), carried + got, got == 0, out + written, used);
        carried = carried + got - used;
        std::memmove(part.data(), part.data() + used, carried);
        split.Split(out, written, add, [this] { SetCount(0); });
        if (split.Pending() > size_t(INT32_MAX)) Error();
        if (got == 0 || split.Ended()) break;
        if (progress && !progress(done, size)) {
            Clear();
            return false;
        }
    }
    split.Finish(add);
    return true;
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

#include "model/BvLoad.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <vector>

#include "platform/Charset.h"
#include "platform/Exception.h"
#include "platform/FileRead.h"

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
    // The bytes of the line not yet ended, and where it starts.
    size_t Pending() const { return end_ - lineStart_; }
    size_t LineStart() const { return lineStart_; }
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

TBvLoadFailure OpenFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: return TBvLoadFailure::NotFound;
    case EACCES:
    case EPERM: return TBvLoadFailure::NoPermission;
    case EISDIR: return TBvLoadFailure::Folder;
    case ENODEV:
    case ENXIO: return TBvLoadFailure::Device;
    default: return TBvLoadFailure::ReadError;
    }
}

// The bytes read become the bytes the text holds. Texts held in the file's encoding hold the
// file's own bytes, so the reader's memory is the text's, taken as it arrives.
TBvText HoldBytes(platform::TFileReader& file)
{
    auto* block = new TBvText::Block(ReleaseFileBlock, const_cast<char*>(file.Data()), file.Mapped());
    file.Adopt();
    return TBvText(block, block->data, block->size);
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

// What both ways of reading share: the store's lines as they are split, refused past the
// position limit, and the sink told of the lines that are final.
struct TSplitTarget {
    TBvStrings& store;
    TBvStrings::TBuilder& lines;
    TBvLineSink* sink;
    void Add(size_t from, size_t to)
    {
        if (to - from > size_t(INT32_MAX)) throw TBvLoadFailure::LineTooLong;  // positions within a line are 32-bit
        lines.Add(from, to);
    }
    void Restart()
    {
        if (sink) sink->Restart();
        lines.Restart(false);
    }
    // After a part: the lines split so far.
    void Split(TLineSplitter& split, const char* data, size_t avail)
    {
        split.Split(
            data, avail, [this](size_t a, size_t b) { Add(a, b); }, [this] { Restart(); });
        lines.SetNext(split.LineStart());
        // A line past the position limit is refused as soon as it gets there.
        if (split.Pending() > size_t(INT32_MAX)) throw TBvLoadFailure::LineTooLong;
    }
    // The last line's end may still grow by the LF of a CR LF.
    void Publish()
    {
        if (sink) sink->Published(std::max(store.Count() - 1, 0));
    }
    void Finish(TLineSplitter& split, size_t textBytes)
    {
        split.Finish([this](size_t a, size_t b) { Add(a, b); });
        lines.Finish(textBytes);
        if (sink) sink->Published(store.Count());
    }
};

// A text held in the file's own bytes, split as they arrive; skip: the byte order mark.
TBvLoadFailure LoadHeld(platform::TFileReader& file, size_t skip, TBvStrings& store,
                        const std::function<bool()>& stopped, TBvLoadProgress* progress, TBvLineSink* sink)
{
    if (!file.Data()) file.Start();  // a file that reports no size has been read already
    if (progress) progress->total.store(file.Size(), std::memory_order_relaxed);
    // Every line but the last ends in at least one byte.
    TBvStrings::TBuilder lines(store, HoldBytes(file), size_t(file.Size()) + 1, true);
    TSplitTarget target{store, lines, sink};
    const char* data = file.Data();
    TLineSplitter split(skip);
    size_t have = 0;
    for (;;) {
        // While a second thread reads, the sink's work fills the wait.
        if (sink && file.ReadsAside() && file.Available() <= have && !file.Finished() && !stopped() && sink->Help())
            continue;
        const size_t got = file.Wait(have);
        if (stopped()) throw TBvLoadFailure::Cancelled;
        if (got == have) break;  // the reading has ended
        target.Split(split, data, got);
        have = got;
        file.Taken(have);
        if (progress) progress->split.store(have, std::memory_order_relaxed);
        target.Publish();
        if (split.Ended()) break;
    }
    file.Stop();
    target.Finish(split, have);
    return file.ReadFailed() ? TBvLoadFailure::ReadError : TBvLoadFailure::None;
}

// A text held transcoded to UTF-8 (UTF-16, ISO-2022-JP). The UTF-8 goes to memory of its own,
// which the lines are slices of; the file's bytes pass through a buffer a part at a time, so
// that they never take memory of their own, and are transcoded and split as they arrive, a
// shift state and a character cut between parts carried over. skip: the byte order mark.
TBvLoadFailure LoadTranscoded(platform::TFileReader& file, size_t skip, TCharset from, TBvStrings& store,
                              const std::function<bool()>& stopped, TBvLoadProgress* progress, TBvLineSink* sink)
{
    constexpr size_t kPart = size_t(8) << 20;
    // A file that reports no size is read whole first, and taken from its bytes read.
    const bool whole = file.Size() == 0;
    const uint64_t size = whole ? file.Wait(0) : file.Size();
    if (progress) progress->total.store(size, std::memory_order_relaxed);
    // Japanese text: half as much again.
    if (platform::AvailableMemory() < size / 2 * 3 + kPart) throw std::bad_alloc();
    size_t mapped;
    const size_t bound = charset::Utf8Bound(from, size_t(size)) + 16;
    char* out = platform::FileMemory::Allocate(bound, mapped);
    auto* block = new TBvText::Block(ReleaseFileBlock, out, mapped);
    TBvStrings::TBuilder lines(store, TBvText(block, out, bound), bound + 1, true);
    TSplitTarget target{store, lines, sink};
    size_t at = skip;  // where the next part starts, reading whole
    auto nextPart = [&](char* to, size_t n) {
        if (whole) {
            const size_t k = std::min(n, size_t(size) - std::min(at, size_t(size)));
            std::memcpy(to, file.Data() + at, k);
            at += k;
            return k;
        }
        return file.ReadNext(to, n);
    };
    for (size_t dropped = 0; !whole && dropped < skip;) {
        char mark[4];
        const size_t r = file.ReadNext(mark, skip - dropped);
        if (r == 0) break;
        dropped += r;
    }
    charset::TToUtf8 transcoder(from);
    std::vector<char> part(kPart + 8);
    TLineSplitter split;
    size_t carried = 0, written = 0;  // carried: bytes of a character cut at the last part's end
    uint64_t done = skip;
    for (;;) {
        const size_t got = nextPart(part.data() + carried, kPart);
        if (stopped()) throw TBvLoadFailure::Cancelled;
        done += got;
        size_t used;
        written += transcoder.Feed(part.data(), carried + got, got == 0, out + written, used);
        carried = carried + got - used;
        std::memmove(part.data(), part.data() + used, carried);
        target.Split(split, out, written);
        if (progress) progress->split.store(done, std::memory_order_relaxed);
        target.Publish();
        if (got == 0 || split.Ended()) break;
    }
    target.Finish(split, written);
    return file.ReadFailed() ? TBvLoadFailure::ReadError : TBvLoadFailure::None;
}

}  // namespace

TBvLoadFailure TBvLoadFile(const TBvLoadSource& source, TBvStrings& store, const std::atomic<bool>* stop,
                           TBvLoadProgress* progress, TBvLineSink* sink)
{
    store.Clear();
    store.SetSource({source.charset.value_or(TCharset::Cp932), false});
    const std::function<bool()> stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    platform::TFileReader file;
    if (!(source.fd >= 0 ? file.Open(source.fd, source.streams) : file.Open(source.name, source.streams)))
        return OpenFailure(file.OpenError());
    file.StopWhen(stop);
    if (progress) file.ReportTo(&progress->read);
    TBvLoadFailure failure = TBvLoadFailure::None;
    try {
        // The encoding from a sample spread over the file before its bytes are read, so that they
        // are split as they arrive; a file that reports no size is read whole first.
        charset::TSample sample;
        file.ReadSample(sample);
        if (file.Size() == 0) {
            file.Start();
            const size_t n = file.Wait(0);
            sample.pieces.push_back(
                {std::string_view(file.Data(), std::min(n, charset::kSamplePiece * (charset::kSamplePieces + 1))), 0});
        }
        const TBvSource chosen = ChooseSource(sample, file.Size(), source.charset);
        store.SetSource(chosen);
        const std::string_view first = sample.pieces.empty() ? std::string_view() : sample.pieces.front().bytes;
        const size_t skip = chosen.bom ? charset::BomLength(chosen.charset, first.data(), first.size()) : 0;
        failure = charset::IsTranscoded(chosen.charset)
                      ? LoadTranscoded(file, skip, chosen.charset, store, stopped, progress, sink)
                      : LoadHeld(file, skip, store, stopped, progress, sink);
    } catch (TBvLoadFailure f) {
        failure = f;
    } catch (const std::bad_alloc&) {
        failure = TBvLoadFailure::OutOfMemory;
    } catch (const Exception&) {
        failure = TBvLoadFailure::TooManyLines;  // the store's range error: more lines than it holds
    }
    if (!Shows(failure)) {
        file.Stop();
        if (sink) sink->Restart();
        store.Clear();
    }
    return failure;
}

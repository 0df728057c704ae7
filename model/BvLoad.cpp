#include "model/BvLoad.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <new>

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
    // add(start, end) appends the line of bytes [start, end); restart() drops every line added.
    template <class Add, class Restart>
    void Split(const char* data, size_t avail, Add add, Restart restart)
    {
        if (ended_) return;
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
                    lineStart_ = 0;
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
    size_t lineStart_ = 0, pos_ = 0, end_ = 0;
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

// The bytes read become the bytes the text holds. Code page 932 texts hold the file's own
// bytes, so the reader's memory is the text's, taken as it arrives.
TBvText HoldBytes(platform::TFileReader& file)
{
    auto* block = new TBvText::Block(ReleaseFileBlock, const_cast<char*>(file.Data()), file.Mapped());
    file.Adopt();
    return TBvText(block, block->data, block->size);
}

}  // namespace

TBvLoadFailure TBvLoadFile(const TBvLoadSource& source, TBvStrings& store, const std::atomic<bool>* stop,
                           TBvLoadProgress* progress, TBvLineSink* sink)
{
    store.Clear();
    auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    platform::TFileReader file;
    if (!(source.fd >= 0 ? file.Open(source.fd) : file.Open(source.name))) return OpenFailure(file.OpenError());
    file.StopWhen(stop);
    if (progress) file.ReportTo(&progress->read);
    TBvLoadFailure failure = TBvLoadFailure::None;
    try {
        file.Start();
        if (progress) progress->total.store(file.Size(), std::memory_order_relaxed);
        // Every line but the last ends in at least one byte.
        TBvStrings::TBuilder lines(store, HoldBytes(file), size_t(file.Size()) + 1, true);
        const char* data = file.Data();
        auto add = [&](size_t from, size_t to) {
            if (to - from > size_t(INT32_MAX)) throw TBvLoadFailure::LineTooLong;  // positions within a line are 32-bit
            lines.Add(from, to);
        };
        auto restart = [&] {
            if (sink) sink->Restart();
            lines.Restart(false);
        };
        TLineSplitter split;
        size_t have = 0;
        for (;;) {
            // While a second thread reads, the sink's work fills the wait.
            if (sink && file.ReadsAside() && file.Available() <= have && !file.Finished() && !stopped() && sink->Help())
                continue;
            const size_t got = file.Wait(have);
            if (stopped()) throw TBvLoadFailure::Cancelled;
            if (got == have) break;  // the reading has ended
            split.Split(data, got, add, restart);
            lines.SetNext(split.LineStart());
            // A line past the position limit is refused as soon as it gets there.
            if (split.Pending() > size_t(INT32_MAX)) throw TBvLoadFailure::LineTooLong;
            have = got;
            file.Taken(have);
            if (progress) progress->split.store(have, std::memory_order_relaxed);
            // The last line's end may still grow by the LF of a CR LF.
            if (sink) sink->Published(std::max(store.Count() - 1, 0));
            if (split.Ended()) break;
        }
        file.Stop();
        if (file.ReadFailed()) failure = TBvLoadFailure::ReadError;
        split.Finish(add);
        lines.Finish(have);
        if (sink) sink->Published(store.Count());
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

#include "model/BvTail.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/Charset.h"

namespace {

void ReleaseBytes(TBvText::Block* b)
{
    delete[] b->data;
    delete b;
}

}  // namespace

std::optional<TBvTail> TBvTail::Of(const TBvStrings& store)
{
    if (charset::IsTranscoded(store.Source().charset)) return std::nullopt;
    // An empty file leaves no block to hold.
    if (!store.HeldWhole())
        return store.Count() == 0 && !store.Source().bom ? std::optional(TBvTail(0, 0, false, true)) : std::nullopt;
    const int n = store.Count();
    const uint64_t end = store.Position(n);
    if (n == 0) return TBvTail(end, end, false, store.LfEnds());
    return TBvTail(store.Position(n - 1), end, true, store.LfEnds());
}

TBvTail::TStep TBvTail::Read(int fd, uint64_t size, size_t most)
{
    TStep step;
    if (size < held_) {
        step.what = TStep::Again;
        return step;
    }
    if (ended_ || size == held_) return step;
    const uint64_t to = size - held_ > most ? held_ + most : size;
    const size_t n = size_t(to - lastStart_);
    auto* block = new TBvText::Block(ReleaseBytes, new char[n ? n : 1], n);
    const TBvText bytes(block, block->data, n);
    size_t got = 0;
    while (got < n) {
        const ssize_t r = pread(fd, block->data + got, n - got, off_t(lastStart_ + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += size_t(r);
    }
    if (lastStart_ + got < held_) {
        // Less than was held: the file shrank meanwhile.
        step.what = TStep::Again;
        return step;
    }
    const char* d = block->data;
    size_t end = got;
    if (const void* sub = std::memchr(d, 0x1A, end)) {
        end = size_t(static_cast<const char*>(sub) - d);
        ended_ = true;
    }
    if (lfEnds_ && std::memchr(d, '\r', end)) {
        step.what = TStep::Again;
        return step;
    }
    step.what = TStep::Lines;
    step.replaceLast = pending_;
    const char stop = lfEnds_ ? '\n' : '\r';
    size_t from = 0;
    bool lastOpen = false;  // the last line added may still grow
    while (from < end) {
        const void* q = std::memchr(d + from, stop, end - from);
        if (!q) {
            step.lines.push_back(bytes.Mid(from, end - from));
            lastOpen = true;
            break;
        }
        const size_t at = size_t(static_cast<const char*>(q) - d);
        step.lines.push_back(bytes.Mid(from, at - from));
        const size_t next = at + 1 + (!lfEnds_ && at + 1 < end && d[at + 1] == '\n');
        // A CR at the very end of what was read: its LF may come next, and belongs to this line's end.
        lastOpen = !lfEnds_ && at + 1 == end;
        if (lastOpen) break;
        from = next;
    }
    held_ = lastStart_ + got;
    if (lastOpen) {
        lastStart_ += from;
    } else {
        lastStart_ = held_;
    }
    pending_ = lastOpen;
    if (ended_) pending_ = false;
    if (step.lines.empty() && !step.replaceLast) step.what = TStep::Nothing;
    return step;
}

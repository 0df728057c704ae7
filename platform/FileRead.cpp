#include "platform/FileRead.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <fstream>
#include <new>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

namespace platform {

ReadCall FileReadCall = [](int fd, void* buf, size_t n) { return ::read(fd, buf, n); };
std::function<uint64_t()> AvailableMemory = SystemAvailableMemory;

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// A whole chunk read slower than this (under 1 GB/s) says the huge pages under it are costly.
constexpr auto kSlowChunk = std::chrono::milliseconds(8);
// One read() call: large enough that the calls cost nothing, small enough that the bytes are
// split while still in the cache and that a stop is seen soon.
constexpr size_t kChunk = size_t(8) << 20;
// How often a reader waiting for a pipe's writer looks at its stop flag.
constexpr int kStreamStopCheckMs = 50;
// Files from this size on are read on a second thread while the caller splits what arrived.
constexpr uint64_t kThreadedFrom = uint64_t(16) << 20;
// Memory kept free for everything else the program and the system need meanwhile.
constexpr uint64_t kReserve = uint64_t(64) << 20;
// What the caller's thread faults in at a time while it waits for the reader.
constexpr size_t kPopulateStep = size_t(4) << 20;
// How often a long read looks at the memory left.
constexpr size_t kMemoryCheckEvery = size_t(64) << 20;
// How far the reading thread may run ahead of what the caller has taken: so that a caller that
// refuses the text part way (a line past the position limit) has not had gigabytes read for it.
constexpr size_t kReadAhead = size_t(128) << 20;

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }

uint64_t ReadNumber(const char* path)
{
    std::ifstream in(path);
    uint64_t v = 0;
    if (in >> v) return v;
    return UINT64_MAX;  // missing, or "max"
}

// One read() call, retried when a signal interrupts it: the count read, 0 at the end, -1 for an
// error (which ends the bytes there).
ssize_t ReadSome(int fd, char* to, size_t n)
{
    for (;;) {
        const ssize_t r = FileReadCall(fd, to, n);
        if (r < 0 && errno == EINTR) continue;
        return r < 0 ? -1 : r;
    }
}

bool Fits(uint64_t bytes) { return bytes <= AvailableMemory(); }

}  // namespace

uint64_t SystemAvailableMemory()
{
    uint64_t avail = UINT64_MAX;
    {
        std::ifstream in("/proc/meminfo");
        std::string key;
        uint64_t kb;
        std::string unit;
        while (in >> key >> kb >> unit)
            if (key == "MemAvailable:") {
                avail = kb * 1024;
                break;
            }
    }
    // A memory control group's limit (v2, then v1), less what the group already uses.
    for (const auto& [limitPath, usagePath] :
         {std::pair("/sys/fs/cgroup/memory.max", "/sys/fs/cgroup/memory.current"),
          std::pair("/sys/fs/cgroup/memory/memory.limit_in_bytes", "/sys/fs/cgroup/memory/memory.usage_in_bytes")}) {
        const uint64_t limit = ReadNumber(limitPath), used = ReadNumber(usagePath);
        if (limit != UINT64_MAX && used != UINT64_MAX) avail = std::min(avail, limit > used ? limit - used : 0);
    }
    return avail;
}

char* FileMemory::Allocate(size_t size, size_t& mapped)
{
    // Not MAP_NORESERVE: memory the kernel cannot promise should fail here, not in a page fault.
    mapped = RoundUp(size ? size : 1, size >= kHugePage ? kHugePage : size_t(4096));
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    // Filling a gigabyte through 4 KiB page faults costs more than reading it, when huge pages
    // come cheap (ReadFixed judges that).
    if (size >= kHugePage) madvise(p, mapped, MADV_HUGEPAGE);
    return static_cast<char*>(p);
}

void FileMemory::Release(char* data, size_t mapped)
{
    if (data) munmap(data, mapped);
}

bool PopulateMemory(void* begin, size_t bytes) { return madvise(begin, bytes, MADV_POPULATE_WRITE) == 0; }

TFileReader::~TFileReader()
{
    Stop();
    if (!adopted_) FileMemory::Release(data_, mapped_);
    if (fd_ >= 0) close(fd_);
}

bool TFileReader::Open(const std::string& name, bool streams)
{
    // O_NONBLOCK so that opening a FIFO without a writer returns at once.
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        openError_ = errno;
        return false;
    }
    return Open(fd, streams);
}

bool TFileReader::Open(int fd, bool streams)
{
    struct stat st;
    if (fstat(fd, &st) != 0) {
        openError_ = errno;
        close(fd);
        return false;
    }
    stream_ = streams && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
    if (!S_ISREG(st.st_mode) && !stream_) {
        openError_ = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        close(fd);
        return false;
    }
    fd_ = fd;
    size_ = stream_ ? 0 : uint64_t(st.st_size);
    return true;
}

void TFileReader::Start()
{
    if (fd_ < 0) {
        Publish(0, kFinished);
        return;
    }
    // The file's bytes and, on top, room for its line index and display lines.
    if (!Fits(size_ + size_ / 4 + kReserve)) throw std::bad_alloc();
    if (size_ > SIZE_MAX / 2) throw std::bad_alloc();
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (size_ == 0) {
        ReadToEnd();
        return;
    }
    data_ = FileMemory::Allocate(size_t(size_), mapped_);
    if (size_ >= kThreadedFrom) thread_ = std::thread([this] { ReadFixed(); });
}

void TFileReader::ReadSample(charset::TSample& sample) const
{
    sample.buffer.clear();
    sample.pieces.clear();
    if (fd_ < 0 || stream_) return;
    const auto places = charset::TSample::Places(size_);
    size_t total = 0;
    for (const auto& [at, n] : places) total += n;
    sample.buffer.resize(total);
    std::vector<std::pair<uint64_t, size_t>> got;  // where each piece lies, and the bytes read
    size_t used = 0;
    for (const auto& [at, n] : places) {
        size_t done = 0;
        while (done < n) {
            const ssize_t r = pread(fd_, sample.buffer.data() + used + done, n - done, off_t(at + done));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            done += size_t(r);
        }
        got.emplace_back(at, done);
        used += done;
        if (done < n) break;  // the file ends sooner than it said, or cannot be read there
    }
    sample.buffer.resize(used);  // no more reallocation: the views below stay valid
    size_t from = 0;
    for (const auto& [at, n] : got) {
        sample.pieces.push_back({std::string_view(sample.buffer).substr(from, n), at});
        from += n;
    }
}

size_t TFileReader::ReadNext(char* to, size_t n)
{
    if (fd_ < 0 || streamed_ >= size_) return 0;
    const ssize_t r = ReadSome(fd_, to, size_t(std::min<uint64_t>(n, size_ - streamed_)));
    if (r <= 0) {
        // The end (a file that shrank), or an error, ends the bytes; ReadFailed tells an error.
        streamed_ = size_;
        if (r < 0) state_.fetch_or(kFinished | kReadError, std::memory_order_release);
        return 0;
    }
    streamed_ += uint64_t(r);
    if (report_) report_->store(streamed_, std::memory_order_relaxed);
    return size_t(r);
}

void TFileReader::Publish(size_t got, uint64_t flags)
{
    if (report_) report_->store(got, std::memory_order_relaxed);
    state_.store(uint64_t(got) | flags, std::memory_order_release);
    state_.notify_all();
}

// On the second thread: the file up to its size at opening, or less where it ends sooner.
void TFileReader::ReadFixed()
{
    size_t got = 0, checked = 0;
    bool huge = size_ >= kHugePage;
    // Which kind of page faults in faster is tried once, on whole chunks: a slow huge chunk is
    // followed by one of ordinary pages, and the faster kind takes the rest.
    enum { Trying, TryingSmall, Decided } trial = huge ? Trying : Decided;
    std::chrono::steady_clock::duration hugeTime{};
    auto pages = [&](bool hugePages) {
        huge = hugePages;
        const size_t from = RoundUp(got, kHugePage);  // madvise wants whole pages
        if (from < mapped_) madvise(data_ + from, mapped_ - from, hugePages ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    };
    while (got < size_ && !Stopped()) {
        if (got - checked >= kMemoryCheckEvery) {
            checked = got;
            if (!Fits(size_ - got + kReserve)) return Publish(got, kFinished | kNoMemory);
        }
        for (size_t taken; got - (taken = taken_.load(std::memory_order_acquire)) > kReadAhead && !Stopped();)
            taken_.wait(taken, std::memory_order_acquire);
        const auto start = std::chrono::steady_clock::now();
        const ssize_t r = ReadSome(fd_, data_ + got, std::min<size_t>(kChunk, size_t(size_) - got));
        if (r < 0) return Publish(got, kFinished | kReadError);
        if (r == 0) break;
        got += size_t(r);
        Publish(got, 0);
        // Fresh huge pages can cost ten times more than ordinary ones, as on virtual machines
        // whose host took the memory back (1-2 s a gigabyte, against 0.45 s); on a machine short
        // of time ordinary pages can cost more still (5 s a gigabyte). Ordinary pages take the
        // rest of the file when they are faster; their cost the caller's thread shares
        // (PopulateAhead).
        if (trial != Decided && size_t(r) == kChunk) {
            const auto took = std::chrono::steady_clock::now() - start;
            if (trial == Trying && took > kSlowChunk) {
                hugeTime = took;
                trial = TryingSmall;
                pages(false);
            } else if (trial == TryingSmall) {
                trial = Decided;
                if (took > hugeTime) pages(true);
            } else {
                trial = Decided;
            }
        }
    }
    Publish(got, kFinished);
}

// A file that reports no size is read to its physical end, the memory doubling as it fills.
// Nothing is split before the end, since growing may move the bytes.
void TFileReader::ReadToEnd()
{
    size_t got = 0, cap = 64 << 10;
    data_ = FileMemory::Allocate(cap, mapped_);
    for (;;) {
        if (got == mapped_) {
            const size_t grown = mapped_ * 2;
            if (!Fits(grown - mapped_ + kReserve)) throw std::bad_alloc();
            void* p = mremap(data_, mapped_, grown, MREMAP_MAYMOVE);
            if (p == MAP_FAILED) throw std::bad_alloc();
            data_ = static_cast<char*>(p);
            mapped_ = grown;
        }
        const ssize_t r = Stopped() ? 0
                          : stream_ ? ReadStream(data_ + got, mapped_ - got)
                                    : ReadSome(fd_, data_ + got, mapped_ - got);
        if (r <= 0) {
            size_ = got;
            return Publish(got, kFinished | (r < 0 ? kReadError : 0));
        }
        got += size_t(r);
        if (report_) report_->store(got, std::memory_order_relaxed);
    }
}

// A pipe or a FIFO: bytes come when the writer writes them, and the end when every writer has
// closed it. Waiting in poll() rather than in read() lets a stop be seen while the writer is
// quiet. A FIFO opened before any writer came reports nothing until one does. 0 for the end or
// a stop, -1 for an error.
ssize_t TFileReader::ReadStream(char* to, size_t n)
{
    for (;;) {
        if (Stopped()) return 0;
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, kStreamStopCheckMs);
        if (ready < 0 && errno != EINTR) return -1;
        if (ready <= 0) continue;
        const ssize_t r = FileReadCall(fd_, to, n);
        if (r < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return r;
    }
}

size_t TFileReader::Wait(size_t have)
{
    uint64_t s = state_.load(std::memory_order_acquire);
    if (!(s & kFinished) && !thread_.joinable() && data_) {
        // Read on this thread, one call at a time, so that the caller sees each part arrive.
        size_t got = size_t(s & kCount);
        const ssize_t r = got < size_ ? ReadSome(fd_, data_ + got, std::min<size_t>(kChunk, size_t(size_) - got)) : 0;
        if (r > 0) got += size_t(r);
        Publish(got, r < 0 ? kFinished | kReadError : r == 0 || got == size_ ? kFinished : 0);
        s = state_.load(std::memory_order_acquire);
    }
    while ((s & kCount) <= have && !(s & kFinished)) {
        if (thread_.joinable() && PopulateAhead(size_t(s & kCount))) {
            s = state_.load(std::memory_order_acquire);
            continue;
        }
        state_.wait(s, std::memory_order_acquire);
        s = state_.load(std::memory_order_acquire);
    }
    if (s & kNoMemory) throw std::bad_alloc();
    return size_t(s & kCount);
}

// While the caller waits for the reading thread: the next pages that thread will fill are
// faulted in here, so that the two cores share the cost of fresh memory (without disturbing a
// read in progress).
bool TFileReader::PopulateAhead(size_t got)
{
    const size_t from = std::max(populated_, RoundUp(std::min(got + kChunk, mapped_), 4096));
    if (!canPopulate_ || from >= mapped_) return false;
    const size_t length = std::min(kPopulateStep, mapped_ - from);
    if (!PopulateMemory(data_ + from, length)) {
        canPopulate_ = false;  // an older kernel, or no memory: the reader faults them in itself
        return false;
    }
    populated_ = from + length;
    return true;
}

void TFileReader::Stop()
{
    stop_.store(true, std::memory_order_relaxed);
    Taken(SIZE_MAX);  // wakes a reading thread that waits for the caller
    if (thread_.joinable()) thread_.join();
    const uint64_t s = state_.load(std::memory_order_acquire);
    if (!(s & kFinished)) Publish(size_t(s & kCount), kFinished | (s & kReadError));
}

bool IsReadableRegularFile(const std::string& name)
{
    TFileReader f;
    return f.Open(name);
}

}  // namespace platform

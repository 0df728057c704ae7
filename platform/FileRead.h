#pragma once
// Reading a file for shared reading: regular files only, into memory the program owns, so that
// nothing another program does to the file afterwards changes what was read.
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "platform/Charset.h"

namespace platform {

// The read call used for files; tests replace it to make short reads and read errors.
using ReadCall = ssize_t (*)(int fd, void* buf, size_t n);
extern ReadCall FileReadCall;

// Bytes of memory this process may still take without the kernel's out-of-memory killer coming
// for it: the system's available memory, less for a memory control group's limit. Tests replace it.
extern std::function<uint64_t()> AvailableMemory;
uint64_t SystemAvailableMemory();

// Anonymous memory for a file's bytes; Release frees what Allocate gave.
struct FileMemory {
    static char* Allocate(size_t size, size_t& mapped);  // throws std::bad_alloc
    static void Release(char* data, size_t mapped);
};

// Faults in the pages of [begin, begin + bytes) of anonymous memory (begin on a page) without
// writing into them: a page already there keeps its bytes, so another thread may be filling the
// same memory meanwhile. False when the kernel cannot (before Linux 5.14) or has no memory.
bool PopulateMemory(void* begin, size_t bytes);

// Reads one file into anonymous memory in large read() calls. A file that reports a size is
// read up to that size, on a second thread when it is large, so that the caller can split the
// bytes that have arrived while the rest is read; a file that reports size 0 (kernel files such
// as /proc/cpuinfo), a pipe and a FIFO are read whole to their end by Start. A read error ends
// the bytes at that point.
class TFileReader {
public:
    TFileReader() = default;
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;
    ~TFileReader();  // stops the reading; frees the memory unless it was adopted

    // Opens name: false for a missing file, a directory, a device or any other non-regular
    // file, at once and without blocking; OpenError then says why. With streams, a FIFO is
    // taken too (also one without a writer yet), and read to its end.
    bool Open(const std::string& name, bool streams = false);
    // Reads from an open descriptor, which the reader then owns (closes): a regular file, or
    // with streams also a pipe, a FIFO or a socket.
    bool Open(int fd, bool streams = false);
    // Whether it reads a pipe, a FIFO or a socket: no size, and no reading at a place.
    bool Stream() const { return stream_; }
    // Why Open failed: the errno of opening, EISDIR for a folder, ENODEV for anything else that is
    // no regular file.
    int OpenError() const { return openError_; }
    // The size the file reported when opened.
    uint64_t Size() const { return size_; }
    // Reads the pieces of the file that detecting its encoding looks at, without moving the
    // reading (before or after Start); none for a file that reports no size.
    void ReadSample(charset::TSample& sample) const;
    // Instead of Start: the next bytes of the file into to, up to n and no further than the size
    // it reported, from where the last call ended; 0 at the end and after a read error. For
    // files read a part at a time into memory of the caller's (those held transcoded).
    size_t ReadNext(char* to, size_t n);
    // Takes the memory and starts reading. Throws std::bad_alloc when the file does not fit in
    // the memory that is left.
    void Start();
    // The bytes read so far begin here; the address does not change after Start.
    const char* Data() const { return data_; }
    size_t Mapped() const { return mapped_; }
    // Waits until more than `have` bytes have been read or the reading has ended, and returns
    // the count read. Throws std::bad_alloc when the memory left ran out while reading.
    size_t Wait(size_t have);
    // The caller has taken the first n bytes: the reading thread stays at most a few hundred
    // megabytes ahead of it.
    void Taken(size_t n)
    {
        taken_.store(n, std::memory_order_release);
        taken_.notify_one();
    }
    // The count read so far, without waiting (when a second thread reads).
    size_t Available() const { return size_t(state_.load(std::memory_order_acquire) & kCount); }
    // Whether a second thread reads, so that the caller may do other work while it waits.
    bool ReadsAside() const { return thread_.joinable(); }
    // Whether the reading has ended: end of file, a read error, Stop, or no memory.
    bool Finished() const { return (state_.load(std::memory_order_acquire) & kFinished) != 0; }
    // Whether it ended at a read error (the bytes before it were read).
    bool ReadFailed() const { return (state_.load(std::memory_order_acquire) & kReadError) != 0; }
    // Ends the reading early; what was read stays.
    void Stop();
    // A flag of the caller's that stops the reading too, at the next part, when it is set.
    void StopWhen(const std::atomic<bool>* flag) { cancel_ = flag; }
    // A count of the caller's that follows the bytes read, as they are read (for progress).
    void ReportTo(std::atomic<uint64_t>* read) { report_ = read; }
    // The caller now owns the memory (FileMemory::Release with Mapped()).
    void Adopt() { adopted_ = true; }

private:
    static constexpr uint64_t kFinished = uint64_t(1) << 63;
    static constexpr uint64_t kNoMemory = uint64_t(1) << 62;
    static constexpr uint64_t kReadError = uint64_t(1) << 61;
    static constexpr uint64_t kCount = kReadError - 1;
    void ReadFixed();
    void ReadToEnd();
    ssize_t ReadStream(char* to, size_t n);
    void Publish(size_t got, uint64_t flags);
    bool PopulateAhead(size_t got);
    bool Stopped() const
    {
        return stop_.load(std::memory_order_relaxed) || (cancel_ && cancel_->load(std::memory_order_relaxed));
    }

    int fd_ = -1;
    int openError_ = 0;
    uint64_t size_ = 0;
    char* data_ = nullptr;
    size_t mapped_ = 0;
    bool adopted_ = false;
    // Bytes read, with the finished and out-of-memory flags in the top bits.
    std::atomic<uint64_t> state_{0};
    std::atomic<bool> stop_{false};
    std::atomic<size_t> taken_{0};
    const std::atomic<bool>* cancel_ = nullptr;
    std::atomic<uint64_t>* report_ = nullptr;
    std::thread thread_;
    size_t populated_ = 0;   // the caller's thread has faulted in the pages below this
    uint64_t streamed_ = 0;  // what ReadNext has read
    bool canPopulate_ = true;
    bool stream_ = false;
};

// Whether name is a regular file this process can open for reading.
bool IsReadableRegularFile(const std::string& name);

}  // namespace platform

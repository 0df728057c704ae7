#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <new>

namespace platform {

namespace {

// Files are mapped rather than read: a gigabyte maps and indexes in a tenth of the time it
// takes to copy it into fresh memory. A mapped file that another program truncates would
// raise SIGBUS on the pages that are gone; the handler maps zero pages there instead, so the
// vanished tail reads as NUL bytes and nothing crashes.
constexpr int kRegions = 64;
std::atomic<uintptr_t> gBegin[kRegions];
std::atomic<uintptr_t> gEnd[kRegions];
struct sigaction gPrevious;
std::once_flag gInstalled;

void OnSigbus(int sig, siginfo_t* info, void* context)
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(info->si_addr);
    for (int i = 0; i < kRegions; ++i) {
        if (a >= gBegin[i].load() && a < gEnd[i].load()) {
            const uintptr_t page = a & ~uintptr_t(sysconf(_SC_PAGESIZE) - 1);
            mmap(reinterpret_cast<void*>(page), size_t(sysconf(_SC_PAGESIZE)), PROT_READ,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
            return;
        }
    }
    if (gPrevious.sa_flags & SA_SIGINFO) {
        if (gPrevious.sa_sigaction) return gPrevious.sa_sigaction(sig, info, context);
    } else if (gPrevious.sa_handler != SIG_DFL && gPrevious.sa_handler != SIG_IGN) {
        return gPrevious.sa_handler(sig);
    }
    signal(SIGBUS, SIG_DFL);  // not ours: the fault repeats and ends the process as usual
}

void InstallHandler()
{
    struct sigaction sa = {};
    sa.sa_sigaction = OnSigbus;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGBUS, &sa, &gPrevious);
}

bool Register(void* p, size_t n)
{
    std::call_once(gInstalled, InstallHandler);
    for (int i = 0; i < kRegions; ++i) {
        uintptr_t expected = 0;
        if (gEnd[i].load() == 0 && gBegin[i].compare_exchange_strong(expected, reinterpret_cast<uintptr_t>(p))) {
            gEnd[i].store(reinterpret_cast<uintptr_t>(p) + n);
            return true;
        }
    }
    return false;
}

void Unregister(void* p)
{
    for (int i = 0; i < kRegions; ++i) {
        if (gBegin[i].load() == reinterpret_cast<uintptr_t>(p)) {
            gEnd[i].store(0);
            gBegin[i].store(0);
        }
    }
}

constexpr size_t kHugePage = size_t(2) << 20;

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }

// Anonymous memory for a file's bytes. Large buffers ask for transparent huge pages: filling
// a gigabyte through 4 KiB page faults costs more than reading it.
char* Allocate(size_t size, size_t& mapped)
{
    mapped = RoundUp(size ? size : 1, size >= kHugePage ? kHugePage : size_t(4096));
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    if (size >= kHugePage) madvise(p, mapped, MADV_HUGEPAGE);
    return static_cast<char*>(p);
}

}  // namespace

void FileBytes::Release(char* data, size_t mapped)
{
    if (!data) return;
    Unregister(data);
    munmap(data, mapped);
}

bool ReadWholeFile(const std::string& name, FileBytes& out)
{
    out = FileBytes();
    // O_NONBLOCK so that opening a FIFO without a writer returns at once.
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    const size_t size = size_t(st.st_size);
    if (size > 0) {
        void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p != MAP_FAILED) {
            if (Register(p, size)) {
                madvise(p, size, MADV_SEQUENTIAL);
                close(fd);
                out.data = static_cast<char*>(p);
                out.size = size;
                out.mapped = size;
                return true;
            }
            munmap(p, size);
        }
    }
    // Not mappable (or no room to guard the mapping): read it.
    size_t mapped = 0;
    char* data = nullptr;
    try {
        data = Allocate(size, mapped);
    } catch (...) {
        close(fd);
        throw;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    size_t got = 0;
    while (got < size) {
        const size_t want = size - got < (size_t(1) << 30) ? size - got : (size_t(1) << 30);
        const ssize_t r = read(fd, data + got, want);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;  // end of file (the file shrank) or a read error: keep what was read
        got += size_t(r);
    }
    close(fd);
    out.data = data;
    out.size = got;
    out.mapped = mapped;
    return true;
}

}  // namespace platform

namespace platform {

bool IsReadableRegularFile(const std::string& name)
{
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    const bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return ok;
}

}  // namespace platform

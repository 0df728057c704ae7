#include "model/BvArray.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace bvarray {

namespace {

constexpr size_t kBigBytes = size_t(1) << 20;
// ThreadSanitizer does not see mremap: memory one thread's array leaves behind, handed to another
// thread by the next mmap, would look written by the first. Under it, a mapping grows by a copy.
#if defined(__SANITIZE_THREAD__)
constexpr bool kCopyToGrow = true;
#else
constexpr bool kCopyToGrow = false;
#endif

size_t Pages(size_t bytes)
{
    static const size_t page = size_t(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

void Free(void* p, size_t bytes, bool big)
{
    if (!p) return;
    if (big) munmap(p, Pages(bytes));
    else std::free(p);
}

}  // namespace

void* Reallocate(void* p, size_t oldCount, size_t newCount, size_t elemSize, bool* big)
{
    const size_t oldBytes = oldCount * elemSize;
    const size_t newBytes = newCount * elemSize;
    if (newCount == 0) {
        Free(p, oldBytes, *big);
        *big = false;
        return nullptr;
    }
    if (newBytes >= kBigBytes) {
        void* q;
        if (*big && !kCopyToGrow) {
            q = mremap(p, Pages(oldBytes), Pages(newBytes), MREMAP_MAYMOVE);
        } else if (*big) {
            q = mmap(nullptr, Pages(newBytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1,
                     0);
            if (q != MAP_FAILED) {
                std::memcpy(q, p, std::min(oldBytes, newBytes));
                munmap(p, Pages(oldBytes));
            }
        } else {
            q = mmap(nullptr, Pages(newBytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1,
                     0);
            if (q != MAP_FAILED && p) {
                std::memcpy(q, p, std::min(oldBytes, newBytes));
                std::free(p);
            }
        }
        if (q == MAP_FAILED) throw std::bad_alloc();
        *big = true;
        return q;
    }
    void* q = std::malloc(newBytes);
    if (!q) throw std::bad_alloc();
    const size_t keep = std::min(oldBytes, newBytes);
    if (p) std::memcpy(q, p, keep);
    std::memset(static_cast<char*>(q) + keep, 0, newBytes - keep);
    Free(p, oldBytes, *big);
    *big = false;
    return q;
}

}  // namespace bvarray

#pragma once
// Raw storage for arrays of trivially relocatable elements whose spare slots are all-zero bits.
// Large arrays live in their own mappings: they grow and shrink with mremap, without copying,
// and new slots are the kernel's zero pages, untouched (and so not resident) until used.
#include <atomic>
#include <cstddef>
#include <thread>

namespace bvarray {

// Moves the block at p from oldCount to newCount elements of elemSize bytes, keeping the first
// min(oldCount, newCount) elements; new elements are zero. *big says whether p is a mapping.
// newCount 0 frees the block and returns nullptr. Throws std::bad_alloc.
void* Reallocate(void* p, size_t oldCount, size_t newCount, size_t elemSize, bool* big);

template <class T>
T* Reallocate(T* p, size_t oldCount, size_t newCount, bool* big)
{
    return static_cast<T*>(Reallocate(static_cast<void*>(p), oldCount, newCount, sizeof(T), big));
}

// Faults in the pages of a mapped array on another thread, a little ahead of the thread writing
// it, so that where fresh memory is costly to fault in (a virtual machine whose host took it
// back) that cost runs beside the writing instead of inside it (platform::PopulateMemory). Stop
// it before the array moves or goes.
class TPrefaulter {
public:
    TPrefaulter() = default;
    TPrefaulter(const TPrefaulter&) = delete;
    TPrefaulter& operator=(const TPrefaulter&) = delete;
    ~TPrefaulter() { Stop(); }

    // Starts on the mapping of `bytes` bytes at base, of which the first `done` are written.
    void Start(void* base, size_t bytes, size_t done);
    // The writer has come to byte `done`; the pages up to a window past it are faulted in.
    void Progress(size_t done)
    {
        done_.store(done, std::memory_order_relaxed);
        done_.notify_one();
    }
    void Stop();
    bool Running() const { return thread_.joinable(); }

private:
    void Run(char* base, size_t bytes, size_t at);

    std::thread thread_;
    std::atomic<size_t> done_{0};
    std::atomic<bool> stop_{false};
};

}  // namespace bvarray

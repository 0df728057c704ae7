#pragma once
// Raw storage for arrays of trivially relocatable elements whose spare slots are all-zero bits.
// Large arrays live in their own mappings: they grow and shrink with mremap, without copying,
// and new slots are the kernel's zero pages, untouched (and so not resident) until used.
#include <cstddef>

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

}  // namespace bvarray

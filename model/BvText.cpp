#include "model/BvText.h"

#include <cstdlib>
#include <new>

namespace {

// Block and bytes in one allocation.
void ReleaseHeapBlock(TBvText::Block* b) { std::free(b); }

}  // namespace

TBvText TBvText::Allocate(size_t size, char** writable)
{
    void* mem = std::malloc(sizeof(Block) + (size ? size : 1));
    if (!mem) throw std::bad_alloc();
    auto* b = static_cast<Block*>(mem);
    b->refs = 0;
    b->release = ReleaseHeapBlock;
    b->data = reinterpret_cast<char*>(b + 1);
    b->size = size;
    *writable = b->data;
    return TBvText(b, b->data, size);
}

TBvText::TBvText(const char* data, size_t size)
{
    if (size == 0) return;
    char* w;
    *this = Allocate(size, &w);
    std::memcpy(w, data, size);
}

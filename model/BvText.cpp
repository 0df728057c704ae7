#include "model/BvText.h"

#include <cstdlib>
#include <new>

namespace {

// Block and bytes in one allocation.
void ReleaseHeapBlock(TBvText::Block* b)
{
    b->~Block();
    std::free(b);
}

}  // namespace

TBvText TBvText::Allocate(size_t size, char** writable)
{
    void* mem = std::malloc(sizeof(Block) + (size ? size : 1));
    if (!mem) throw std::bad_alloc();
    auto* b = new (mem) Block(ReleaseHeapBlock, nullptr, size);
    b->data = reinterpret_cast<char*>(b + 1);
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

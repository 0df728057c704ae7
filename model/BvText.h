#pragma once
// The text type: a CP932 byte string, reference-counted and shared between holders.
// A text is a slice of a block; lines read from a file are slices of the one block that holds
// the whole file, so copying a line copies a reference. Any byte value may occur, NUL included.
//
// The count is atomic: a text may be released on another thread than the one that made it (a
// replaced text is freed off the user-interface thread, and loads build texts on workers).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class TBvText {
public:
    // A shared block of bytes; freed by its own release function when the last slice goes.
    struct Block {
        Block(void (*releaseFn)(Block*), char* bytes, size_t count) noexcept
            : release(releaseFn), data(bytes), size(count)
        {
        }
        std::atomic<size_t> refs{0};
        void (*release)(Block*);
        char* data;
        size_t size;
    };

    TBvText() noexcept = default;
    TBvText(const char* data, size_t size);  // copies the bytes
    TBvText(std::string_view s) : TBvText(s.data(), s.size()) {}
    TBvText(const char* s) : TBvText(std::string_view(s)) {}
    // A slice of a block, taking a reference to it.
    TBvText(Block* block, const char* data, size_t size) noexcept : block_(block), data_(data), size_(size)
    {
        if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
    }

    TBvText(const TBvText& o) noexcept : block_(o.block_), data_(o.data_), size_(o.size_)
    {
        if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    TBvText(TBvText&& o) noexcept : block_(o.block_), data_(o.data_), size_(o.size_)
    {
        o.block_ = nullptr;
        o.data_ = nullptr;
        o.size_ = 0;
    }
    TBvText& operator=(const TBvText& o) noexcept
    {
        TBvText copy(o);
        swap(copy);
        return *this;
    }
    TBvText& operator=(TBvText&& o) noexcept
    {
        TBvText moved(std::move(o));
        swap(moved);
        return *this;
    }
    ~TBvText() { Unref(); }

    void swap(TBvText& o) noexcept
    {
        std::swap(block_, o.block_);
        std::swap(data_, o.data_);
        std::swap(size_, o.size_);
    }

    const char* data() const noexcept { return data_ ? data_ : ""; }
    const uint8_t* bytes() const noexcept { return reinterpret_cast<const uint8_t*>(data()); }
    size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::string_view view() const noexcept { return {data(), size_}; }
    std::string str() const { return std::string(view()); }
    uint8_t operator[](size_t i) const noexcept { return bytes()[i]; }

    // Bytes [pos, pos + n) clipped at the end, sharing this text's block.
    TBvText Mid(size_t pos, size_t n) const noexcept
    {
        if (pos >= size_) return TBvText();
        if (n > size_ - pos) n = size_ - pos;
        return TBvText(block_, data_ + pos, n);
    }

    // A new block of the given size (bytes uninitialised), for building texts.
    static TBvText Allocate(size_t size, char** writable);

    size_t RefCount() const noexcept { return block_ ? block_->refs.load(std::memory_order_relaxed) : 0; }
    // The block the bytes lie in (none for an empty text): slices of one block may be read
    // together, with the bytes between them.
    const Block* block() const noexcept { return block_; }

    friend bool operator==(const TBvText& a, const TBvText& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const TBvText& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const TBvText& a, const char* b) noexcept { return a.view() == std::string_view(b); }

private:
    void Unref() noexcept
    {
        if (block_ && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) block_->release(block_);
    }

    Block* block_ = nullptr;
    const char* data_ = nullptr;
    size_t size_ = 0;
};

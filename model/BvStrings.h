#pragma once
// TBvStrings: the line store. An ordered, growable array of shared byte strings, one per line.
//
// A text read whole (a file, a stream, SetTextStr) is held compactly: the one block of its bytes
// and, per line, the offset where it starts; a line ends where the next one starts, less its line
// end, which the bytes there tell. Lines handed out are slices of that block. The first edit of
// single lines (Add, Insert, Put, ...) turns the store into one text per line.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/BvEncoding.h"
#include "model/BvText.h"

class QIODevice;

// The line ends of a text: which kinds end its lines, or none for a text without any (one line,
// or lines given one by one).
enum class TBvLineEnds : uint8_t { None, CrLf, Lf, Cr, Mixed };

class TBvStrings {
public:
    // One less than the length of the item array type (2^27 slots).
    static constexpr int MaxListSize = 134217727;
    static constexpr const char* RangeErrorText = "インデックスがリストの範囲を超えています";

    TBvStrings() = default;
    TBvStrings(const TBvStrings&) = delete;
    TBvStrings& operator=(const TBvStrings&) = delete;
    virtual ~TBvStrings();

    int Count() const { return count_; }
    int Capacity() const { return starts_ ? count_ : capacity_; }

    // The encoding the text was read in, and the one it is held in. A file's load sets it; a text
    // given line by line is in the one set here (code page 932 at first).
    const TBvSource& Source() const { return source_; }
    TBvEncoding Encoding() const { return TBvEncoding::Holding(source_.charset); }
    void SetSource(const TBvSource& source) { source_ = source; }

    int Add(const TBvText& s);
    void Insert(int index, const TBvText& s);
    void Delete(int index);
    void Exchange(int index1, int index2);
    // Line index as a text sharing the store's bytes.
    TBvText Get(int index) const
    {
        if (unsigned(index) >= unsigned(count_)) Error();
        return starts_ ? text_.Mid(size_t(Start(index)), View(index).size()) : items_[index];
    }
    // Line index's bytes, without taking a reference: valid while the store holds the line.
    std::string_view View(int index) const
    {
        if (unsigned(index) >= unsigned(count_)) Error();
        if (!starts_) return items_[index].view();
        const uint64_t from = Start(index), next = Start(index + 1);
        return {text_.data() + from, size_t(next - from - LineEndAt(from, next))};
    }
    // The block line index lies in (none for an empty line of its own): lines of one block may
    // be read together, with the bytes between them.
    const TBvText::Block* BlockOf(int index) const
    {
        if (unsigned(index) >= unsigned(count_)) Error();
        return starts_ ? text_.block() : items_[index].block();
    }
    void Put(int index, const TBvText& s);
    void Clear();
    void AddStrings(const TBvStrings& source);
    void AddStrings(const std::vector<TBvText>& source);
    void Assign(const TBvStrings& source);
    void Assign(const std::vector<TBvText>& source);
    void CopyTo(TBvStrings& dest) const;
    void CopyTo(std::vector<TBvText>& dest) const;
    bool Find(const TBvText& s, int& index, int& pos) const;
    void Sort(const std::function<int(const TBvText&, const TBvText&)>& compare);
    // Exchanges the whole content with another store's.
    void Swap(TBvStrings& other) noexcept;
    // Where line index (up to Count) starts in the text held, for dividing work over the lines by
    // their bytes; lines held one text each count one byte each.
    uint64_t Position(int index) const { return starts_ ? Start(index) : uint64_t(index); }
    // The kinds of line end of a text read whole, by the rule its lines were split by. It looks at
    // the end of every line until it meets a second kind.
    TBvLineEnds LineEnds() const;
    // Whether the text is held whole (one block, a start per line; Position is then where a
    // line starts in it), and whether LF ends a line in it (it has no CR).
    bool HeldWhole() const { return starts_ != nullptr; }
    bool LfEnds() const { return lfEnds_; }

    // The virtual operations, in slot order.
    virtual TBvText GetTextStr() const;
    virtual void SetTextStr(const TBvText& text);
    virtual void SetCount(int n);
    virtual void SetCapacity(int n);
    virtual void SetCommaText(const TBvText& text);
    virtual TBvText GetCommaText() const;
    [[noreturn]] virtual void Error() const;
    virtual void LoadFromFile(const std::string& name);
    // Reads the file in the given encoding, or in the one its bytes show when none is given.
    void LoadFromFile(const std::string& name, std::optional<TCharset> charset);
    virtual void SaveToFile(const std::string& name) const;
    virtual void SaveToStream(QIODevice& stream) const;
    virtual void LoadFromStream(QIODevice& stream);
    virtual int IndexOf(const TBvText& s) const;

    // Building a store from one text, for the loaders: the lines are appended as they are found.
    // Begin takes the text's block (its bytes may still be arriving past the lines given) and room
    // for up to maxLines lines, which never moves; lfEnds tells whether LF ends a line (else only
    // CR and CR LF do, and a LF before the next line's start is the line's own byte).
    class TBuilder {
    public:
        TBuilder(TBvStrings& store, TBvText text, size_t maxLines, bool lfEnds);
        // A line from start; the next line, or the end of the text, starts at next.
        void Add(uint64_t start) { Add(start, start); }
        void Add(uint64_t start, uint64_t next)
        {
            if (size_t(store_.count_) >= maxLines_) store_.Error();
            store_.starts_[store_.count_++] = start;
            store_.starts_[store_.count_] = next;
        }
        // Where the line after the last one added starts (so far).
        void SetNext(uint64_t next) { store_.starts_[store_.count_] = next; }
        // Drops every line added; the store splits the text again from its start.
        void Restart(bool lfEnds)
        {
            store_.count_ = 0;
            store_.lfEnds_ = lfEnds;
        }
        // Gives the text its final size and frees the room not used.
        void Finish(size_t textBytes);

    private:
        TBvStrings& store_;
        size_t maxLines_;
    };

private:
    // Where line index starts in the text (index Count: the end of the last line's line end).
    uint64_t Start(int index) const { return starts_[index]; }
    // How many bytes before next end the line that starts at from: CR, CR LF, or LF where LF ends
    // a line; none for a last line without a line end.
    size_t LineEndAt(uint64_t from, uint64_t next) const
    {
        if (next == from) return 0;
        const char* b = text_.data();
        const char last = b[next - 1];
        if (last == '\r') return 1;
        if (last != '\n') return 0;
        if (next - from >= 2 && b[next - 2] == '\r') return 2;
        return lfEnds_ ? 1 : 0;
    }
    // One text per line from here on.
    void Materialise();
    void FreeText();
    void AppendForLoad(TBvText&& s);
    void QuickSort(int l, int r, const std::function<int(const TBvText&, const TBvText&)>& compare);

    // One text per line: slots 0..count_-1 hold lines; slots count_..capacity_-1 are always
    // all-zero (empty texts), which lets growth hand out fresh zero pages.
    TBvText* items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    bool bigArray_ = false;  // items_ is an mmap region rather than a malloc block
    TBvSource source_;

    // One text for all lines: its bytes, and count_ + 1 line starts in it.
    TBvText text_;
    uint64_t* starts_ = nullptr;
    size_t startsReserved_ = 0;
    bool startsBig_ = false;
    bool lfEnds_ = true;
};

#pragma once
// TBvStrings: the line store. An ordered, growable array of shared byte strings, one per line.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/BvEncoding.h"
#include "model/BvText.h"

class QIODevice;

// Called while a file loads, between the parts of it that arrive: the bytes read so far and the
// size the file reported (0 when it reports none). Returning false abandons the load, which then
// leaves the store empty, as for a file that cannot be read.
using TBvLoadProgress = std::function<bool(uint64_t done, uint64_t total)>;

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
    int Capacity() const { return capacity_; }

    // The encoding the text was read in, and the one it is held in. A file's load sets it; a text
    // given line by line is in the one set here (code page 932 at first).
    const TBvSource& Source() const { return source_; }
    TBvEncoding Encoding() const { return TBvEncoding::Holding(source_.charset); }
    void SetSource(const TBvSource& source) { source_ = source; }

    int Add(const TBvText& s);
    void Insert(int index, const TBvText& s);
    void Delete(int index);
    void Exchange(int index1, int index2);
    const TBvText& Get(int index) const
    {
        if (unsigned(index) >= unsigned(count_)) Error();
        return items_[index];
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
    void LoadFromFile(const std::string& name, const TBvLoadProgress& progress,
                      std::optional<TCharset> charset = std::nullopt);
    virtual void SaveToFile(const std::string& name) const;
    virtual void SaveToStream(QIODevice& stream) const;
    virtual void LoadFromStream(QIODevice& stream);
    virtual int IndexOf(const TBvText& s) const;

private:
    void AppendForLoad(TBvText&& s);
    // The lines of a file held transcoded to UTF-8, nextPart(to, n) giving its bytes a part at a
    // time (after the byte order mark) until it gives none; false when progress abandons it.
    bool LoadTranscoded(uint64_t size, const std::function<size_t(char*, size_t)>& nextPart,
                        const TBvLoadProgress& progress);
    void QuickSort(int l, int r, const std::function<int(const TBvText&, const TBvText&)>& compare);

    // Slots 0..count_-1 hold lines; slots count_..capacity_-1 are always all-zero (empty texts),
    // which lets growth hand out fresh zero pages instead of writing every new slot.
    TBvText* items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    bool bigArray_ = false;  // items_ is an mmap region rather than a malloc block
    TBvSource source_;
};

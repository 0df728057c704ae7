#pragma once
// The navigation history: the names of the files shown, newest first, and the entry shown now.
// Opening a file the ordinary way puts it at the head, dropping the entries newer than the one
// shown; Back, Forward and the Go menu move within it without changing it. It has no bound:
// only the ten newest entries have menu items, and Back may go past them.
#include <string>
#include <vector>

// Where the reader was in a file: the file line at the top of the view and the byte of it where
// the top display line starts, so that the place holds at any width and wrapping.
struct TPlace {
    int line = 0;
    int pos = 0;
    friend bool operator==(const TPlace&, const TPlace&) = default;
};

class THistory {
public:
    // Index 0 is the newest. Names are kept exactly as they were opened.
    const std::vector<std::string>& Entries() const { return entries_; }
    int Count() const { return int(entries_.size()); }
    // The entry shown now (HistoryIndex); -1 while the history is empty.
    int Index() const { return index_; }
    const std::string& Current() const { return entries_[size_t(index_)]; }

    // Puts name at the head as the current entry, after dropping the entries newer than the
    // current one. Returns false, changing nothing, when name is the current entry already.
    bool Add(const std::string& name);
    // Makes entry index the current one and returns false, changing nothing, when there is no
    // such entry.
    bool MoveTo(int index);

    // The place the reader left entry index at (the top for an entry never left); the current
    // entry's place is set as it is left.
    TPlace Place(int index) const { return index >= 0 && index < Count() ? places_[size_t(index)] : TPlace{}; }
    void SetPlace(TPlace place)
    {
        if (index_ >= 0) places_[size_t(index_)] = place;
    }

    bool CanGoBack() const { return index_ < Count() - 1; }
    bool CanGoForward() const { return index_ > 0; }

    // Whether two file names are the same: equal bytes, or equal without regard to letter case
    // (Unicode case folding) as the title shows them, each part decoded as UTF-8, else as code
    // page 932. A name holding bytes that are no character is the same only as its own bytes.
    static bool SameName(const std::string& a, const std::string& b);

private:
    std::vector<std::string> entries_;
    std::vector<TPlace> places_;  // one per entry
    int index_ = -1;
};

#pragma once
// The file the main window shows and the one it is loading, as one value. A load begins, and
// ends shown (the file is then the one shown), or failed or cancelled (all as it was before the
// load began).
#include <functional>
#include <optional>
#include <string>

class TCurrentFile {
public:
    // A file being loaded, and what its showing brings with it.
    struct TLoad {
        std::string name;  // "" for standard input
        bool addToHistory = false;
        int historyIndex = -1;        // a move within the history: the entry it goes to
        std::function<void()> after;  // run once the file is shown
        bool input = false;           // standard input, read to its end
    };

    // The full path of the file shown (bytes as the file system takes them), "" while none is.
    const std::string& Shown() const { return shown_; }
    // Whether the text shown is what standard input brought (it cannot be read again).
    bool ShownInput() const { return shownInput_; }
    // The load running, or null.
    const TLoad* Loading() const { return loading_ ? &*loading_ : nullptr; }

    void Begin(TLoad load) { loading_ = std::move(load); }
    // The load ended; each gives what it was.
    TLoad Show()
    {
        TLoad l = Take();
        shown_ = l.name;
        shownInput_ = l.input;
        return l;
    }
    TLoad Fail() { return Take(); }
    TLoad Cancel() { return Take(); }

private:
    TLoad Take()
    {
        TLoad l = std::move(*loading_);
        loading_.reset();
        return l;
    }

    std::string shown_;
    bool shownInput_ = false;
    std::optional<TLoad> loading_;
};

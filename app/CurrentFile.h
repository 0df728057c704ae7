#pragma once
// The file the main window shows and the one it is loading, as one value. A load begins, and
// ends shown (the file is then the one shown), failed (none is shown) or cancelled (all as it
// was before the load began).
#include <functional>
#include <optional>
#include <string>

class TCurrentFile {
public:
    // A file being loaded, and what its showing brings with it.
    struct TLoad {
        std::string name;
        bool addToHistory = false;
        int historyIndex = -1;        // a move within the history: the entry it goes to
        std::function<void()> after;  // run once the file is shown
    };

    // The full path of the file shown (bytes as the file system takes them), "" while none is.
    const std::string& Shown() const { return shown_; }
    // The load running, or null.
    const TLoad* Loading() const { return loading_ ? &*loading_ : nullptr; }

    void Begin(TLoad load) { loading_ = std::move(load); }
    // The load ended; each gives what it was.
    TLoad Show()
    {
        TLoad l = Take();
        shown_ = l.name;
        return l;
    }
    TLoad Fail()
    {
        shown_.clear();
        return Take();
    }
    TLoad Cancel() { return Take(); }

private:
    TLoad Take()
    {
        TLoad l = std::move(*loading_);
        loading_.reset();
        return l;
    }

    std::string shown_;
    std::optional<TLoad> loading_;
};

#pragma once
// The link to the mail client "電信八号": found by its main window, spoken to through a client
// conversation, stepped to its next or previous message. Never stored: every run starts
// unlinked.
#include <functional>
#include <memory>
#include <string>

class TDdeClientConv;

class TMailLink {
public:
    // Whether a top-level window of this class and (UTF-8) title exists.
    using TFindWindowFn = std::function<bool(const std::string& windowClass, const std::string& title)>;
    enum class TToggle {
        Unlinked,    // the link was open and is now closed
        NotRunning,  // the mail client's window is not there
        Linked,      // the conversation opened
        NotOpened,   // the window is there but the conversation did not open
    };

    static const std::string WindowClass, WindowTitle, Service, Topic, NextRequest, PrevRequest;

    // The session bus's conversation and the X display's windows (none on other platforms).
    TMailLink();
    TMailLink(std::unique_ptr<TDdeClientConv> conv, TFindWindowFn findWindow);
    ~TMailLink();
    TMailLink(TMailLink&&) noexcept;
    TMailLink& operator=(TMailLink&&) noexcept;

    bool Linked() const { return linked_; }
    TToggle Toggle();
    // One step request, only while linked; whether the peer still listens is not asked.
    void SendNext();
    void SendPrev();
    // Closes an open link without a word, as closing the main window does.
    void Close();

private:
    void Send(const std::string& request);

    std::unique_ptr<TDdeClientConv> conv_;
    TFindWindowFn findWindow_;
    bool linked_ = false;
};

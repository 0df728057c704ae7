#pragma once
// Loading a file's text into a line store: reading (a second thread reads large files), the
// stage where the bytes read become the bytes the text holds (where the encoding is decided and a
// text that must be transcoded is transcoded), and splitting into file lines as the bytes arrive.
// Work that follows the split line by line (the derivation of display lines) is handed each run
// of lines as soon as it is final.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "model/BvStrings.h"

// Why a load did not give the whole text. Cannot be opened: the store is empty. A read error:
// the lines before it are there. Cannot be held: the store is empty.
enum class TBvLoadFailure : uint8_t {
    None,
    NotFound,
    NoPermission,
    Folder,
    Device,        // anything else that is no regular file
    ReadError,     // reading failed part way; TBvLoadProgress::read says how much was read
    OutOfMemory,   // the file does not fit in the memory left
    TooManyLines,  // more lines than the store can hold
    LineTooLong,   // a line past the 2 GiB position limit
    Cancelled,
};

// Whether the load gave a text to show: the whole of it, an empty one for a file that cannot be
// opened, or the lines before a read error.
inline bool Shows(TBvLoadFailure f)
{
    return f != TBvLoadFailure::OutOfMemory && f != TBvLoadFailure::TooManyLines && f != TBvLoadFailure::LineTooLong &&
           f != TBvLoadFailure::Cancelled;
}

// What is to be loaded: a file by name, or an open descriptor (the load then owns it), read in
// the encoding given, or in the one its bytes show when none is. With streams, a pipe or a FIFO
// is read to its end (which may take any time) rather than refused as a device.
struct TBvLoadSource {
    std::string name;
    int fd = -1;
    std::optional<TCharset> charset;
    bool streams = false;
    TBvLoadSource(std::string n, std::optional<TCharset> c = std::nullopt) : name(std::move(n)), charset(c) {}
    TBvLoadSource(const char* n) : name(n) {}
    explicit TBvLoadSource(int descriptor) : fd(descriptor) {}
};

// How far a load has got, read from any thread while it runs.
struct TBvLoadProgress {
    std::atomic<uint64_t> total{0};  // the size the file reported (0: none)
    std::atomic<uint64_t> read{0};   // bytes read
    std::atomic<uint64_t> split{0};  // bytes split into lines
};

// Work that follows the split: told which lines are final, and given the split's idle time.
class TBvLineSink {
public:
    virtual ~TBvLineSink() = default;
    // Lines 0 .. lines - 1 of the store will not change (unless Restart follows).
    virtual void Published(int lines) = 0;
    // Every line published is void: the text is split again from its start. No call of the sink
    // is running when it comes, since every call comes from the splitting thread.
    virtual void Restart() = 0;
    // The split waits for bytes: a little of the sink's work runs here; false when it has none.
    virtual bool Help() = 0;
};

// Replaces the store's content by the lines of the source. stop, when given, is tested between
// parts: once set, the load ends with Cancelled and an empty store. Runs on the calling thread.
TBvLoadFailure TBvLoadFile(const TBvLoadSource& source, TBvStrings& store, const std::atomic<bool>* stop = nullptr,
                           TBvLoadProgress* progress = nullptr, TBvLineSink* sink = nullptr);

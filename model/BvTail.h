#pragma once
// The end of a text file followed as the file grows: the bytes appended to it are read and split
// into lines by the rule the text was split by, so that the lines shown are those a load of the
// whole file would give. The last line is read again with what follows it, since it may not have
// ended yet (a last line without its line end, or a CR whose LF is still to come).
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "model/BvStrings.h"

class TBvTail {
public:
    // The end of a text just loaded, held in the file's own bytes (one block, a line start per
    // line); none for a text held transcoded or one text per line, which is followed by reading
    // the whole file again.
    static std::optional<TBvTail> Of(const TBvStrings& store);

    struct TStep {
        enum TWhat { Nothing, Lines, Again } what = Nothing;
        // Lines: the store's last line is replaced by lines[0] (when replaceLast), and the rest
        // appended. Again: the text must be read again from its start (the file shrank, or its
        // first CR came, which changes how every line before it is split).
        bool replaceLast = false;
        std::vector<TBvText> lines;
    };
    // Reads what the file open at fd, now size bytes long, has gained: at most `most` new bytes
    // (the rest at the next call), so that a fast writer does not hold the caller up for long.
    TStep Read(int fd, uint64_t size, size_t most = size_t(64) << 20);
    // The file's bytes taken so far.
    uint64_t Held() const { return held_; }
    // The text ended at a 0x1A: nothing after it is shown.
    bool Ended() const { return ended_; }

private:
    TBvTail(uint64_t lastStart, uint64_t held, bool pending, bool lfEnds)
        : lastStart_(lastStart), held_(held), pending_(pending), lfEnds_(lfEnds)
    {
    }
    uint64_t lastStart_;  // where the store's last line starts (held_ when none is to be read again)
    uint64_t held_;
    bool pending_;  // the store's last line is read again, from lastStart_
    bool lfEnds_;   // LF ends a line (the text has no CR)
    bool ended_ = false;
};

#pragma once
// A file written in parts and followed: the first part loaded as the viewer loads it, each
// further part appended to the file and its lines taken by the tail (at most `most` new bytes a
// read); a step that asks for the text again loads the whole file. The lines that gives must be
// the ones FileLines gives for the whole file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "model/BvLoad.h"
#include "model/BvTail.h"

struct TFollowed {
    std::vector<std::string> lines;
    int agains = 0;  // whole loads after the first
    bool failed = false;
};

inline TFollowed FollowParts(const std::string& path, const std::vector<std::string>& parts, size_t most,
                             std::optional<TCharset> charset = TCharset::Cp932)
{
    TFollowed r;
    TBvStrings store;
    std::optional<TBvTail> tail;
    auto load = [&] {
        TBvLoadFile(TBvLoadSource(path, charset), store);
        r.lines.clear();
        for (int i = 0; i < store.Count(); ++i) r.lines.push_back(store.Get(i).str());
        tail = TBvTail::Of(store);
    };
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return r.failed = true, r;
        if (!parts.empty()) std::fwrite(parts[0].data(), 1, parts[0].size(), f);
        std::fclose(f);
    }
    load();
    for (size_t k = 1; k < parts.size(); ++k) {
        FILE* f = std::fopen(path.c_str(), "ab");
        if (!f) return r.failed = true, r;
        std::fwrite(parts[k].data(), 1, parts[k].size(), f);
        std::fclose(f);
        if (!tail) {  // followed by reading it whole
            load();
            ++r.agains;
            continue;
        }
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0) return r.failed = true, r;
        for (int guard = 0; guard < 1 << 20; ++guard) {
            const TBvTail::TStep step = tail->Read(fd, uint64_t(st.st_size), most);
            if (step.what == TBvTail::TStep::Again) {
                load();
                ++r.agains;
                break;
            }
            if (step.what == TBvTail::TStep::Nothing) break;
            size_t i = 0;
            if (step.replaceLast) {
                if (r.lines.empty() || step.lines.empty()) return close(fd), r.failed = true, r;
                r.lines.back() = step.lines[i++].str();
            }
            for (; i < step.lines.size(); ++i) r.lines.push_back(step.lines[i].str());
            if (tail->Held() >= uint64_t(st.st_size)) break;
        }
        close(fd);
    }
    return r;
}

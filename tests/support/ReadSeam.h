#pragma once
// Replaces the file read call for the life of the object: short reads, read errors, counting.
#include <unistd.h>

#include "platform/FileRead.h"

struct ReadSeam {
    explicit ReadSeam(platform::ReadCall call) { platform::FileReadCall = call; }
    ~ReadSeam()
    {
        platform::FileReadCall = [](int fd, void* b, size_t n) { return ::read(fd, b, n); };
    }
    ReadSeam(const ReadSeam&) = delete;
    ReadSeam& operator=(const ReadSeam&) = delete;
};

#pragma once
// Reading a whole file for shared reading: regular files only, into one buffer.
#include <cstddef>
#include <string>

namespace platform {

// A file's bytes in anonymous memory, released with Release().
struct FileBytes {
    char* data = nullptr;
    size_t size = 0;      // bytes read
    size_t mapped = 0;    // bytes of the mapping behind data (the file itself, or memory it was read into)
    static void Release(char* data, size_t mapped);
};

// Opens Name and reads it whole. A missing file, a directory, a FIFO, a device or any other
// non-regular file gives ok = false at once, without blocking. A read error ends the bytes at
// that point. Throws std::bad_alloc when the memory for the file cannot be had.
bool ReadWholeFile(const std::string& name, FileBytes& out);

}  // namespace platform

namespace platform {
// Whether name is a regular file this process can open for reading.
bool IsReadableRegularFile(const std::string& name);
}  // namespace platform

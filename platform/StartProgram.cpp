// QProcess::startDetached is not used here: Qt 6.4 hands each argument over as a QString, which
// turns the bytes of a file name that are not valid in the locale's encoding into U+FFFD, and
// the editor would be given another file's name. So the start is the classic double fork.
#include "platform/StartProgram.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Writes all of an int to the pipe; in the child only async-signal-safe calls may be made.
void Report(int fd, int error)
{
    const char* p = reinterpret_cast<const char*>(&error);
    size_t left = sizeof error;
    while (left > 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        p += w;
        left -= size_t(w);
    }
}

}  // namespace

std::string FindProgram(const std::string& name)
{
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return name;
    const char* env = std::getenv("PATH");
    const std::string_view path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(path.find(':', start), path.size());
        // An empty entry is the working directory.
        const std::string dir = end == start ? std::string(".") : std::string(path.substr(start, end - start));
        const std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        if (end == path.size()) return {};
        start = end + 1;
    }
}

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args)
{
    const std::string file = FindProgram(program);
    if (file.empty()) return false;

    // Everything the children use is made before forking.
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        // The middle process leaves the viewer's session and ends at once, so that the program
        // is nobody's child to reap; the program reports only a failed exec, through the pipe.
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execv(file.c_str(), argv.data());
            Report(fds[1], errno);
            ::_exit(127);
        }
        if (grandchild < 0) Report(fds[1], errno);
        ::_exit(0);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe reads empty once every writer has ended or exec'd: then the program runs.
    int error = 0;
    ssize_t got = 0;
    do got = ::read(fds[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(fds[0]);
    return got == 0;
}

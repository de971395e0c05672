#include "ScriptFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qp::vbs {

std::optional<std::string> ReadScriptFile(const std::string& path, std::string& error)
{
    // Without blocking: opening a pipe nobody writes to would wait for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    auto failed = [&](std::string why) {
        ::close(fd);
        error = std::move(why);
        return std::nullopt;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failed(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return failed("it is a folder");
    if (!S_ISREG(st.st_mode))
        return failed("it is not a regular file");
    const std::string tooBig = "it is larger than " + std::to_string(kMaxScriptBytes >> 20) + " MB, the most a script may be";
    if (st.st_size < 0 || size_t(st.st_size) > kMaxScriptBytes)
        return failed(tooBig);
    std::string bytes(size_t(st.st_size), '\0');
    size_t have = 0;
    // The file may grow while it is read: one byte past the limit is enough to refuse it.
    for (;;) {
        if (have == bytes.size())
            bytes.resize(std::min(kMaxScriptBytes + 1, bytes.size() + 4096));
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(std::strerror(errno));
        if (n == 0)
            break;
        have += size_t(n);
        if (have > kMaxScriptBytes)
            return failed(tooBig);
    }
    ::close(fd);
    bytes.resize(have);
    return bytes;
}

}  // namespace qp::vbs

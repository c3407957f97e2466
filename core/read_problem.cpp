// Why a file the user named cannot be read as a video, in words for a message.
#include "core/read_problem.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::core {

std::string VideoReadProblem(const std::string &path)
{
    // O_NONBLOCK: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::strerror(errno);
    struct stat info {};
    std::string problem;
    std::array<char, 12> head{};
    if (::fstat(fd, &info) != 0) {
        problem = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        problem = "it is not a regular file";
    } else if (info.st_size == 0) {
        problem = "the file is empty";
    } else {
        const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
        if (got < 0)
            problem = std::strerror(errno);
        else if (got == static_cast<ssize_t>(head.size()) && std::memcmp(head.data(), "RIFF", 4) == 0
                 && std::memcmp(head.data() + 8, "AVI ", 4) == 0)
            problem = "its AVI headers are damaged or hold no stream Camlog reads";
        else
            problem = "it is neither an AVI nor a DV file";
    }
    ::close(fd);
    return problem;
}

} // namespace camlog::core

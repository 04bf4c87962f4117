#include "cli/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace flyback::cli {
namespace {

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

std::string WriteWholeFile(const std::string& path, std::string_view text) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return std::strerror(errno);
    // mkstemp makes the file private; a plot is as readable as any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    const bool written = WriteAll(fd, text);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(name.data());
        return std::strerror(!written ? writeError : closeError);
    }
    if (std::rename(name.data(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(name.data());
        return std::strerror(renameError);
    }
    return {};
}

std::string ReadWholeFile(const std::string& path, std::size_t most, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return "not a regular file";
    }
    if (static_cast<std::size_t>(status.st_size) > most) {
        ::close(fd);
        return "larger than " + std::to_string(most / 1024 / 1024) + " MB";
    }
    text.assign(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t read = ::read(fd, text.data() + got, text.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) break;
        got += static_cast<std::size_t>(read);
    }
    ::close(fd);
    text.resize(got);
    return {};
}

}  // namespace flyback::cli

#include "catalogue/user_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace flyback::catalogue {
namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

UserFile Skipped(const std::string& why) {
    return {std::nullopt, why + "; skipped"};
}

UserFile Failed(const char* what, int error) {
    return Skipped(std::string(what) + ": " + std::strerror(error));
}

UserFile TooLarge(std::size_t limit) {
    constexpr std::size_t kMiB = std::size_t{1024} * 1024;
    return Skipped("is larger than " + (limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB"
                                                          : std::to_string(limit) + " bytes"));
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

UserFile ReadUserFile(const std::filesystem::path& path, std::size_t limit) {
    // Not blocking: opening a FIFO for reading would wait for a writer.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return {};
        return Failed("cannot open", errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return Failed("cannot read", errno);
    if (!S_ISREG(status.st_mode)) return Skipped(std::string("is ") + KindOf(status.st_mode));
    if (static_cast<unsigned long long>(status.st_size) > limit) {
        return TooLarge(limit);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Failed("cannot read", errno);
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        // The file may have grown since it was measured.
        if (text.size() > limit) return TooLarge(limit);
    }
    return {std::move(text), {}};
}

}  // namespace flyback::catalogue

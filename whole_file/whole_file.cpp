#include "whole_file/whole_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace flyback::whole_file {
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
    // Closes now, for a close whose error matters.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// The system's words for `error`, errno left at it for the caller that
// words it in its own language.
std::string Failed(int error) {
    errno = error;
    return std::strerror(error);
}

std::string Reason(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

std::string KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string TooLarge(std::size_t most) {
    constexpr std::size_t kMiB = std::size_t{1024} * 1024;
    return "is larger than " + (most % kMiB == 0 ? std::to_string(most / kMiB) + " MiB"
                                                 : std::to_string(most) + " bytes");
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at, named or not yet made; the
// path itself when it is no link. Nothing for a loop.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::vector<char> target(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (length < 0) return path;
        std::string next(target.data(), static_cast<std::size_t>(length));
        if (!next.starts_with('/')) next.insert(0, FolderOf(path) + '/');
        path = std::move(next);
    }
    return std::nullopt;
}

// A file in `folder` with no name yet: nothing is left behind if the writer
// is stopped before it is named. -1 where the file system cannot make one.
int UnnamedFile(const std::string& folder, mode_t mode) {
#ifdef O_TMPFILE
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
#else
    (void)folder;
    (void)mode;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// A short name beside the target, whatever the target's own length: a name
// of 255 bytes still has room for its temporary.
std::string TemporaryPattern(const std::string& folder) {
    return folder + "/.flyback-save-XXXXXX";
}

// The name the unnamed file was given (linked through /proc, which needs no
// privilege), or why it could not be named.
struct Temporary {
    std::string name;
    std::string problem;
};

Temporary NameUnnamed(int fd, const std::string& folder) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string pattern = TemporaryPattern(folder);
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        // mkstemp chooses a free name; the unnamed file takes it over.
        const int placeholder = ::mkstemp(name.data());
        if (placeholder < 0) return {{}, std::strerror(errno)};
        ::close(placeholder);
        ::unlink(name.data());
        const std::string proc = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.data(), AT_SYMLINK_FOLLOW) == 0)
            return {name.data(), {}};
        if (errno != EEXIST) return {{}, std::strerror(errno)};
    }
    return {{}, "no free temporary name"};
}

std::string Replace(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Failed(error);
    }
    return {};
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string WriteThroughNamedTemporary(const std::string& folder, const std::string& target,
                                       std::string_view text, mode_t mode) {
    std::string pattern = TemporaryPattern(folder);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    Descriptor fd(::mkstemp(name.data()));
    if (fd.get() < 0) return Failed(errno);
    ::fchmod(fd.get(), mode);
    const bool written = WriteAll(fd.get(), text);
    const int writeError = errno;
    const bool closed = fd.Close();
    if (!written || !closed) {
        ::unlink(name.data());
        return Failed(!written ? writeError : errno);
    }
    return Replace(name.data(), target);
}

}  // namespace

Read ReadRegularFile(const std::string& path, std::size_t most) {
    // Not blocking: opening a FIFO for reading would wait for a writer.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        return {std::nullopt, Reason("cannot open", error),
                error == ENOENT ? Why::Missing : Why::System};
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return {std::nullopt, Reason("cannot read", errno), Why::System};
    if (const std::string kind = KindOfMode(status.st_mode); !kind.empty())
        return {std::nullopt, "is " + kind, Why::NotRegularFile};
    if (static_cast<unsigned long long>(status.st_size) > most)
        return {std::nullopt, TooLarge(most), Why::TooLarge};
    std::string text;
    text.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {std::nullopt, Reason("cannot read", errno), Why::System};
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        // The file may have grown since it was measured.
        if (text.size() > most) return {std::nullopt, TooLarge(most), Why::TooLarge};
    }
    return {std::move(text), {}};
}

std::string KindOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    return KindOfMode(status.st_mode);
}

namespace {

std::string Write(const std::string& path, std::string_view text) {
    const std::optional<std::string> target = FollowLinks(path);
    if (!target) {
        return Failed(ELOOP);
    }
    mode_t mode = NewFileMode();
    struct stat status {};
    const bool exists = ::stat(target->c_str(), &status) == 0;
    if (exists) {
        if (const std::string kind = KindOfMode(status.st_mode); !kind.empty())
            return "is " + kind + ", not a regular file";
        // A file its owner made read-only is kept, as cp keeps it: renaming
        // over it needs only the folder's permission, not the file's.
        if (::access(target->c_str(), W_OK) != 0) return Failed(errno);
        mode = status.st_mode & 07777;
    }
    const std::string folder = FolderOf(*target);
    Descriptor fd(UnnamedFile(folder, mode));
    if (fd.get() < 0) return WriteThroughNamedTemporary(folder, *target, text, mode);
    // The mode given at creation is masked; a replaced file's is kept whole.
    ::fchmod(fd.get(), mode);
    // As root, a replaced file keeps its owner too; as anyone else this fails
    // harmlessly for a file of another's.
    if (exists) (void)!::fchown(fd.get(), status.st_uid, status.st_gid);
    if (!WriteAll(fd.get(), text) || ::fsync(fd.get()) != 0) return Failed(errno);
    const Temporary temporary = NameUnnamed(fd.get(), folder);
    // Without /proc the unnamed file cannot be named: a named temporary then.
    if (!temporary.problem.empty()) return WriteThroughNamedTemporary(folder, *target, text, mode);
    if (!fd.Close()) {
        const int error = errno;
        ::unlink(temporary.name.c_str());
        return Failed(error);
    }
    return Replace(temporary.name, *target);
}

}  // namespace

std::string WriteWholeFile(const std::string& path, std::string_view text) {
    return WriteWhole(path, text).problem;
}

Written WriteWhole(const std::string& path, std::string_view text) {
    errno = 0;
    std::string problem = Write(path, text);
    if (problem.empty()) return {};
    const Why why = problem.starts_with("is ") ? Why::NotRegularFile : Why::System;
    return {std::move(problem), why, why == Why::System ? errno : 0};
}

}  // namespace flyback::whole_file

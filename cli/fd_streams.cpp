#include "cli/fd_streams.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace flyback::cli {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

// Waits until `fd` is ready for `events`; false on a failure of poll itself.
bool WaitFor(int fd, short events) {
    pollfd ready{fd, events, 0};
    while (poll(&ready, 1, -1) < 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

FdInputBuffer::FdInputBuffer(int fd) : fd_(fd), buffer_(std::make_unique<char[]>(kBufferSize)) {
    setg(buffer_.get(), buffer_.get(), buffer_.get());
}

std::size_t FdInputBuffer::ReadSome(char* out, std::size_t count) {
    while (!ended_) {
        const ssize_t got = read(fd_, out, count);
        if (got > 0) return static_cast<std::size_t>(got);
        if (got == 0) break;
        if (errno == EINTR) continue;
        if (WouldBlock(errno) && WaitFor(fd_, POLLIN)) continue;
        error_ = errno;
        break;
    }
    ended_ = true;
    return 0;
}

FdInputBuffer::int_type FdInputBuffer::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    const std::size_t got = ReadSome(buffer_.get(), kBufferSize);
    setg(buffer_.get(), buffer_.get(), buffer_.get() + got);
    return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

// What can be read without waiting, as far as the system says; 0 when unknown.
std::streamsize FdInputBuffer::showmanyc() {
    int pending = 0;
    if (ended_ || ioctl(fd_, FIONREAD, &pending) != 0) return 0;
    return pending;
}

// Large reads go straight into the caller's memory.
std::streamsize FdInputBuffer::xsgetn(char* out, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        if (gptr() < egptr()) {
            const std::streamsize part = std::min<std::streamsize>(egptr() - gptr(), count - done);
            std::memcpy(out + done, gptr(), static_cast<std::size_t>(part));
            gbump(static_cast<int>(part));
            done += part;
        } else if (count - done >= static_cast<std::streamsize>(kBufferSize)) {
            const std::size_t got = ReadSome(out + done, static_cast<std::size_t>(count - done));
            if (got == 0) break;
            done += static_cast<std::streamsize>(got);
        } else if (traits_type::eq_int_type(underflow(), traits_type::eof())) {
            break;
        }
    }
    return done;
}

FdOutputBuffer::FdOutputBuffer(int fd) : fd_(fd), buffer_(std::make_unique<char[]>(kBufferSize)) {
    setp(buffer_.get(), buffer_.get() + kBufferSize);
}

FdOutputBuffer::~FdOutputBuffer() {
    Drain();
}

bool FdOutputBuffer::WriteAll(const char* data, std::size_t count) {
    while (count > 0 && error_ == 0) {
        const ssize_t put = write(fd_, data, count);
        if (put >= 0) {
            data += put;
            count -= static_cast<std::size_t>(put);
        } else if (errno != EINTR && !(WouldBlock(errno) && WaitFor(fd_, POLLOUT))) {
            error_ = errno;
        }
    }
    return error_ == 0;
}

bool FdOutputBuffer::Drain() {
    const bool written = WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.get(), buffer_.get() + kBufferSize);
    return written;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize FdOutputBuffer::xsputn(const char* data, std::streamsize count) {
    const auto size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), data, size);
        pbump(static_cast<int>(count));
        return count;
    }
    return Drain() && WriteAll(data, size) ? count : 0;
}

int FdOutputBuffer::sync() {
    return Drain() ? 0 : -1;
}

}  // namespace flyback::cli

#pragma once

#include <cstddef>
#include <memory>
#include <streambuf>

namespace flyback::cli {

// Stream buffers straight on a file descriptor. Unlike the C++ library's
// standard streams they wait (poll) on a descriptor that another program has
// made non-blocking, and they keep the first error instead of throwing it, so
// that the program can finish what it owes and then report exactly what failed.
class FdInputBuffer : public std::streambuf {
  public:
    explicit FdInputBuffer(int fd);
    // The errno of the read that failed, or 0. Input ends at a failure.
    int Error() const { return error_; }

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;
    std::streamsize xsgetn(char* out, std::streamsize count) override;

  private:
    // Reads at most `count` bytes, waiting for some; 0 at the end or on failure.
    std::size_t ReadSome(char* out, std::size_t count);

    int fd_;
    int error_ = 0;
    bool ended_ = false;
    std::unique_ptr<char[]> buffer_;
};

class FdOutputBuffer : public std::streambuf {
  public:
    explicit FdOutputBuffer(int fd);
    ~FdOutputBuffer() override;
    // The errno of the write that failed, or 0. Nothing is written after one.
    int Error() const { return error_; }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

  private:
    bool WriteAll(const char* data, std::size_t count);
    bool Drain();

    int fd_;
    int error_ = 0;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace flyback::cli

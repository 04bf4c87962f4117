#pragma once

#include <exception>
#include <string_view>

namespace flyback::runtime {

// The ways a calculation can fail. Every layer lets the error pass; only the
// program at the top decides how to tell the user.
enum class ErrorKind {
    DivisionByZero,
    Overflow,
    InvalidArgument,
    FloatingPoint,
};

// Stable identifier for scripts and JSON ("division_by_zero", ...).
std::string_view ErrorKindId(ErrorKind kind);

// Short Simplified Chinese message naming the error, as shown to the user.
std::string_view ErrorKindMessage(ErrorKind kind);

// Thrown by a calculation that cannot go on. It holds nothing but its kind, so
// that raising it allocates no message: a batch of faulting requests runs in
// constant memory.
class RuntimeError : public std::exception {
  public:
    explicit RuntimeError(ErrorKind kind) noexcept : kind_(kind) {}

    // The Chinese message, ErrorKindMessage(kind()).
    const char* what() const noexcept override;
    ErrorKind kind() const noexcept { return kind_; }
    std::string_view id() const { return ErrorKindId(kind_); }

  private:
    ErrorKind kind_;
};

}  // namespace flyback::runtime

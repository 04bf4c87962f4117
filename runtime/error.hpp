#pragma once

#include <stdexcept>
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

class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(ErrorKind kind);

    ErrorKind kind() const noexcept { return kind_; }
    std::string_view id() const { return ErrorKindId(kind_); }

  private:
    ErrorKind kind_;
};

}  // namespace flyback::runtime

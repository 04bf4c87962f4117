#include "runtime/error.hpp"

namespace flyback::runtime {

std::string_view ErrorKindId(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::DivisionByZero:
            return "division_by_zero";
        case ErrorKind::Overflow:
            return "overflow";
        case ErrorKind::InvalidArgument:
            return "invalid_argument";
        case ErrorKind::FloatingPoint:
            return "floating_point";
    }
    return "unknown";
}

std::string_view ErrorKindMessage(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::DivisionByZero:
            return "除数为零";
        case ErrorKind::Overflow:
            return "溢出";
        case ErrorKind::InvalidArgument:
            return "无效的过程调用或参数";
        case ErrorKind::FloatingPoint:
            return "浮点运算错误";
    }
    return "未知错误";
}

// The messages are string literals, so their views end in a NUL.
const char* RuntimeError::what() const noexcept {
    return ErrorKindMessage(kind_).data();
}

}  // namespace flyback::runtime

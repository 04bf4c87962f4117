#include "runtime/error.hpp"

#include <array>
#include <cstddef>

namespace flyback::runtime {

namespace {

struct ErrorKindInfo {
    std::string_view id;       // for scripts and JSON
    std::string_view message;  // shown to the user
};

// In the order of the enum.
constexpr std::array<ErrorKindInfo, 4> kErrorKinds{{
    {"division_by_zero", "除数为零"},
    {"overflow", "溢出"},
    {"invalid_argument", "无效的过程调用或参数"},
    {"floating_point", "浮点运算错误"},
}};

const ErrorKindInfo& Info(ErrorKind kind) {
    return kErrorKinds.at(static_cast<std::size_t>(kind));
}

}  // namespace

std::string_view ErrorKindId(ErrorKind kind) {
    return Info(kind).id;
}

std::string_view ErrorKindMessage(ErrorKind kind) {
    return Info(kind).message;
}

// The messages are string literals, so their views end in a NUL.
const char* RuntimeError::what() const noexcept {
    return ErrorKindMessage(kind_).data();
}

}  // namespace flyback::runtime

#include "runtime/arithmetic.hpp"

namespace flyback::runtime {

void Raise(ErrorKind kind) {
    throw RuntimeError(kind);
}

}  // namespace flyback::runtime

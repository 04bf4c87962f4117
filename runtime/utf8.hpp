#pragma once

#include <cstddef>
#include <string_view>

namespace flyback::runtime {

// The length of the UTF-8 sequence at the start of `text`, or 0 where it is
// not one (a stray byte, a cut sequence, an overlong form, a surrogate, or a
// code point beyond U+10FFFF). An empty text has none: 0.
std::size_t Utf8SequenceLength(std::string_view text);

}  // namespace flyback::runtime

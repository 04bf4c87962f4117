#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The buffers texts cross in between JavaScript and the engine, as UTF-8 bytes
// in the module's memory, kept from call to call.
namespace flyback::web {

// Up to thirty-two texts lie one after the other in the request buffer: the
// six inputs, then what a call takes besides (a date, a sweep), or the texts
// of the plan's options or of its choices (each call checks at build time that
// its texts fit). A text past them is empty.
inline constexpr std::size_t kMostTexts = 32;

std::string& Request();
// The last answer; JavaScript reads it from memory.
std::string& Answer();
std::array<std::size_t, kMostTexts>& TextSizes();

// Text `index` of the request buffer, as TextSizes lays them out.
std::string_view Text(std::size_t index);

// A request buffer larger than this is given back after its call, so that one
// huge request does not hold its memory for the rest of the page's life.
void ReleaseLargeRequest();

}  // namespace flyback::web

#pragma once

#include <string>
#include <string_view>

namespace flyback::cli {

// Writes `text` to `path` through a temporary file beside it, renamed over
// `path` only once all of it is written: an existing file is replaced whole
// or not touched. Empty when done, else the system's reason.
std::string WriteWholeFile(const std::string& path, std::string_view text);

// Reads the regular file at `path` into `text`, refusing one of more than
// `most` bytes before reading it. Empty when done, else why not.
std::string ReadWholeFile(const std::string& path, std::size_t most, std::string& text);

}  // namespace flyback::cli

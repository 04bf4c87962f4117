#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace flyback::catalogue {

// Larger than any catalogue a person keeps; a file beyond it is not read.
inline constexpr std::size_t kUserFileLimit = std::size_t{16} * 1024 * 1024;

// A user's catalogue file: its text, or why it was skipped (with the
// system's reason where there is one). A file that is not there is neither.
// Only a regular file is read, so a folder, a FIFO or a device in its place
// never blocks, fails or fills memory.
struct UserFile {
    std::optional<std::string> text;
    std::string problem;
};

UserFile ReadUserFile(const std::filesystem::path& path, std::size_t limit = kUserFileLimit);

}  // namespace flyback::catalogue

#pragma once

#include <optional>

namespace flyback::window {

// Answers --help and --version on standard output and returns the exit status;
// returns nothing when the window should open. Works without a display, so
// that both can be asked from any terminal. Other options are left to Qt
// (-platform, -style, ...).
std::optional<int> AnswerCommandLine(int argc, char** argv);

}  // namespace flyback::window

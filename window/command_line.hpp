#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace flyback::window {

// Answers --help and --version on standard output and returns the exit status;
// returns nothing when the window should open. Works without a display, so
// that both can be asked from any terminal. Other options are left to Qt
// (-platform, -style, ...).
std::optional<int> AnswerCommandLine(int argc, char** argv);

// The design file the window is asked to open, as every desktop program
// opens the file it is given: the first argument after the program's name
// that is not an option (or any after "--"), once Qt has taken its own.
std::optional<QString> DesignFileArgument(const QStringList& arguments);

}  // namespace flyback::window

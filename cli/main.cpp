#include <unistd.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "cli/fd_streams.hpp"

namespace {

int Report(const char* what, int error, int status) {
    std::cerr << "flyback-calc: " << what << ": " << std::strerror(error) << '\n';
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace flyback::cli;
    // A reader that goes away (`| head -1`) is a write error like any other:
    // reported with its status, not a silent death by signal.
    std::signal(SIGPIPE, SIG_IGN);
    FdInputBuffer input(STDIN_FILENO);
    FdOutputBuffer output(STDOUT_FILENO);
    std::istream in(&input);
    std::ostream out(&output);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunCommandLine(args, in, out, std::cerr);
    out.flush();
    // Every answer owed has been written (or could not be) before a read
    // failure is reported.
    if (output.Error() != 0) {
        return Report("cannot write to standard output", output.Error(), kExitWriteFailed);
    }
    if (input.Error() != 0) {
        return Report("cannot read standard input", input.Error(), kExitReadFailed);
    }
    return status;
}

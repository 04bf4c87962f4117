#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace flyback::cli {

// Exit statuses of flyback-calc.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCalculationFault = 1;
inline constexpr int kExitUsage = 2;        // also: a --jsonl line was not a request
inline constexpr int kExitWriteFailed = 3;  // standard output could not be written
inline constexpr int kExitReadFailed = 4;   // standard input could not be read

// Runs flyback-calc with `args` (without the program name).
int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

}  // namespace flyback::cli

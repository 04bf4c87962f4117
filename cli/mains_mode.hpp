#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace flyback::cli {

struct MainsOptions {
    std::vector<std::string> inputs;  // VACMIN VACMAX P EFFICIENCY_PCT
    std::string bulkMicrofarads;      // empty: propose one
    std::string lineHertz = "50";
    std::string conductionMilliseconds = "3";
    std::string holdupMilliseconds;  // empty: no hold-up rule
    bool json = false;
};

// flyback-calc --mains: the two DC input voltages from the mains, as a table
// (two decimals) or one JSON object. A bad number or an impossible
// combination is one line on `err` and the usage status.
int RunMains(const MainsOptions& options, std::ostream& out, std::ostream& err);

}  // namespace flyback::cli

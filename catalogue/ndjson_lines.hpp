#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

// The MAS data files, one JSON object a line, as the table generator reads
// them. Build time only.
namespace flyback::catalogue {

struct NdjsonLine {
    int number;  // from 1, as a source names it
    nlohmann::json json;
};

// Every line of `text` that holds an object; one that does not is named in
// `problems` as "file:line: not JSON", and empty lines are passed over.
std::vector<NdjsonLine> NdjsonLines(std::string_view text, std::string_view file,
                                    std::vector<std::string>& problems);

// A key's text, or empty where it is none.
std::string TextAt(const nlohmann::json& json, const char* key);

}  // namespace flyback::catalogue

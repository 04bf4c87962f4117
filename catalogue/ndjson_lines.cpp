#include "catalogue/ndjson_lines.hpp"

#include <algorithm>

namespace flyback::catalogue {

std::vector<NdjsonLine> NdjsonLines(std::string_view text, std::string_view file,
                                    std::vector<std::string>& problems) {
    std::vector<NdjsonLine> lines;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (line.empty()) continue;
        nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
        if (json.is_discarded() || !json.is_object())
            problems.push_back(std::string(file) + ":" + std::to_string(number) + ": not JSON");
        else
            lines.push_back({number, std::move(json)});
    }
    return lines;
}

std::string TextAt(const nlohmann::json& json, const char* key) {
    return json.is_object() && json.contains(key) && json[key].is_string()
               ? json[key].get<std::string>()
               : "";
}

}  // namespace flyback::catalogue

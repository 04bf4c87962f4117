#include "catalogue/names.hpp"

#include <algorithm>

namespace flyback::catalogue {
namespace {

bool NamesAPart(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string NameKey(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c == ' ' || c == '\t') continue;
        key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
}

std::string_view WithoutParenthesis(std::string_view name) {
    const std::size_t open = name.find(" (");
    return open == std::string_view::npos ? name : name.substr(0, open);
}

std::vector<std::string> CoreNameKeys(const Core& core) {
    const std::string_view name = core.name;
    std::vector<std::string> keys{NameKey(name)};
    const std::string_view shortName = WithoutParenthesis(name);
    if (shortName.size() != name.size()) {
        keys.push_back(NameKey(shortName));
        std::string_view inside = name.substr(shortName.size() + 2);
        if (inside.ends_with(')')) inside.remove_suffix(1);
        while (!inside.empty()) {
            const std::size_t comma = inside.find(',');
            const std::string_view part = inside.substr(0, comma);
            if (NamesAPart(part)) keys.push_back(NameKey(part));
            inside =
                comma == std::string_view::npos ? std::string_view{} : inside.substr(comma + 1);
        }
    }
    for (const std::string& alias : core.aliases) keys.push_back(NameKey(alias));
    keys.erase(std::remove(keys.begin(), keys.end(), std::string()), keys.end());
    return keys;
}

}  // namespace flyback::catalogue

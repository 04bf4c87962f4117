#include "catalogue/names.hpp"

#include <algorithm>

namespace flyback::catalogue {
namespace {

bool NamesAPart(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// How many letters must be inserted, removed or changed to turn one into the
// other (Levenshtein).
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
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

std::string CoreCaption(std::string_view name) {
    static constexpr std::string_view kCentreHole = "with centre hole", kPlanar = "planar";
    const std::string_view shortName = WithoutParenthesis(name);
    if (shortName.size() == name.size() || !name.ends_with(')')) return std::string(name);
    std::string inside(name.substr(shortName.size() + 2, name.size() - shortName.size() - 3));
    std::string worded;
    if (inside == "file") return std::string(shortName) + "（文件）";
    if (inside.starts_with(kPlanar)) {
        worded = "平面";
        inside.erase(0, kPlanar.size());
        if (inside.starts_with(", ")) inside.replace(0, 2, "，");
    }
    if (inside.ends_with(kCentreHole)) {
        inside.erase(inside.size() - kCentreHole.size());
        if (inside.ends_with(", ")) inside.replace(inside.size() - 2, 2, "，");
        inside += "带中心孔";
    } else if (worded.empty()) {
        return std::string(name);
    }
    return std::string(shortName) + "（" + worded + inside + "）";
}

std::string FamilyCaption(std::string_view family) {
    static constexpr std::string_view kPlanar = "planar ";
    if (family.starts_with(kPlanar)) return "平面 " + std::string(family.substr(kPlanar.size()));
    return std::string(family);
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

std::vector<std::string> NearestCoreNames(const Catalogue& catalogue, std::string_view name,
                                          std::size_t count) {
    const std::string key = NameKey(name.substr(0, 200));
    std::vector<std::pair<std::size_t, const Core*>> ranked;
    for (const Core& core : catalogue.cores) {
        std::size_t nearest = std::string::npos;
        for (const std::string& other : CoreNameKeys(core)) {
            nearest = std::min(nearest, EditDistance(key, other));
        }
        ranked.emplace_back(nearest, &core);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ranked.size() && i < count; ++i) {
        names.push_back(ranked[i].second->name);
    }
    return names;
}

}  // namespace flyback::catalogue

#pragma once

// What the page's calls share: the catalogue, the plan's options as the page
// last set them, and the pieces of their JSON answers.

#include <optional>
#include <string>
#include <vector>

#include "answer/answer_json.hpp"
#include "catalogue/catalogue.hpp"
#include "runtime/decimal_conversion.hpp"
#include "winding/options.hpp"

namespace flyback::web {

// The built-in catalogue, with the core and material an opened file gave in
// place (the page keeps that file and gives it again after a reload).
inline catalogue::Catalogue& SessionParts() {
    static catalogue::Catalogue parts = catalogue::BuiltIn();
    return parts;
}
inline const catalogue::Catalogue& Parts() {
    return SessionParts();
}

// Set by the page's option and choice boxes, read by every plan it asks for.
inline winding::Options& PlanOptions() {
    static winding::Options options;
    return options;
}

template <typename Items, typename Write>
std::string JsonArray(const Items& items, Write write) {
    std::string json = "[";
    for (const auto& item : items) {
        if (json.size() > 1) json += ',';
        write(item, json);
    }
    return json + "]";
}

inline std::string Texts(const std::vector<std::string>& texts) {
    return JsonArray(
        texts, [](const std::string& t, std::string& out) { answer::AppendJsonString(out, t); });
}

inline std::string Shortest(double value) {
    return runtime::decimal::ShortestText(value);
}

inline std::string ShownText(const winding::Options& o, winding::NumberOption option) {
    const std::optional<double> shown = winding::ShownValue(o, option);
    return shown ? Shortest(*shown) : "";
}

}  // namespace flyback::web

#include "catalogue/market_names.hpp"

#include <algorithm>

#include "catalogue/names.hpp"

namespace flyback::catalogue {

const std::vector<OtherMeaning>& OtherMeanings() {
    // The catalogue's alias EE25 is Norwe's bobbin name for the IEC E25/13/7
    // (data/SOURCES.md); below, the part the same name means from other
    // makers. No effective parameters are given for it: none was read from a
    // datasheet, so it is named, never designed on.
    static const std::vector<OtherMeaning> meanings{
        {"EE25", "EE25/19", "Chinese makers", "国内厂商",
         "Chinese worked examples and vendor designs built on an \"EE25\" of Ae about 40 mm² "
         "(the EE25/19), against 51.8 mm² for E25/13/7; no EE25/19 datasheet was read"},
    };
    return meanings;
}

std::optional<Ambiguity> AmbiguousName(const Catalogue& catalogue, std::string_view name) {
    const std::string key = NameKey(name);
    Ambiguity found;
    for (const OtherMeaning& meaning : OtherMeanings()) {
        if (NameKey(meaning.name) == key) found.elsewhere.push_back(meaning);
    }
    if (found.elsewhere.empty()) return std::nullopt;
    for (const Core& core : catalogue.cores) {
        if (NameKey(core.name) == key) return std::nullopt;
        const std::vector<std::string> keys = CoreNameKeys(core);
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            found.inCatalogue.push_back(core.name);
    }
    return found;
}

}  // namespace flyback::catalogue

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
        // TDK's EE13 (PC47EE13-Z) matches E 13/6/6.15 by its A, B and C, not
        // the E13/7/4 MAS's alias EE13/7/4 names; TDK's EE16 (16 × 7.15 mm)
        // is no MAS shape, not Norwe's E16/8/5 (data/mas/market_names.csv).
        {"EE13", "E13/6/6.15", "TDK", "TDK",
         "TDK PC47EE13-Z (A/B/C of a third-party table), E 13/6/6.15 within 0.0 %: "
         "catalogue/data/mas/market_names.csv",
         true},
        {"EE16", "EE16 (16 × 7.15 mm)", "TDK", "TDK",
         "TDK PC47EE16-Z (A/B of a third-party table; no MAS shape within 3 %): "
         "catalogue/data/mas/market_names.csv"},
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

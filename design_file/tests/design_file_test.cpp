#include "design_file/design_file.hpp"

#include <gtest/gtest.h>

#include "catalogue/typed_core.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>

namespace flyback::design_file {
namespace {

const catalogue::Catalogue& Parts() {
    static const catalogue::Catalogue parts = catalogue::BuiltIn();
    return parts;
}

winding::PlanOutcome PlanOf(const Design& d) {
    return winding::PlanWinding(record::RecordPress(numtext::ViewsOf(d.texts)), d.options, Parts());
}

std::string Saved(const Design& d) {
    const Written written = WriteDesignFile(d, PlanOf(d));
    EXPECT_EQ(written.error, "");
    return written.text;
}

Design Supply(std::array<std::string, 6> texts) {
    Design d;
    d.texts = std::move(texts);
    return d;
}

// Saved, opened and saved again: the same bytes, so the same texts, options,
// choices, pins and plan.
TEST(DesignFileTest, OpeningOurOwnFileRestoresTheDesignExactly) {
    std::vector<Design> designs = {Supply({"12", "375", "120", "65", "80", "12"}),
                                   Supply({"10", "373", "127", "100", "80", "5"}),
                                   Supply({"60", "373", "249", "100", "80", "24"})};
    Design rich = designs.back();
    rich.options.Vaux_V = 15;
    rich.options.order = winding::Order::PSP;
    rich.options.leakage = 0.015;
    rich.options.families = {"PQ", "ETD"};
    rich.options.insulation.grade = insulation::Grade::Basic;
    rich.options.insulation.mains_Vrms = 240;
    rich.options.choices.outputs = {{24, 2, 0.5}, {12, 0.5, 0.7, 0.02}};
    rich.options.choices.conduction = winding::Conduction::Ripple;
    rich.options.choices.KRP = 0.6;
    rich.options.choices.Vclamp_V = 150;
    rich.options.lpTolerance = 0.05;
    rich.options.ilimitTolerance = 0.1;
    rich.options.leakageFactor = 3;
    rich.options.hotLimit_C = 90;
    rich.pins = {2, 4, 8};
    designs.push_back(rich);
    Design stacked = rich;
    stacked.options.stack = true;
    designs.push_back(stacked);
    Design rated = designs.front();
    rated.options.choices.vorSource = winding::VorSource::SwitchRating;
    rated.options.choices.VdsRating_V = 800;
    rated.options.choices.clampRatio = 2;
    designs.push_back(rated);
    Design fixed = designs.front();
    fixed.texts[0] = " 12.0 ";  // kept as typed
    fixed.options.core = "EFD20/10/7";
    fixed.options.construction = winding::Construction::Tiw;
    fixed.options.choices.Np = 110;
    fixed.options.choices.Ns = 11;
    fixed.options.choices.Ilimit_A = 0.5;
    fixed.options.shield = winding::Shield::Winding;
    fixed.options.choices.Coss_F = 72e-12;
    designs.push_back(fixed);
    for (const Design& d : designs) {
        const std::string first = Saved(d);
        const Opened opened = ReadDesignFile(first, Parts());
        ASSERT_TRUE(opened.design) << opened.error;
        EXPECT_FALSE(opened.foreign);
        EXPECT_EQ(opened.design->texts, d.texts);
        EXPECT_EQ(opened.design->options.order, d.options.order);
        EXPECT_EQ(opened.design->pins.secondary, d.pins.secondary);
        EXPECT_EQ(opened.design->options.leakageFactor, d.options.leakageFactor);
        EXPECT_EQ(opened.design->options.choices.clampRatio, d.options.choices.clampRatio);
        EXPECT_EQ(opened.design->options.hotLimit_C, d.options.hotLimit_C);
        EXPECT_EQ(opened.design->options.shield, d.options.shield);
        EXPECT_EQ(opened.design->options.stack, d.options.stack);
        EXPECT_EQ(opened.design->options.choices.Coss_F, d.options.choices.Coss_F);
        const auto& outputs = d.options.choices.outputs;
        ASSERT_EQ(opened.design->options.choices.outputs.size(), outputs.size());
        for (std::size_t i = 0; i < outputs.size(); ++i)
            EXPECT_EQ(opened.design->options.choices.outputs[i].Imin_A, outputs[i].Imin_A) << i;
        EXPECT_EQ(Saved(*opened.design), first) << d.texts[0];
    }
}

// Each winding's conductor as the file hands it on, read back against the
// plan: round wire by its MAS name and parallels, litz and foil described in
// place with their sizes in metres.
TEST(DesignFileTest, EachWindingIsWrittenWithTheConductorThePlanWinds) {
    std::set<winding::Conductor> seen;
    for (const auto& texts :
         {std::array<std::string, 6>{"10", "374.77", "100.45", "65", "80", "5"},
          std::array<std::string, 6>{"60", "373", "249", "100", "80", "24"},
          std::array<std::string, 6>{"18", "374.77", "100.45", "65", "85", "12"}}) {
        const Design d = Supply(texts);
        const winding::PlanOutcome outcome = PlanOf(d);
        ASSERT_TRUE(outcome.plan);
        const nlohmann::json coil =
            nlohmann::json::parse(Saved(d))["magnetic"]["coil"]["functionalDescription"];
        std::vector<const winding::Winding*> wound;
        for (const winding::Winding& w : outcome.plan->windings) {
            if (w.half != 2) wound.push_back(&w);
        }
        ASSERT_EQ(coil.size(), wound.size());
        for (std::size_t i = 0; i < wound.size(); ++i) {
            const winding::Winding& w = *wound[i];
            const nlohmann::json& file = coil[i];
            seen.insert(w.conductor);
            switch (w.conductor) {
                case winding::Conductor::Round:
                    EXPECT_EQ(file["wire"], WireMasName(*w.wire));
                    EXPECT_EQ(file["numberParallels"], w.strands);
                    break;
                case winding::Conductor::Litz:
                    EXPECT_EQ(file["wire"]["numberConductors"], w.strands);
                    EXPECT_EQ(file["wire"]["strand"], WireMasName(*w.wire));
                    EXPECT_DOUBLE_EQ(file["wire"]["outerDiameter"]["nominal"], w.outer_mm * 1e-3);
                    break;
                case winding::Conductor::Foil:
                    EXPECT_EQ(file["wire"]["type"], "foil");
                    EXPECT_EQ(file["numberParallels"], 1);
                    EXPECT_DOUBLE_EQ(file["wire"]["conductingWidth"]["nominal"],
                                     w.foilThickness_mm * 1e-3);
                    EXPECT_DOUBLE_EQ(file["wire"]["conductingHeight"]["nominal"],
                                     w.foilWidth_mm * 1e-3);
                    break;
            }
        }
    }
    EXPECT_TRUE(seen.count(winding::Conductor::Foil));  // the supplies wind foil and wire
    EXPECT_TRUE(seen.count(winding::Conductor::Round));
}

// The currents another tool rebuilds the waveforms from: each ramps from its
// valley (the offset, above zero in continuous conduction) by its
// peak-to-peak to its peak, the secondary's valley the primary's share.
TEST(DesignFileTest, TheExcitationsAreThePlansWaveformsInEveryMode) {
    for (const char* krp : {"1", "0.6", "0.3"}) {
        Design d = Supply({"60", "373", "249", "100", "80", "24"});
        d.options.choices.conduction = winding::Conduction::Ripple;
        d.options.choices.KRP = std::stod(krp);
        const winding::PlanOutcome outcome = PlanOf(d);
        ASSERT_TRUE(outcome.plan);
        const winding::Plan& plan = *outcome.plan;
        const auto file = nlohmann::json::parse(Saved(d));
        const auto& windings = file["inputs"]["operatingPoints"][0]["excitationsPerWinding"];
        ASSERT_EQ(windings.size(), plan.windings.size());
        const double r = plan.Ivalley_A / plan.Ipk_A;
        for (std::size_t i = 0; i < windings.size(); ++i) {
            const auto& current = windings[i]["current"]["processed"];
            const double peak = *plan.windings[i].Ipeak_A;
            EXPECT_DOUBLE_EQ(current["peak"].get<double>(), peak) << krp << " " << i;
            EXPECT_NEAR(current["offset"].get<double>(), r * peak, 1e-12 * peak) << krp << " " << i;
            EXPECT_NEAR(current["peakToPeak"].get<double>(), (1 - r) * peak, 1e-12 * peak)
                << krp << " " << i;
        }
        EXPECT_EQ(windings[0]["current"]["processed"]["offset"].get<double>(), plan.Ivalley_A);
    }
}

// Another tool rebuilds the transformer from what the file hands on: the
// turns ratios are the plan's, primary over each winding in the coil's order,
// and each winding's voltage gives back the plan's flux swing, the on-time's
// volt-seconds per turn and the reset's alike, in every mode.
TEST(DesignFileTest, TheTurnsRatiosAndVoltagesGiveBackThePlan) {
    const auto withChoices = [](void (*choose)(winding::Choices&)) {
        Design d = Supply({"60", "373", "249", "100", "80", "24"});
        d.options.Vaux_V = 15;
        d.options.choices.biasI_A = 0.05;
        d.options.choices.outputs = {{24, 2, 0.5}, {12, 0.5, 0.7}};
        choose(d.options.choices);
        return d;
    };
    const Design designs[] = {
        withChoices([](winding::Choices&) {}),
        withChoices([](winding::Choices& c) {
            c.conduction = winding::Conduction::Ripple;
            c.KRP = 0.6;
        }),
        withChoices([](winding::Choices& c) {
            c.conduction = winding::Conduction::Inductance;
            c.Lp_H = 300e-6;
        }),
    };
    for (const Design& d : designs) {
        const winding::PlanOutcome outcome = PlanOf(d);
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        const winding::Plan& plan = *outcome.plan;
        const auto file = nlohmann::json::parse(Saved(d));
        const auto& ratios = file["inputs"]["designRequirements"]["turnsRatios"];
        const auto& windings = file["inputs"]["operatingPoints"][0]["excitationsPerWinding"];
        const double Ae = plan.core->Ae_mm2 * 1e-6, T = 1 / plan.f_Hz;
        std::size_t ratio = 0;
        for (const auto& excitation : windings) {
            const std::string name = excitation["name"];
            const auto found =
                std::find_if(plan.windings.begin(), plan.windings.end(), [&](const auto& w) {
                    return (name == "primary" && w.role == winding::Role::Primary) ||
                           (name == "bias" && w.role == winding::Role::Bias) ||
                           winding::WindingName(w) == name;
                });
            ASSERT_NE(found, plan.windings.end()) << name;
            const int turns = found->role == winding::Role::Primary ? plan.Np : found->turns;
            if (found->role != winding::Role::Primary) {
                ASSERT_LT(ratio, ratios.size());
                EXPECT_DOUBLE_EQ(ratios[ratio++]["nominal"].get<double>(),
                                 static_cast<double>(plan.Np) / turns)
                    << name;
            }
            const auto& voltage = excitation["voltage"]["processed"];
            const bool primary = found->role == winding::Role::Primary;
            const double on = primary ? voltage["positivePeak"].get<double>()
                                      : -voltage["negativePeak"].get<double>();
            const double off = primary ? -voltage["negativePeak"].get<double>()
                                       : voltage["positivePeak"].get<double>();
            EXPECT_NEAR(on * plan.atVmin.D * T / (turns * Ae), plan.deltaB_T, 1e-12 * plan.deltaB_T)
                << name;
            EXPECT_NEAR(off * plan.atVmin.D2 * T / (turns * Ae), plan.deltaB_T,
                        1e-12 * plan.deltaB_T)
                << name;
        }
        EXPECT_EQ(ratio, ratios.size());
    }
}

// A file saved before the tolerances, the leakage factor and the clamp ratio
// opens with their defaults.
TEST(DesignFileTest, AFileFromBeforeTheTolerancesOpensWithTheDefaults) {
    std::string text = Saved(Supply({"12", "375", "120", "65", "80", "12"}));
    for (const std::string key :
         {"\"lpTolerance\"", "\"ilimitTolerance\"", "\"leakageFactor\"", "\"clampRatio\""}) {
        const std::size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        const std::size_t end = text.find_first_of(",}", at);
        text.erase(at, end - at + (text[end] == ',' ? 1 : 0));
    }
    const Opened opened = ReadDesignFile(text, Parts());
    ASSERT_TRUE(opened.design) << opened.error;
    const winding::Options defaults;
    EXPECT_EQ(opened.design->options.lpTolerance, defaults.lpTolerance);
    EXPECT_EQ(opened.design->options.ilimitTolerance, defaults.ilimitTolerance);
    EXPECT_EQ(opened.design->options.leakageFactor, defaults.leakageFactor);
    EXPECT_EQ(opened.design->options.choices.clampRatio, defaults.choices.clampRatio);
}

// Each number of the choices' table is written under its key and read back
// from it (with its way taken), and a value the file leaves out where the
// plan has no default for it makes the file unreadable, not a quiet zero.
// The first object in the file that holds `key`.
nlohmann::json* BlockWith(nlohmann::json& node, const std::string& key) {
    if (node.is_object() && node.contains(key)) return &node;
    if (!node.is_structured()) return nullptr;
    for (auto& child : node) {
        if (nlohmann::json* found = BlockWith(child, key)) return found;
    }
    return nullptr;
}

// A saved design's file, and our block of options in it (or its insulation
// block), which each row of the options' tables is written to; the key must
// be there.
struct SavedOptions {
    nlohmann::json file;
    nlohmann::json& Options(std::string_view key,
                            winding::OptionBlock in = winding::OptionBlock::Plan) {
        nlohmann::json* block = BlockWith(file, "families");
        if (block != nullptr && in == winding::OptionBlock::Insulation)
            block = &(*block)["insulation"];
        if (block == nullptr || !block->contains(key))
            throw std::logic_error("no options block with " + std::string(key));
        return *block;
    }
};

TEST(DesignFileTest, EveryChoiceOfTheTableIsWrittenAndReadUnderItsKey) {
    const std::string saved = Saved(Supply({"12", "375", "120", "65", "80", "12"}));
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        SCOPED_TRACE(std::string(info.fileKey));
        nlohmann::json file = nlohmann::json::parse(saved);
        nlohmann::json* choices = BlockWith(file, "vorSource");
        ASSERT_NE(choices, nullptr);
        ASSERT_TRUE(choices->contains(info.fileKey));
        // The way's other numbers as a box first shows them, this one at its top.
        for (const winding::ChoiceNumberInfo& other : winding::kChoiceNumbers) {
            if (info.vorSource && other.vorSource == info.vorSource)
                (*choices)[std::string(other.fileKey)] = other.first / other.shownPerHeld;
        }
        const double held = info.high / info.shownPerHeld;
        (*choices)[std::string(info.fileKey)] = held;
        if (info.vorSource)
            (*choices)["vorSource"] =
                winding::kVorSources[static_cast<int>(*info.vorSource)].fileName;
        if (info.conduction) {
            (*choices)["conduction"] =
                winding::kConductions[static_cast<int>(*info.conduction)].fileName;
        }
        const Opened opened = ReadDesignFile(file.dump(), Parts());
        ASSERT_TRUE(opened.design) << opened.error;
        EXPECT_EQ(winding::HeldValue(opened.design->options.choices, info.choice), held);
        choices->erase(std::string(info.fileKey));
        const Opened without = ReadDesignFile(file.dump(), Parts());
        EXPECT_EQ(without.design.has_value(), info.isDefault || !info.none.empty());
    }
}

// Each number option of its table is written under its key and read back
// exactly at either end of its limits; a file from before the option was
// kept opens with its default.
TEST(DesignFileTest, EveryNumberOptionOfTheTableIsWrittenAndReadUnderItsKey) {
    const std::string text = Saved(Supply({"12", "375", "120", "65", "80", "12"}));
    const winding::Options defaults;
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        SCOPED_TRACE(std::string(info.fileKey));
        SavedOptions saved{nlohmann::json::parse(text)};
        nlohmann::json& file = saved.file;
        nlohmann::json& options = saved.Options(info.fileKey, info.block);
        // Basic and reinforced insulation's tables end at 600 V; functional
        // takes the mains to the row's top.
        if (info.option == winding::NumberOption::Mains) options["grade"] = "functional";
        for (const double shown : {info.low, info.high}) {
            const double held = shown / info.shownPerHeld;
            options[std::string(info.fileKey)] = held;
            const Opened opened = ReadDesignFile(file.dump(), Parts());
            ASSERT_TRUE(opened.design) << opened.error;
            EXPECT_EQ(winding::HeldValue(opened.design->options, info.option), held);
        }
        options.erase(std::string(info.fileKey));
        const Opened without = ReadDesignFile(file.dump(), Parts());
        ASSERT_TRUE(without.design) << without.error;
        EXPECT_EQ(winding::HeldValue(without.design->options, info.option),
                  winding::HeldValue(defaults, info.option));
    }
}

// Each list option of its table is written under its key by its value's
// name and read back at every place of its list; a name the list lacks is
// refused naming the key; a file from before the list was kept opens with
// its default.
TEST(DesignFileTest, EveryListOptionOfTheTableIsWrittenAndReadUnderItsKey) {
    const std::string text = Saved(Supply({"12", "375", "120", "65", "80", "12"}));
    const winding::Options defaults;
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        SCOPED_TRACE(std::string(info.fileKey));
        SavedOptions saved{nlohmann::json::parse(text)};
        nlohmann::json& file = saved.file;
        nlohmann::json& options = saved.Options(info.fileKey, info.block);
        // The option left unset is written as null, and read so.
        if (info.firstIsNone) {
            EXPECT_TRUE(options[std::string(info.fileKey)].is_null());
            EXPECT_EQ(
                winding::ListValue(ReadDesignFile(text, Parts()).design->options, info.option), 0);
        }
        for (std::size_t place = 0; place < info.names.size(); ++place) {
            options[std::string(info.fileKey)] = std::string(info.names[place]);
            const Opened opened = ReadDesignFile(file.dump(), Parts());
            if (!opened.design) continue;  // a build some lists cannot make (a split order)
            EXPECT_EQ(winding::ListValue(opened.design->options, info.option),
                      static_cast<int>(place));
        }
        options[std::string(info.fileKey)] = "sideways";
        const Opened unknown = ReadDesignFile(file.dump(), Parts());
        EXPECT_FALSE(unknown.design);
        EXPECT_NE(unknown.error.find(info.fileKey), std::string::npos) << unknown.error;
        options.erase(std::string(info.fileKey));
        const Opened without = ReadDesignFile(file.dump(), Parts());
        ASSERT_TRUE(without.design) << without.error;
        EXPECT_EQ(winding::ListValue(without.design->options, info.option),
                  winding::ListValue(defaults, info.option));
    }
}

TEST(DesignFileTest, WithoutAPlanThereIsNoFile) {
    const Design faulted = Supply({"60", "0", "249", "100", "80", "24"});
    const Written written = WriteDesignFile(faulted, PlanOf(faulted));
    EXPECT_EQ(written.text, "");
    EXPECT_NE(written.error.find("没有绕制方案"), std::string::npos);
}

// A hostile or damaged file is refused with one message naming what is wrong.
TEST(DesignFileTest, DamagedOrHostileFilesAreRefusedWithAReason) {
    const std::string good = Saved(Supply({"60", "373", "249", "100", "80", "24"}));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const struct {
        std::string bytes;
        const char* said;
    } cases[] = {
        {"", "不是 JSON"},
        {"not json", "不是 JSON"},
        {"{\"a\": NaN}", "不是 JSON"},
        {"{\"a\": 1e999}", "不是 JSON"},
        {std::string(200000, '[') + std::string(200000, ']'), "不是对象"},
        {std::string(kMostBytes + 1, ' '), "文件太大"},
        {"[]", "不是对象"},
        {"{}", "inputs：缺少"},
        {replaced("\"texts\": [", "\"texts\": 7, \"x\": ["), "flybackDesigner.texts：不是数组"},
        {replaced("\"bmax\": 0.3", "\"bmax\": \"0.3\""), "flybackDesigner.options.bmax：不是数"},
        {replaced("\"bmax\": 0.3", "\"bmax\": 99"), "Bmax"},
        {replaced("\"order\": \"P-S-B\"", "\"order\": \"S-P\""), "“S-P”不是可选的值"},
        {replaced("\"pins\": \"1,3,6\"", "\"pins\": \"a\""), "flybackDesigner.pins：不是引脚"},
        {replaced("\"texts\": [\n      \"60\"",
                  "\"texts\": [\n      \"" + std::string(numtext::kMaxInputText + 1, '6') + "\""),
         "flybackDesigner.texts[0]：超过输入框的长度上限"},
        {replaced("\"turns\": null", "\"turns\": {\"Np\": 0, \"Ns\": 9, \"Naux\": null}"),
         "初级匝数"},
        {replaced("\"turns\": null", "\"turns\": {\"Np\": 40, \"Ns\": 8, \"Naux\": 6}"),
         "辅助绕组的电压"},
        // A least load above the output's full one.
        {replaced("\"outputs\": [],",
                  "\"outputs\": [{\"V\": 24, \"I\": 2, \"VF\": 0.5, \"Imin\": 3}],"),
         "最小负载在 0 与满载电流之间"},
        {replaced("\"outputs\": [],",
                  "\"outputs\": [{\"V\": 24, \"I\": 2, \"VF\": 0.5, \"Imin\": \"x\"}],"),
         "Imin：不是数"},
    };
    for (const auto& c : cases) {
        const Opened opened = ReadDesignFile(c.bytes, Parts());
        EXPECT_FALSE(opened.design) << c.said;
        EXPECT_NE(opened.error.find(c.said), std::string::npos) << opened.error;
    }
}

// A two-winding flyback another tool wrote, on a catalogue core: analysed
// with its core, material, turns and inductance as fixed.
std::string Foreign(const std::string& shape, const std::string& material,
                    const std::string& wire) {
    return R"({
  "inputs": {
    "designRequirements": {
      "magnetizingInductance": {"nominal": 0.00045},
      "turnsRatios": [{"nominal": 5}],
      "topology": "flybackConverter"
    },
    "operatingPoints": [],
    "converterInformation": {"supportedTopologies": {"flyback": {
      "inputVoltage": {"minimum": 249, "maximum": 373},
      "diodeVoltageDrop": 0.5, "currentRippleRatio": 1, "efficiency": 0.8,
      "operatingPoints": [{"outputVoltages": [24], "outputCurrents": [2.5],
                           "switchingFrequency": 100000, "ambientTemperature": 25}]}}}
  },
  "magnetic": {
    "core": {"functionalDescription": {"type": "twoPieceSet", "material": ")" +
           material + R"(",
      "shape": ")" +
           shape + R"(", "gapping": []}},
    "coil": {"bobbin": "b", "functionalDescription": [
      {"name": "p", "numberTurns": 50, "numberParallels": 1, "isolationSide": "primary",
       "wire": ")" +
           wire + R"("},
      {"name": "s", "numberTurns": 10, "numberParallels": 4, "isolationSide": "secondary",
       "wire": "Round 0.475 - Grade 2"}]}
  },
  "outputs": []
})";
}

TEST(DesignFileTest, ATransformerMadeElsewhereIsAnalysedAsItIs) {
    const Opened opened =
        ReadDesignFile(Foreign("EFD 25/13/9", "N87", "Round 0.4 - Grade 1"), Parts());
    ASSERT_TRUE(opened.design) << opened.error;
    EXPECT_TRUE(opened.foreign);
    const Design& d = *opened.design;
    EXPECT_EQ(d.texts, (std::array<std::string, 6>{"60", "373", "249", "100", "80", "24"}));
    EXPECT_EQ(d.options.core, "EFD25/13/9");
    const winding::PlanOutcome outcome = PlanOf(d);
    ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
    EXPECT_EQ(outcome.plan->Np, 50);
    EXPECT_EQ(outcome.plan->Ns, 10);
    EXPECT_DOUBLE_EQ(outcome.plan->Lp_H, 0.00045);
    EXPECT_EQ(outcome.plan->core->name, "EFD25/13/9");
    EXPECT_FALSE(opened.notes.empty());  // the wire is the plan's own
}

// A transformer already has its gap: the inductance is the one the file's
// gap gives with its turns, and the plan grinds that gap again; a spacer on
// the outer legs adds to the centre's, residual gaps do not.
TEST(DesignFileTest, AFilesGapIsKeptAndItsInductanceFollows) {
    const struct {
        const char* gapping;
        double gap_mm;
    } cases[] = {
        {R"([{"type": "subtractive", "length": 0.0004}])", 0.4},
        {R"([{"type": "subtractive", "length": 0.0004}, {"type": "residual", "length": 1e-5},
             {"type": "residual", "length": 1e-5}])",
         0.4},
        {R"([{"type": "subtractive", "length": 0.0002}, {"type": "subtractive", "length": 0.0002},
             {"type": "subtractive", "length": 0.0002}])",
         0.4},
    };
    for (const auto& c : cases) {
        std::string text = Foreign("EFD 25/13/9", "N87", "Round 0.4 - Grade 1");
        const std::string none = R"("gapping": [])";
        text.replace(text.find(none), none.size(), std::string(R"("gapping": )") + c.gapping);
        const Opened opened = ReadDesignFile(text, Parts());
        ASSERT_TRUE(opened.design) << opened.error;
        const Design& d = *opened.design;
        const catalogue::Core& core = *Parts().FindCore("EFD25/13/9");
        EXPECT_DOUBLE_EQ(
            d.options.choices.Lp_H,
            winding::InductanceOfGap(core, *Parts().FindMaterial("N87"), 50, c.gap_mm));
        EXPECT_NE(d.options.choices.Lp_H, 0.00045);  // the file's requirement, only said
        const winding::PlanOutcome outcome = PlanOf(d);
        ASSERT_TRUE(outcome.plan);
        EXPECT_NEAR(outcome.plan->gap_mm, c.gap_mm, 1e-5) << c.gapping;
    }
}

TEST(DesignFileTest, AnUnknownPartIsNamedNeverGuessed) {
    const struct {
        std::string shape, material, wire;
        const char* said;
    } cases[] = {
        {"EFD 25/13/9", "N999", "Round 0.4 - Grade 1", "磁芯材料“N999”不在目录中"},
        {"XYZ 1", "N87", "Round 0.4 - Grade 1", "磁芯形状“XYZ 1”不在目录中"},
    };
    for (const auto& c : cases) {
        const Opened opened = ReadDesignFile(Foreign(c.shape, c.material, c.wire), Parts());
        EXPECT_FALSE(opened.design);
        EXPECT_NE(opened.error.find(c.said), std::string::npos) << opened.error;
    }
    // The plan winds its own wire: one the catalogue lacks is said, not refused.
    const Opened litz = ReadDesignFile(Foreign("EFD 25/13/9", "N87", "Litz 7x0.1"), Parts());
    ASSERT_TRUE(litz.design) << litz.error;
    EXPECT_NE(
        std::find(litz.notes.begin(), litz.notes.end(), "文件中的导线“Litz 7x0.1”不在目录中。"),
        litz.notes.end());
}

// Every core and wire of the catalogue that has a MAS name finds itself by it,
// and no two share one.
TEST(DesignFileTest, MasNamesMapTheCatalogueBothWays) {
    std::set<std::string> names;
    int cores = 0;
    for (const catalogue::Core& core : Parts().cores) {
        const std::string name = CoreMasName(core);
        if (name.empty()) continue;
        ++cores;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(CoreByMasName(Parts(), name), &core) << name;
    }
    // Every built-in core but the ER 40 MAS gives a second shape of that name.
    EXPECT_EQ(cores, static_cast<int>(Parts().cores.size()) - 1);
    names.clear();
    for (const catalogue::Wire& wire : Parts().wires) {
        const std::string name = WireMasName(wire);
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(WireByMasName(Parts(), name), &wire) << name;
    }
    EXPECT_EQ(WireMasName(*Parts().FindWire("0.4 mm")), "Round 0.4 - Grade 1");
}

// Triple-insulated wire by its MAS name, the maker's code after "Round ", and
// by the code alone as files written before named it.
TEST(DesignFileTest, TripleInsulatedWireIsNamedAsMasNamesIt) {
    const struct {
        std::string name;
        bool found;
    } cases[] = {{"Round TCA3 23 AWG", true},  {"TCA3 23 AWG", true},
                 {"Round T28A01TXXX-1", true}, {"T28A01TXXX-1", true},
                 {"Round TCA3 99 AWG", false}, {"Round Round TCA3 23 AWG", false}};
    for (const auto& c : cases) {
        const catalogue::Wire* wire = WireByMasName(Parts(), c.name);
        EXPECT_EQ(wire != nullptr, c.found) << c.name;
        if (wire) {
            EXPECT_EQ(wire->kind, catalogue::WireKind::TripleInsulated) << c.name;
        }
    }
}

}  // namespace
}  // namespace flyback::design_file

namespace flyback::design_file {
namespace {

// A core typed by its letters is written by them (MAS's custom shape with
// its dimensions) and opened on the same core, whichever family it is.
TEST(DesignFileTest, ACoreTypedByItsLettersIsKeptByThem) {
    for (const char* typedName :
         {"E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3", "ETD A=29.8 B=15.8 C=9.5 D=11 E=22.7 F=9.5",
          "PQ A=20.5 B=8.1 C=14 D=5.15 E=18 F=8.8 G=12"}) {
        const auto shape = core_geometry::ReadTypedShape(typedName);
        ASSERT_TRUE(shape) << typedName;
        catalogue::Catalogue parts = Parts();
        parts.cores.push_back(std::get<catalogue::Core>(catalogue::TypedCore(*shape)));
        Design d = Supply({"12", "375", "120", "65", "80", "12"});
        d.options.core = typedName;
        const auto planned =
            winding::PlanWinding(record::RecordPress(numtext::ViewsOf(d.texts)), d.options, parts);
        const Written written = WriteDesignFile(d, planned);
        ASSERT_EQ(written.error, "") << typedName;
        const auto file = nlohmann::json::parse(written.text);
        const auto& fileShape = file["magnetic"]["core"]["functionalDescription"]["shape"];
        EXPECT_EQ(fileShape["name"], typedName);
        EXPECT_EQ(fileShape["type"], "custom");
        EXPECT_EQ(fileShape["dimensions"]["A"]["nominal"], shape->letters.at("A") * 1e-3);
        const Opened opened = ReadDesignFile(written.text, Parts());
        ASSERT_TRUE(opened.design) << opened.error;
        EXPECT_EQ(opened.design->options.core, typedName);
        ASSERT_EQ(opened.cores.size(), 1u);
        EXPECT_EQ(opened.cores[0].Ae_mm2, planned.plan->core->Ae_mm2);
        EXPECT_EQ(opened.cores[0].Amin_mm2, planned.plan->core->Amin_mm2);
    }
}

}  // namespace
}  // namespace flyback::design_file

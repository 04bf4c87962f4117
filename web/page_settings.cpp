// The plan's options and choices as the page's boxes hold them (see
// page_settings.hpp).
#include "page_settings.hpp"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "catalogue/typed_core.hpp"
#include "engine_buffers.hpp"
#include "page_state.hpp"
#include "record/design_record.hpp"
#include "runtime/number_text.hpp"
#include "winding/physics.hpp"

namespace {

using flyback::answer::JsonObject;
using flyback::web::Answer;
using flyback::web::Parts;
using flyback::web::PlanOptions;
using flyback::web::Shortest;
using flyback::web::Text;
using flyback::web::Texts;
namespace winding = flyback::winding;

}  // namespace

extern "C" {

namespace {

// The options' texts in order (engine_api.js names them alike): the core,
// the families, the material and the stacking, then each list option by its
// place, one a row of its table, then each number option, one a row of its.
enum OptionText : int {
    kCoreText,
    kFamiliesText,
    kMaterialText,
    kStackText,
    kFirstListText,
};

int ListText(winding::ListOption option) {
    return kFirstListText + static_cast<int>(option);
}

// Every option's text within the request: one past the buffer would read as
// empty, its option silently left at its default.
static_assert(kFirstListText + std::size(winding::kListOptions) +
                  std::size(winding::kNumberOptions) <=
              flyback::web::kMostTexts);

int OptionNumberText(winding::NumberOption option) {
    return kFirstListText + static_cast<int>(std::size(winding::kListOptions)) +
           static_cast<int>(option);
}

// Each list by its place (empty: the default); the text of one that is not
// a place of its list, or -1.
int ReadLists(winding::Options& o) {
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        const std::string_view text = Text(ListText(info.option));
        if (text.empty()) continue;
        const auto place = flyback::runtime::ReadWholeNumber(text);
        if (!place || !winding::SetListValue(o, info.option, *place)) return ListText(info.option);
    }
    return -1;
}

// The text the insulation's problem is in, or -1.
int InsulationText(const winding::Insulation& i) {
    using Problem = flyback::insulation::ConditionProblem;
    switch (winding::CheckInsulation(i)) {
        case Problem::None:
            return -1;
        case Problem::Mains:
        case Problem::MainsBeyondTables:
            return OptionNumberText(winding::NumberOption::Mains);
        case Problem::Overvoltage:
            return ListText(winding::ListOption::Overvoltage);
        case Problem::Pollution:
            return OptionNumberText(winding::NumberOption::Pollution);
        case Problem::Group:
            return ListText(winding::ListOption::MaterialGroup);
        case Problem::Altitude:
            return OptionNumberText(winding::NumberOption::Altitude);
    }
    return -1;
}

}  // namespace

// The plan's options from their texts (OptionText's order): core, families
// (comma-separated), material, "1" to stack the outputs, then each list by
// its place and each number option as its box shows it, an empty box its
// default (for Vaux none, for the leakage the build's). The answer:
// {"problem": what is wrong, in Chinese, or "", "box": the text it is in,
// or -1}.
EMSCRIPTEN_KEEPALIVE void flyback_set_plan_options() {
    winding::Options o;
    o.core = std::string(Text(kCoreText));
    std::string families(Text(kFamiliesText));
    for (std::size_t start = 0; start <= families.size();) {
        const std::size_t comma = std::min(families.find(',', start), families.size());
        if (comma > start) o.families.push_back(families.substr(start, comma - start));
        start = comma + 1;
    }
    if (!Text(kMaterialText).empty()) o.material = std::string(Text(kMaterialText));
    winding::OptionProblem problem;
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        if (!problem)
            problem =
                winding::ReadNumberOption(o, info.option, Text(OptionNumberText(info.option)));
    }
    o.stack = Text(kStackText) == "1";
    // A core typed by its letters is kept by its name and made again.
    flyback::catalogue::AddTypedCore(flyback::web::SessionParts(), o.core);
    if (!problem) problem = winding::CheckOptions(o, Parts());
    int box = -1;  // the text the problem is in
    using Kind = winding::OptionProblem::Kind;
    if (problem.kind == Kind::UnknownCore || problem.kind == Kind::AmbiguousCore) box = kCoreText;
    if (problem.kind == Kind::UnknownFamily) box = kFamiliesText;
    if (problem.kind == Kind::UnknownMaterial) box = kMaterialText;
    if (problem.kind == Kind::NotANumber || problem.kind == Kind::OutOfRange)
        box = OptionNumberText(problem.option);
    std::string said = winding::OptionProblemCaption(problem);
    if (!problem) {
        if (const int list = ReadLists(o); list >= 0) {
            box = list;
            said = "不是可选的值。";
        } else if (const int insulation = InsulationText(o.insulation); insulation >= 0) {
            box = insulation;
            said = winding::InsulationProblem(o.insulation);
        }
    }
    Answer().clear();
    JsonObject(Answer()).Text("problem", said).Value("box", box);
    if (problem || box >= 0) return;
    o.choices = PlanOptions().choices;  // set apart, by flyback_set_plan_choices
    PlanOptions() = o;
}

namespace {

// The texts of the choices, in order: the outputs ("V:I:VF" each, ';'
// between), the Vor source and the conduction (their indices), the turns
// ("NP:NS[:NAUX]", empty: chosen), then each number of the choices' table in
// its row's order, as shown (Lp in µH); an empty number keeps the plan's own
// or default. A way's numbers are read only while it is taken, as a hidden
// box cannot be mended. What is wrong: the text's number, or -1.
enum ChoiceText { kOutputsText, kVorSourceText, kConductionText, kTurnsText, kFirstNumberText };

static_assert(kFirstNumberText + std::size(winding::kChoiceNumbers) <= flyback::web::kMostTexts);

int NumberText(winding::ChoiceNumber choice) {
    return kFirstNumberText + static_cast<int>(choice);
}

// The text a problem of the whole set lies in.
int ProblemText(const winding::ChoiceProblem& problem) {
    using Kind = winding::ChoiceProblem::Kind;
    using winding::ChoiceNumber;
    switch (problem.kind) {
        case Kind::None:
            return -1;
        case Kind::Output:
        case Kind::Outputs:
            return kOutputsText;
        case Kind::Turns:
        case Kind::TurnsAndVor:
            return kTurnsText;
        case Kind::Bias:
            return NumberText(ChoiceNumber::BiasCurrent);
        case Kind::Vor:
            return NumberText(ChoiceNumber::Vor);
        case Kind::Rating:
            return NumberText(ChoiceNumber::VdsRating);
        case Kind::Duty:
            return NumberText(ChoiceNumber::Dmax);
        case Kind::Ripple:
            return NumberText(ChoiceNumber::Krp);
        case Kind::Inductance:
            return NumberText(ChoiceNumber::Lp);
        case Kind::Clamp:
            return NumberText(ChoiceNumber::Clamp);
        case Kind::CurrentLimit:
            return NumberText(ChoiceNumber::Ilimit);
        case Kind::Resonance:
            return NumberText(ChoiceNumber::Cds);
        case Kind::Margin:
            return NumberText(ChoiceNumber::SaturationMargin);
        case Kind::OnTime:
            return NumberText(ChoiceNumber::MinimumOnTime);
        case Kind::Bounds:
            return NumberText(problem.number);
    }
    return -1;
}

// The index a list's text names, below `count` (empty: the first); -1 when
// it names none.
int WayIndex(std::string_view text, std::size_t count) {
    if (text.empty()) return 0;
    const std::optional<double> number = flyback::runtime::ReadWholeNumber(text);
    if (!number || !(*number >= 0 && *number < static_cast<double>(count)) ||
        *number != static_cast<int>(*number))
        return -1;
    return static_cast<int>(*number);
}

// The outputs' rows ("V:I:VF" each, ';' between them); false where a row
// is not one.
bool ReadOutputs(std::string_view outputs, std::vector<winding::OutputLoad>& rows) {
    while (!outputs.empty()) {
        const std::size_t end = std::min(outputs.find(';'), outputs.size());
        const std::string_view row = outputs.substr(0, end);
        if (!row.empty()) {
            const auto load = winding::ReadOutputLoad(row, winding::physics::kRectifierDrop);
            if (!load) return false;
            rows.push_back(*load);
        }
        outputs.remove_prefix(std::min(end + 1, outputs.size()));
    }
    return true;
}

int ReadChoices(winding::Choices& c) {
    if (!ReadOutputs(Text(kOutputsText), c.outputs)) return kOutputsText;
    const int source = WayIndex(Text(kVorSourceText), std::size(winding::kVorSources));
    const int mode = WayIndex(Text(kConductionText), std::size(winding::kConductions));
    if (source < 0) return kVorSourceText;
    if (mode < 0) return kConductionText;
    c.vorSource = static_cast<winding::VorSource>(source);
    c.conduction = static_cast<winding::Conduction>(mode);
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        const std::string_view text = Text(NumberText(info.choice));
        if (text.empty() || !winding::WayTaken(info, c)) continue;
        const std::optional<double> shown = flyback::runtime::ReadWholeNumber(text);
        if (!shown) return NumberText(info.choice);
        winding::SetHeldValue(c, info.choice, *shown / info.shownPerHeld);
    }
    if (!Text(kTurnsText).empty() && !winding::ReadTurns(Text(kTurnsText), c)) return kTurnsText;
    return ProblemText(winding::CheckChoices(c));
}

}  // namespace

// The row 添加输出 adds, from the last press's six texts (texts 0 to 5) and
// the rows there are (text 6, as ReadChoices reads them): {"row": its four
// texts, the least load empty}.
EMSCRIPTEN_KEEPALIVE void flyback_new_output() {
    flyback::numtext::InputTexts inputs;
    for (std::size_t i = 0; i < inputs.size(); ++i) inputs[i] = Text(i);
    const flyback::record::DesignRecord press = flyback::record::RecordPress(inputs);
    std::vector<winding::OutputLoad> rows;
    ReadOutputs(Text(6), rows);
    using flyback::numtext::Input;
    const winding::OutputLoad row =
        winding::NewOutput(rows, press.inputValues[static_cast<std::size_t>(Input::Power)],
                           press.inputValues[static_cast<std::size_t>(Input::OutputVoltage)]);
    Answer().clear();
    JsonObject(Answer()).Raw("row",
                             Texts({Shortest(row.V), Shortest(row.I_A), Shortest(row.VF_V), ""}));
}

// The plan's design choices from their texts (see ReadChoices): {"problem":
// what is wrong, in Chinese, or "", "box": the text it is in, or -1}. Taken
// only when right.
EMSCRIPTEN_KEEPALIVE void flyback_set_plan_choices() {
    winding::Choices c;
    const int box = ReadChoices(c);
    std::string problem;
    if (box >= 0) {
        const winding::ChoiceProblem checked = winding::CheckChoices(c);
        problem = checked ? winding::ChoiceProblemCaption(checked)
                  : box == kOutputsText ? "输出须为 电压:电流 或 电压:电流:压降，以分号分隔。"
                  : box == kTurnsText ? "指定匝数须为 Np:Ns 或 Np:Ns:Naux，各为整数。"
                                      : "不是一个数。";
    }
    Answer().clear();
    JsonObject(Answer()).Text("problem", problem).Value("box", box);
    if (box < 0) PlanOptions().choices = c;
}

}  // extern "C"

namespace flyback::web {
namespace {

template <std::size_t N>
std::string WayCaptions(const winding::WayInfo (&ways)[N]) {
    std::vector<std::string> captions;
    captions.reserve(N);
    for (const winding::WayInfo& way : ways) captions.emplace_back(way.caption);
    return Texts(captions);
}

}  // namespace

std::string VorSourceCaptions() {
    return WayCaptions(winding::kVorSources);
}

std::string ConductionCaptions() {
    return WayCaptions(winding::kConductions);
}

// The plan's options as the page keeps its option boxes (see page_plan.js).
std::string OptionStore(const winding::Options& o) {
    std::string json;
    {
        JsonObject object(json);
        object.Text("core", o.core)
            .Raw("families", Texts(o.families))
            .Text("material", o.material)
            .Text("stack", o.stack ? "1" : "0")
            .Value("version", 3);
        // The lists by their places and the numbers as their boxes show
        // them, each by its page key.
        for (const winding::ListOptionInfo& info : winding::kListOptions)
            object.Text(info.pageKey, std::to_string(winding::ListValue(o, info.option)));
        for (const winding::NumberOptionInfo& info : winding::kNumberOptions)
            object.Text(info.pageKey, ShownText(o, info.option));
    }
    return json;
}

// The choices as the page keeps its choice boxes (see page_choices.js): each
// by its kept name, as shown; a way's numbers where it is taken, its row's
// first value where not; those the plan is left to make empty.
std::string ChoiceStore(const winding::Choices& c) {
    const std::string outputs =
        JsonArray(c.outputs, [](const winding::OutputLoad& o, std::string& out) {
            out += Texts({Shortest(o.V), Shortest(o.I_A), Shortest(o.VF_V),
                          o.Imin_A ? Shortest(*o.Imin_A) : std::string()});
        });
    std::string turns;
    if (c.FixedTurns()) {
        turns = std::to_string(c.Np) + ":" + std::to_string(c.Ns);
        if (c.Naux) turns += ":" + std::to_string(*c.Naux);
    }
    std::string json;
    JsonObject store(json);
    store.Bool("on", c.Any())
        .Raw("outputs", outputs)
        .Text("vorSource", std::to_string(static_cast<int>(c.vorSource)))
        .Text("conduction", std::to_string(static_cast<int>(c.conduction)))
        .Text("turns", turns);
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        const std::optional<double> held = winding::HeldValue(c, info.choice);
        const bool taken = winding::WayTaken(info, c);
        store.Text(info.keptKey, !held   ? ""
                                 : taken ? Shortest(*held * info.shownPerHeld)
                                         : Shortest(info.first));
    }
    return json;
}

// The choices' table as the page builds its boxes from it.
std::string ChoiceNumbersJson() {
    std::string json = "[";
    for (const winding::ChoiceNumberInfo& info : winding::kChoiceNumbers) {
        if (json.size() > 1) json += ',';
        JsonObject(json)
            .Text("key", info.keptKey)
            .Text("caption", info.caption)
            .Text("unit", info.unit)
            .Text("first", Shortest(info.first))
            .Text("none", info.none)
            .Value("vorSource", info.vorSource
                                    ? std::optional<double>(static_cast<int>(*info.vorSource))
                                    : std::nullopt)
            .Value("conduction", info.conduction
                                     ? std::optional<double>(static_cast<int>(*info.conduction))
                                     : std::nullopt);
    }
    return json + "]";
}

std::string NumberOptionsJson() {
    const winding::Options defaults;
    std::string json = "[";
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        if (json.size() > 1) json += ',';
        JsonObject(json)
            .Text("key", info.pageKey)
            .Text("caption", info.caption)
            .Text("unit", info.unit)
            .Text("first", ShownText(defaults, info.option))
            .Text("none", info.none)
            .Bool("insulation", info.block == winding::OptionBlock::Insulation);
    }
    return json + "]";
}

std::string ListOptionsJson() {
    const winding::Options defaults;
    std::string json = "[";
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        std::vector<std::string> captions, places;
        for (const int place : winding::ShownPlaces(info)) {
            captions.emplace_back(info.captions[static_cast<std::size_t>(place)]);
            places.push_back(std::to_string(place));
        }
        if (json.size() > 1) json += ',';
        JsonObject(json)
            .Text("key", info.pageKey)
            .Text("caption", info.caption)
            .Raw("captions", Texts(captions))
            .Raw("places", Texts(places))
            .Text("first", std::to_string(winding::ListValue(defaults, info.option)))
            .Bool("insulation", info.block == winding::OptionBlock::Insulation);
    }
    return json + "]";
}

std::string OutputColumnsJson() {
    std::string json = "[";
    for (const winding::OutputColumnInfo& column : winding::kOutputColumns) {
        if (json.size() > 1) json += ',';
        JsonObject(json)
            .Text("caption", column.caption)
            .Text("unit", column.unit)
            .Text("first", column.blank.empty() ? Shortest(column.first) : std::string())
            .Text("blank", column.blank);
    }
    return json + "]";
}

}  // namespace flyback::web

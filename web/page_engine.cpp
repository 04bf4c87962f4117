// The page's calls beyond the --jsonl answers: everything the window shows of
// a press (warnings, notes, the working, the winding plan and its pictures),
// the report, the copy, the parts for the plan's options and sweeps. Each
// takes its texts from the request buffer and leaves one JSON object (or the
// report's HTML) as the answer; every rule and caption is the C++ the window
// and flyback-calc use.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "advise/advice_output.hpp"
#include "advise/advise.hpp"
#include "advise/setting_rows.hpp"
#include "answer/answer_details.hpp"
#include "answer/answer_json.hpp"
#include "build_sheet/build_sheet.hpp"
#include "catalogue/catalogue.hpp"
#include "catalogue/names.hpp"
#include "design_file/design_file.hpp"
#include "drawing/pictures.hpp"
#include "engine_buffers.hpp"
#include "mains/mains.hpp"
#include "numtext/run_calculation.hpp"
#include "page_settings.hpp"
#include "page_state.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "report/html_report.hpp"
#include "report/tab_separated.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"
#include "spice/spice.hpp"
#include "sweep/plot.hpp"
#include "sweep/sweep.hpp"
#include "version/version.hpp"
#include "winding/physics.hpp"

namespace {

using flyback::answer::AppendJsonString;
using flyback::answer::JsonObject;
using flyback::web::Answer;
using flyback::web::ChoiceNumbersJson;
using flyback::web::ChoiceStore;
using flyback::web::ConductionCaptions;
using flyback::web::JsonArray;
using flyback::web::ListOptionsJson;
using flyback::web::NumberOptionsJson;
using flyback::web::OptionStore;
using flyback::web::OutputColumnsJson;
using flyback::web::Parts;
using flyback::web::PlanOptions;
using flyback::web::Shortest;
using flyback::web::Text;
using flyback::web::Texts;
using flyback::web::VorSourceCaptions;
namespace record = flyback::record;
namespace report = flyback::report;
namespace winding = flyback::winding;
namespace plan_sheet = flyback::plan_sheet;
namespace numtext = flyback::numtext;

// The width the page's pictures are drawn for, in CSS pixels: the page's
// own unless a phone's screen is narrower.
double& PictureWidth() {
    static double width = flyback::drawing::kPictureWidth;
    return width;
}

flyback::build_sheet::Pins& SheetPins() {
    static flyback::build_sheet::Pins pins;
    return pins;
}

numtext::InputTexts Inputs() {
    numtext::InputTexts inputs;
    for (int i = 0; i < numtext::kInputCount; ++i) inputs[i] = Text(static_cast<std::size_t>(i));
    return inputs;
}

std::string JsonText(std::string_view text) {
    std::string json;
    AppendJsonString(json, text);
    return json;
}

std::string Lines(const std::vector<plan_sheet::SheetLine>& lines) {
    return JsonArray(lines, [](const plan_sheet::SheetLine& line, std::string& out) {
        out += "[" + JsonText(line.caption) + "," + JsonText(line.value) + "]";
    });
}

// What the window's boxes tell beyond their texts: each input's note, and each
// result's whole tooltip (why an invalid input spoils it, its warnings, its
// note) with whether it is marked amber.
std::string Notes(const record::DesignRecord& record) {
    std::vector<std::string> inputs;
    std::string results = "[";
    for (int i = 0; i < numtext::kInputCount; ++i) {
        inputs.push_back(record::InputBoxNote(record, i));
    }
    for (int box = 0; box < numtext::kResultCount; ++box) {
        const record::BoxWarnings tip = record::ResultBoxTip(record, box);
        if (box > 0) results += ',';
        JsonObject(results).Raw("lines", Texts(tip.lines)).Bool("marked", tip.marked);
    }
    std::string json;
    JsonObject(json).Raw("inputs", Texts(inputs)).Raw("results", results + "]");
    return json;
}

// The working as the window's "计算过程" shows it.
std::string Working(const record::DesignRecord& record) {
    const std::string rows =
        JsonArray(record.quantities, [&](const record::QuantityValue& v, std::string& out) {
            JsonObject(out)
                .Text("symbol", v.quantity->symbol)
                .Text("name", v.quantity->name)
                .Text("value", record::ReadableText(v))
                .Text("formula", record::FormulaInSymbols(*v.quantity))
                .Text("numbers", record::FormulaWithNumbers(*v.quantity, record));
        });
    std::string json;
    JsonObject(json)
        .Text("key", record::KeyValues(record))
        .Raw("lines", Texts(record::WorkingLines(record)))
        .Raw("rows", rows);
    return json;
}

std::string Winding(const winding::PlanOutcome& outcome) {
    std::string json;
    JsonObject o(json);
    o.Text("premise", plan_sheet::kPremise)
        .Raw("options", Lines(plan_sheet::OptionLines(PlanOptions())));
    o.Raw("headlines", Texts(plan_sheet::Headlines(outcome)));
    if (!outcome.plan) {
        o.Text("error", plan_sheet::FailureText(outcome));
        return json;
    }
    const winding::Plan& plan = *outcome.plan;
    std::vector<std::string> headings(plan_sheet::kWindingHeadings.begin(),
                                      plan_sheet::kWindingHeadings.end());
    const std::string rows = JsonArray(
        plan_sheet::WindingRows(plan), [](const plan_sheet::WindingRow& row, std::string& out) {
            out += Texts(std::vector<std::string>(row.begin(), row.end()));
        });
    const std::string warnings =
        JsonArray(plan.warnings, [](const winding::PlanWarning& w, std::string& out) {
            JsonObject(out)
                .Text("code", w.code)
                .Text("strength", record::StrengthName(w.strength))
                .Text("text", plan_sheet::WarningLine(w));
        });
    std::vector<std::string> cornerHeadings(plan_sheet::kCornerHeadings.begin(),
                                            plan_sheet::kCornerHeadings.end());
    const std::string corners = JsonArray(
        plan_sheet::CornerRows(plan), [](const plan_sheet::CornerRow& row, std::string& out) {
            out += Texts(std::vector<std::string>(row.begin(), row.end()));
        });
    o.Raw("headings", Texts(headings))
        .Raw("rows", rows)
        .Text("cornersTitle", plan_sheet::kCornersTitle)
        .Raw("cornerHeadings", Texts(cornerHeadings))
        .Raw("corners", corners)
        .Raw("lines", Lines(plan_sheet::PlanLines(plan)))
        .Raw("warnings", warnings)
        .Text("build", flyback::drawing::BuildDrawing(plan, PictureWidth()))
        .Text("currents", flyback::drawing::CurrentsDrawing(plan, PictureWidth()))
        .Text("sheet", flyback::build_sheet::HtmlSection(outcome, SheetPins(), false, false))
        .Text("schematic", flyback::build_sheet::CheckPins(plan, SheetPins())
                               ? ""
                               : flyback::build_sheet::Schematic(plan, SheetPins(),
                                                                 std::min(PictureWidth(), 640.0)));
    return json;
}

}  // namespace

extern "C" {

// A press as the page shows it, in one calculation: the answer of
// --jsonl --details, the fault's message and input, the boxes' notes, the
// working and the winding plan with its pictures.
EMSCRIPTEN_KEEPALIVE void flyback_press_page() {
    const record::DesignRecord record = record::RecordPress(Inputs());
    const winding::PlanOutcome plan = winding::PlanWinding(record, PlanOptions(), Parts());
    std::string answer;
    flyback::answer::AppendDetailedAnswer(record, answer);
    Answer().clear();
    JsonObject(Answer())
        .Raw("answer", answer)
        .Text("faultMessage", record.faultMessage)
        .Value("suspectInput", record.suspect ? record.suspect->input : -1)
        .Raw("notes", Notes(record))
        .Raw("working", Working(record))
        .Raw("winding", Winding(plan));
    flyback::web::ReleaseLargeRequest();
}

// The warnings of the texts as typed, before any press: for each, the results
// an invalid input makes meaningless.
EMSCRIPTEN_KEEPALIVE void flyback_input_warnings() {
    const auto warnings = record::InputWarnings(Inputs());
    Answer() = JsonArray(warnings, [](const record::Warning& w, std::string& out) {
        std::vector<std::string> results;
        if (w.strength == record::Warning::Strength::Invalid) {
            for (const int box : record::ResultsDerivedFrom(static_cast<numtext::Input>(w.index))) {
                results.push_back("Text2_" + std::to_string(box));
            }
        }
        JsonObject(out)
            .Text("code", w.code)
            .Text("box", w.BoxName())
            .Text("strength", w.StrengthName())
            .Text("message", w.message)
            .Text("tip", record::WarningsOn({w}, w.box, w.index).lines.front())
            .Text("line", w.Line())
            .Raw("results", Texts(results));
    });
    flyback::web::ReleaseLargeRequest();
}

// The report of the texts, dated text 6, with the winding plan: {"name", "html"},
// the HTML the bytes of flyback-calc --report --winding for the same texts and
// options.
EMSCRIPTEN_KEEPALIVE void flyback_report(bool lastPress) {
    const record::DesignRecord record = record::RecordPress(Inputs());
    const winding::PlanOutcome plan = winding::PlanWinding(record, PlanOptions(), Parts());
    const std::string html =
        flyback::build_sheet::Report(record, Text(6), lastPress, plan, PlanOptions(), SheetPins());
    Answer().clear();
    JsonObject(Answer()).Text("name", report::ReportFileName(record, ".html")).Text("html", html);
    flyback::web::ReleaseLargeRequest();
}

// "复制设计": {"text": the tab-separated rows, "html": the report}, as the
// window puts them on the clipboard.
EMSCRIPTEN_KEEPALIVE void flyback_copy(bool lastPress) {
    const record::DesignRecord record = record::RecordPress(Inputs());
    const winding::PlanOutcome plan = winding::PlanWinding(record, PlanOptions(), Parts());
    const std::string text = report::TabSeparated(record) +
                             plan_sheet::TabSeparated(plan, PlanOptions()) +
                             flyback::build_sheet::TabSeparated(plan, SheetPins());
    const std::string html =
        flyback::build_sheet::Report(record, Text(6), lastPress, plan, PlanOptions(), SheetPins());
    Answer().clear();
    JsonObject(Answer()).Text("text", text).Text("html", html);
    flyback::web::ReleaseLargeRequest();
}

// The DC input range from the mains, as the window's 由交流输入 gives it,
// from texts 0 to 6: the lowest and highest AC rms, the line frequency, the
// bulk capacitor in µF (empty: proposed), the hold-up time in ms (empty:
// none), and the output power and efficiency boxes' texts, read as a press
// reads them: {"problem": why there is none, or "", "vmax", "vmin" (the texts
// for the two voltage boxes), "mains" (the highest AC, the plan's insulation
// rating), "text" (the range with its warnings)}.
EMSCRIPTEN_KEEPALIVE void flyback_dc_from_mains() {
    const auto number = [](std::size_t i) { return flyback::runtime::ReadWholeNumber(Text(i)); };
    const auto optional = [&](std::size_t i) -> std::optional<std::optional<double>> {
        if (Text(i).find_first_not_of(" \t") == std::string_view::npos)
            return std::optional<double>();
        if (const auto value = number(i)) return value;
        return std::nullopt;
    };
    std::string problem, vmax, vmin, mainsVrms, text;
    const auto minAc = number(0), maxAc = number(1), line = number(2);
    const auto bulk = optional(3), holdup = optional(4);
    double power = 0, efficiency = 0;
    try {
        power = flyback::runtime::NumberFromText(Text(5));
        efficiency = flyback::runtime::NumberFromText(Text(6)) / flyback::numtext::kPercent;
    } catch (const flyback::runtime::RuntimeError&) {
    }
    if (!minAc || !maxAc || !line || !bulk || !holdup) {
        problem = "请输入数字。";
    } else {
        try {
            flyback::mains::MainsSupply supply{*minAc, *maxAc, power, efficiency, *bulk, *line};
            supply.holdupMilliseconds = *holdup;
            const flyback::mains::DcInputRange range = flyback::mains::DcInputFromMains(supply);
            vmax = flyback::mains::TwoDecimals(range.maxInputVoltage);
            vmin = flyback::mains::TwoDecimals(range.minInputVoltage);
            mainsVrms = flyback::runtime::decimal::ShortestText(*maxAc);
            text = flyback::mains::RangeCaption(range);
        } catch (const flyback::mains::MainsError& error) {
            problem = error.what();
        }
    }
    Answer().clear();
    JsonObject(Answer())
        .Text("problem", problem)
        .Text("vmax", vmax)
        .Text("vmin", vmin)
        .Text("mains", mainsVrms)
        .Text("text", text);
}

// The build sheet's pins from text 0 ("1,3,6"; empty: the
// defaults): {"problem": why they cannot be read, in Chinese, or ""}. Taken
// only when read; a clash with the plan's windings is the sheet's to say.
EMSCRIPTEN_KEEPALIVE void flyback_set_pins() {
    const auto pins = flyback::build_sheet::ReadPins(Text(0));
    if (pins) SheetPins() = *pins;
    Answer().clear();
    JsonObject(Answer()).Text("problem", pins ? "" : flyback::build_sheet::kPinsUnread);
}

// The width, in CSS pixels, the pictures are drawn for from now on: the
// page's room for them; 300 at least, the page's own width at most.
EMSCRIPTEN_KEEPALIVE void flyback_set_picture_width(double width) {
    PictureWidth() = std::isfinite(width)
                         ? std::clamp(width, 300.0, flyback::drawing::kPictureWidth)
                         : flyback::drawing::kPictureWidth;
}

}  // extern "C"

namespace {

std::array<std::string, numtext::kInputCount> OwnedInputs() {
    std::array<std::string, numtext::kInputCount> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = std::string(Text(i));
    return texts;
}

// The adviser's numbers as the compare row's boxes show them.
std::string SettingNumbersJson() {
    std::string json = "[";
    for (const flyback::advise::SettingNumberInfo& info : flyback::advise::kSettingNumbers) {
        if (json.size() > 1) json += ',';
        JsonObject(json)
            .Text("key", info.pageKey)
            .Text("caption", info.caption)
            .Text("unit", info.unit)
            .Text("first", Shortest(flyback::advise::SettingValue({}, info.number)))
            .Bool("weight", flyback::advise::IsWeight(info.number));
    }
    return json + "]";
}

static_assert(numtext::kInputCount + 2 + std::size(flyback::advise::kSettingNumbers) <=
              flyback::web::kMostTexts);

// The adviser's numbers from the texts from `first` on, in their rows'
// order (empty: the adviser's own); the answer {"problem", "box": the row's
// key} of the first refused, or "" where all are taken.
std::string ReadSettingNumbers(std::size_t first, flyback::advise::Settings& settings) {
    namespace advise = flyback::advise;
    std::size_t text = first;
    for (const advise::SettingNumberInfo& info : advise::kSettingNumbers) {
        const std::string_view typed = Text(text++);
        if (typed.empty()) continue;
        const auto value = flyback::runtime::ReadWholeNumber(typed);
        if (!value || !advise::SetSettingValue(settings, info.number, *value)) {
            std::string answer;
            JsonObject(answer)
                .Text("problem", advise::RefusedCaption(info, typed))
                .Text("box", info.pageKey);
            return answer;
        }
    }
    if (const auto problem = advise::SettingsProblem(settings)) {
        std::string answer;
        JsonObject(answer)
            .Text("problem", *problem)
            .Text("box", advise::Info(advise::kWeights[0]).pageKey);
        return answer;
    }
    return {};
}

}  // namespace

extern "C" {

// The design of texts 0 to 5 with the plan's options and the sheet's pins as
// a design file: {"name", "text", "error"}.
EMSCRIPTEN_KEEPALIVE void flyback_save_design() {
    const flyback::design_file::Design design{OwnedInputs(), PlanOptions(), SheetPins()};
    const record::DesignRecord record = record::RecordPress(Inputs());
    const flyback::design_file::Written written = flyback::design_file::WriteDesignFile(
        design, winding::PlanWinding(record, PlanOptions(), Parts()));
    Answer().clear();
    JsonObject(Answer())
        .Text("name", report::ReportFileName(record, ".mas.json"))
        .Text("text", written.text)
        .Text("error", written.error);
}

// The netlist of texts 0 to 5's plan: {"name", "text", "error"}.
EMSCRIPTEN_KEEPALIVE void flyback_spice() {
    const record::DesignRecord record = record::RecordPress(Inputs());
    const winding::PlanOutcome plan = winding::PlanWinding(record, PlanOptions(), Parts());
    Answer().clear();
    JsonObject(Answer())
        .Text("name", report::ReportFileName(record, ".cir"))
        .Text("text", plan.plan ? flyback::spice::Netlist(*plan.plan) : "")
        .Text("error", plan_sheet::FailureText(plan));
}

// The catalogue the page plans on: the built-in one, with the parts the
// design file opened gives in place.
void TakeFileParts(const flyback::design_file::Opened& opened) {
    flyback::web::SessionParts() =
        flyback::design_file::WithFileParts(flyback::catalogue::BuiltIn(), opened);
}

// The planned transformer at each operating point the file gives, as notes.
void NoteFilePoints(flyback::design_file::Opened& opened) {
    const flyback::design_file::Design& d = *opened.design;
    const winding::PlanOutcome plan =
        winding::PlanWinding(record::RecordPress(numtext::ViewsOf(d.texts)), d.options, Parts());
    if (!plan.plan) return;
    for (const flyback::conditions::Line& line :
         flyback::conditions::FilePointLines(*plan.plan, opened.points))
        opened.notes.push_back(line.caption + " " + line.text);
}

// A design file's bytes in text 0, as the page keeps a design: {"error",
// "texts", "options" and "choices" (as the page's stores), "pins", "notes",
// "foreign", "fileParts" (the file gives a core or material in place: the
// page keeps the file, to give its parts again after a reload)}. The page
// plans on the file's parts from here on.
EMSCRIPTEN_KEEPALIVE void flyback_open_design() {
    flyback::design_file::Opened opened =
        flyback::design_file::ReadDesignFile(Text(0), flyback::catalogue::BuiltIn());
    const bool fileParts = !opened.cores.empty() || !opened.materials.empty();
    if (opened.design) {
        TakeFileParts(opened);
        NoteFilePoints(opened);
    }
    Answer().clear();
    JsonObject o(Answer());
    o.Text("error", opened.error)
        .Raw("notes", Texts(opened.notes))
        .Bool("foreign", opened.foreign)
        .Bool("fileParts", fileParts);
    if (opened.design) {
        const flyback::design_file::Design& d = *opened.design;
        o.Raw("texts", Texts({d.texts.begin(), d.texts.end()}))
            .Raw("options", OptionStore(d.options))
            .Raw("choices", ChoiceStore(d.options.choices))
            .Text("pins", flyback::build_sheet::PinsText(d.pins));
    }
    flyback::web::ReleaseLargeRequest();
}

// The parts a design file kept by the page gives in place, in text 0, taken
// into the catalogue again (after a reload, or in the comparison's worker):
// {"error"}, empty when taken.
EMSCRIPTEN_KEEPALIVE void flyback_take_file_parts() {
    const flyback::design_file::Opened opened =
        flyback::design_file::ReadDesignFile(Text(0), flyback::catalogue::BuiltIn());
    if (opened.design) TakeFileParts(opened);
    Answer().clear();
    JsonObject(Answer()).Text("error", opened.error);
    flyback::web::ReleaseLargeRequest();
}

// The parts the plan's options choose from, and the defaults.
EMSCRIPTEN_KEEPALIVE void flyback_parts() {
    std::vector<std::string> cores, coreCaptions, families, familyCaptions, materials;
    for (const auto& core : Parts().cores) {
        cores.push_back(core.name);
        coreCaptions.push_back(flyback::catalogue::CoreCaption(core.name));
        if (std::find(families.begin(), families.end(), core.family) == families.end()) {
            families.push_back(core.family);
            familyCaptions.push_back(flyback::catalogue::FamilyCaption(core.family));
        }
    }
    std::vector<std::string> weighable;  // with loss data, for the comparison
    for (const auto& material : Parts().materials) {
        materials.push_back(material.name);
        if (!material.steinmetz.empty()) weighable.push_back(material.name);
    }
    const winding::Options defaults;
    std::string choices = "[";  // the plan's choices a sweep may step, with a range to propose
    for (const flyback::sweep::PlanChoiceInfo& info : flyback::sweep::kPlanChoices) {
        if (choices.size() > 1) choices += ',';
        JsonObject(choices)
            .Text("symbol", info.symbol)
            .Text("caption", info.caption)
            .Value("from", info.from)
            .Value("to", info.to);
    }
    choices += ']';
    std::string json;
    JsonObject(json)
        .Raw("sweepChoices", choices)
        .Raw("choiceNumbers", ChoiceNumbersJson())
        .Raw("vorSources", VorSourceCaptions())
        .Raw("conductions", ConductionCaptions())
        .Raw("outputColumns", OutputColumnsJson())
        .Raw("cores", Texts(cores))
        .Raw("coreCaptions", Texts(coreCaptions))
        .Raw("families", Texts(families))
        .Raw("familyCaptions", Texts(familyCaptions))
        .Raw("stackCaptions",
             Texts({std::begin(winding::kStackCaptions), std::end(winding::kStackCaptions)}))
        .Raw("materials", Texts(materials))
        .Raw("weighableMaterials", Texts(weighable))
        .Text("material", defaults.material)
        .Raw("numberOptions", NumberOptionsJson())
        .Raw("listOptions", ListOptionsJson())
        .Text("rankCaption", flyback::advise::kRankCaption)
        .Raw("rankCaptions", Texts({std::begin(flyback::advise::kRankCaptions),
                                    std::end(flyback::advise::kRankCaptions)}))
        .Text("rank", std::to_string(static_cast<int>(flyback::advise::Settings{}.rank)))
        .Text("weightedRank", std::to_string(static_cast<int>(flyback::advise::Rank::Weighted)))
        .Text("weightsCaption", flyback::advise::kWeightsCaption)
        .Raw("settingNumbers", SettingNumbersJson())
        .Text("pins", flyback::build_sheet::PinsText({}))
        .Text("version", flyback::kProgramVersion)
        .Text("title", flyback::kProgramTitle)
        .Text("purpose", flyback::kProgramPurpose)
        .Text("licence", flyback::kLicenceNotice);
    Answer() = json;
}

// A sweep of text 6 ("f=20:100:41") from the six texts, with the plan when
// `withPlan`, plotted `columns` panels across: {"problem"} or {"csv", "tsv",
// "svg"}, the table also with tabs for a spreadsheet.
EMSCRIPTEN_KEEPALIVE void flyback_sweep(bool withPlan, int columns) {
    namespace sweep = flyback::sweep;
    sweep::RangeProblem problem{};
    const auto range = sweep::ReadSweep(Text(6), problem);
    Answer().clear();
    if (!range || range->points > 2000) {
        JsonObject(Answer()).Text(
            "problem",
            range ? "点数至多 2000。" : std::string(sweep::RangeProblemCaption(problem)));
        return;
    }
    withPlan = withPlan || range->choice.has_value();  // a choice is swept in the plan
    std::optional<sweep::PlanSetting> plan;
    if (withPlan) plan = sweep::PlanSetting{PlanOptions(), &Parts()};
    sweep::SweepData data(*range, withPlan);
    std::string csv = sweep::CsvHeader(withPlan, ',', range->choice);
    std::string tsv = sweep::CsvHeader(withPlan, '\t', range->choice);
    sweep::RunSweep(*range, Inputs(), plan, [&](const sweep::SweepPoint& point) {
        data.Add(point);
        csv += sweep::CsvLine(point);
        tsv += sweep::CsvLine(point, '\t');
        return true;
    });
    JsonObject(Answer())
        .Text("csv", csv)
        .Text("tsv", tsv)
        .Text("svg", sweep::PlotSvg(data, columns, PictureWidth()));
}

// The adviser over the catalogue for the six texts, with the plan's options
// and choices (their ways to the reflected voltage as its bounds), as the
// window's 方案比较 weighs them: {"json": the bytes of flyback-calc --advise
// --json, "summary", "headings", "top" and "front" (each {"cells", "core",
// "material", "turns"}: a row and what opens its plan), "svg"}, or
// {"problem", "box"} for a number refused. The seventh text names the
// materials weighed, as --allowed-materials does ("N87,3C95"; empty: the
// plan's own), the eighth the rank's place, then the adviser's numbers.
EMSCRIPTEN_KEEPALIVE void flyback_advise() {
    namespace advise = flyback::advise;
    const record::DesignRecord record = record::RecordPress(Inputs());
    advise::Settings settings;
    advise::BoundsFrom(PlanOptions().choices, settings);
    settings.materials = advise::MaterialList(Text(numtext::kInputCount));
    if (const auto place = flyback::runtime::ReadWholeNumber(Text(numtext::kInputCount + 1)))
        settings.rank = advise::RankAt(*place).value_or(settings.rank);
    if (const std::string problem = ReadSettingNumbers(numtext::kInputCount + 2, settings);
        !problem.empty()) {
        Answer() = problem;
        return;
    }
    const advise::Advice advice = advise::Advise(record, PlanOptions(), Parts(), settings);
    const auto rows = [](const std::vector<advise::Candidate>& list) {
        return JsonArray(list, [](const advise::Candidate& c, std::string& out) {
            JsonObject(out)
                .Raw("cells", JsonArray(advise::Row(c),
                                        [](const std::string& cell, std::string& cells) {
                                            AppendJsonString(cells, cell);
                                        }))
                .Text("core", c.core->name)
                .Text("material", c.material->name)
                .Text("turns", std::to_string(c.Np) + ":" + std::to_string(c.Ns));
        });
    };
    Answer().clear();
    JsonObject(Answer())
        .Text("json", advise::Json(advice))
        .Text("summary", advise::Summary(advice))
        .Raw("headings",
             JsonArray(advise::kHeadings, [](std::string_view heading,
                                             std::string& out) { AppendJsonString(out, heading); }))
        .Raw("top", rows(advice.top))
        .Raw("front", rows(advice.front))
        .Text("svg", advise::Svg(advice, PictureWidth()));
}

}  // extern "C"

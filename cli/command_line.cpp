#include "cli/command_line.hpp"

#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <fstream>
#include <functional>
#include <iostream>
#include <string_view>

#include "advise/advice_output.hpp"
#include "advise/advise.hpp"
#include "advise/setting_rows.hpp"
#include "answer/answer_details.hpp"
#include "answer/answer_json.hpp"
#include "answer/json_lines.hpp"
#include "build_sheet/build_sheet.hpp"
#include "cli/advise_output.hpp"
#include "cli/catalogue_listing.hpp"
#include "cli/mains_mode.hpp"
#include "cli/table.hpp"
#include "cli/winding_options.hpp"
#include "cli/winding_output.hpp"
#include "cross_regulation/circuit.hpp"
#include "design_file/design_file.hpp"
#include "drawing/pictures.hpp"
#include "numtext/fault_hint.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/design_record.hpp"
#include "report/html_report.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/error.hpp"
#include "spice/spice.hpp"
#include "sweep/plot.hpp"
#include "sweep/sweep.hpp"
#include "version/version.hpp"
#include "whole_file/whole_file.hpp"

namespace flyback::cli {
namespace {

constexpr const char* kUsage =
    "usage: flyback-calc [--json [--details]] [--winding [PLAN OPTIONS]]\n"
    "                    P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT\n"
    "       flyback-calc --report [--winding [PLAN OPTIONS]]\n"
    "                    P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT > report.html\n"
    "       flyback-calc --sweep NAME=FROM:TO:POINTS [--winding [PLAN OPTIONS]]\n"
    "                    P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT > sweep.csv\n"
    "       flyback-calc [--save DESIGN.mas.json] [--spice BENCH.cir] [--sheet SHEET.html]\n"
    "                    [OPTIONS]\n"
    "                    P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT\n"
    "       flyback-calc --open DESIGN.mas.json [--winding] [--json|--report] [--save F]\n"
    "       flyback-calc --jsonl [--details] < requests.jsonl\n"
    "       flyback-calc --cores|--materials|--wires [--json]\n"
    "       flyback-calc --mains [--json] [--bulk-uf C] [--line-hz F] [--conduction-ms T]\n"
    "                    [--holdup-ms T]\n"
    "                    VACMIN VACMAX P EFFICIENCY_PCT\n";

constexpr const char* kDescription =
    "Designs the transformer of a single-ended flyback switching power supply.\n"
    "Each input is read as the window's input box reads it: \"60W\" is 60, \"\" is 0.\n"
    "  P               output power, W\n"
    "  VMAX, VMIN      maximum and minimum DC input voltage, V\n"
    "  FREQ_KHZ        switching frequency, kHz\n"
    "  EFFICIENCY_PCT  estimated efficiency, %\n"
    "  VOUT            output voltage, V\n"
    "With --mains, the two DC input voltages from the AC mains range (V rms), the\n"
    "output power and the efficiency, through a bridge into a bulk capacitor.\n"
    "With --winding, a winding plan on a catalogue core follows: a second model with\n"
    "whole turns, real wire, losses, temperature rise and clamp; the results above stay.\n"
    "Exit status: 0 done, 1 the calculation faulted, 2 wrong usage or a bad --jsonl line,\n"
    "3 standard output could not be written, 4 standard input could not be read.\n"
    "See flyback-calc(1).";

struct Options {
    std::vector<std::string> inputs;
    bool cores = false, materials = false, wires = false;
    MainsOptions mains;
    bool mainsMode = false;
    bool json = false;
    bool jsonLines = false;
    bool details = false;
    bool report = false;
    std::optional<std::string> sweep, svg;
    std::optional<std::string> save, open;  // design files
    std::optional<std::string> spice;       // the netlist for ngspice
    std::optional<std::string> spiceLoads;  // the cross-regulation bench's corner: "fll"
    std::optional<std::string> sheet;       // the build sheet alone, as HTML
    bool advise = false;                    // every candidate weighed
    std::string rank, weights, top, advisedCsv, allowedMaterials;
    WindingFlags windingFlags;
    winding::Options winding;
    build_sheet::Pins pins;
    // The core and material an opened file carried that the catalogue lacks.
    std::vector<catalogue::Core> fileCores;
    std::vector<catalogue::Material> fileMaterials;
    std::vector<conditions::Condition> filePoints;  // its operating points
    advise::Settings adviseSettings;
};

int UsageError(std::ostream& err, const std::string& reason) {
    err << "flyback-calc: " << record::VisibleText(reason) << '\n' << kUsage;
    return kExitUsage;
}

bool IsOptionName(std::string_view arg) {
    return arg.size() >= 2 && arg[0] == '-' &&
           (arg[1] == '-' || (arg[1] >= 'a' && arg[1] <= 'z') || (arg[1] >= 'A' && arg[1] <= 'Z'));
}

// The arguments with every input moved behind "--". The parser would take an
// input such as "-.5" or "-１" for an unknown option, while for the window's
// boxes these are numbers; only "-" with a letter, or "--", starts an option.
std::vector<std::string> InputsLast(const CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> options;
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            inputs.insert(inputs.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                          args.end());
            break;
        }
        if (!IsOptionName(arg)) {
            inputs.push_back(arg);
            continue;
        }
        options.push_back(arg);
        const CLI::Option* option = app.get_option_no_throw(arg);
        const bool takesValue = option != nullptr && option->get_items_expected_min() > 0;
        if (takesValue && arg.find('=') == std::string::npos && i + 1 < args.size()) {
            options.push_back(args[++i]);
        }
    }
    if (!inputs.empty()) options.emplace_back("--");
    options.insert(options.end(), inputs.begin(), inputs.end());
    return options;
}

// Today's date in the local time zone, as the report prints it.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 16> text{};
    return std::string(text.data(), std::strftime(text.data(), text.size(), "%Y-%m-%d", &local));
}

void PrintRecord(const Options& options, const record::DesignRecord& record,
                 const std::optional<winding::PlanOutcome>& plan, std::ostream& out) {
    if (options.report) {
        out << (plan ? build_sheet::Report(record, Today(), false, *plan, options.winding,
                                           options.pins)
                     : report::HtmlReport(record, Today()));
    } else if (options.json) {
        std::string json;
        if (options.details) {
            answer::AppendDetailedAnswer(record, json);
        } else {
            answer::AnswerJson(json).Outcome(record.outcome);
        }
        if (plan) {
            json.pop_back();  // the closing brace
            json += ",\"winding\":" + WindingJson(*plan);
            if (plan->plan && !options.filePoints.empty())
                json += ",\"file_points\":" + AtConditionsJson(*plan->plan, options.filePoints);
            json += '}';
        }
        out << json << '\n';
    } else {
        PrintTable(record.outcome, out);
        if (plan) PrintWindingSheet(*plan, out);
        if (plan && plan->plan) PrintAtConditions(*plan->plan, options.filePoints, out);
    }
}

void PrintWarnings(const record::DesignRecord& record,
                   const std::optional<winding::PlanOutcome>& plan, std::ostream& err) {
    for (const record::Warning& warning : record.warnings) err << warning.Line() << '\n';
    if (!plan) return;
    if (!plan->plan) {
        err << "flyback-calc: " << plan_sheet::kTitle << "：" << plan_sheet::FailureText(*plan)
            << '\n';
        return;
    }
    for (const winding::PlanWarning& warning : plan->plan->warnings) {
        err << plan_sheet::kTitle << "：" << plan_sheet::WarningLine(warning) << '\n';
    }
}

catalogue::Catalogue Parts(std::ostream& err);

std::array<std::string, numtext::kInputCount> Texts(const Options& options) {
    std::array<std::string, numtext::kInputCount> texts;
    std::copy(options.inputs.begin(), options.inputs.end(), texts.begin());
    return texts;
}

int SaveDesign(const design_file::Design& design, const winding::PlanOutcome& plan,
               const std::string& path, std::ostream& err) {
    const design_file::Written written = design_file::WriteDesignFile(design, plan);
    if (!written.error.empty()) {
        err << "flyback-calc: --save: " << written.error << '\n';
        return kExitCalculationFault;
    }
    if (const std::string failure = whole_file::WriteWholeFile(path, written.text);
        !failure.empty()) {
        err << "flyback-calc: cannot write " << record::VisibleText(path) << ": " << failure
            << '\n';
        return kExitWriteFailed;
    }
    return kExitOk;
}

// A file made from the plan (the netlist, the build sheet); none without one.
int SavePlanFile(const winding::PlanOutcome& plan, std::string_view flag, const std::string& path,
                 const std::function<std::string(const winding::Plan&)>& make, std::ostream& err) {
    if (!plan.plan) {
        err << "flyback-calc: " << flag << ": "
            << record::VisibleText(plan_sheet::FailureText(plan)) << '\n';
        return kExitCalculationFault;
    }
    if (const std::string failure = whole_file::WriteWholeFile(path, make(*plan.plan));
        !failure.empty()) {
        err << "flyback-calc: cannot write " << record::VisibleText(path) << ": " << failure
            << '\n';
        return kExitWriteFailed;
    }
    return kExitOk;
}

// With --advise, --dmax, --vds-rating, --derating and --clamp-ratio bound the reflected
// voltage, together if need be, rather than fix it: taken out of the plan's
// choices into the adviser's settings.
std::string ReadAdviseBounds(Options& options) {
    WindingFlags& f = options.windingFlags;
    advise::Settings& s = options.adviseSettings;
    using winding::ChoiceNumber;
    // Within the row's bounds, as the plan holds them: a clamp ratio of 0.5
    // would put the clamp below the reflected voltage.
    const auto number = [](ChoiceNumber choice, const std::string& text,
                           std::optional<double>& value) -> std::string {
        if (text.empty()) return {};
        const winding::ChoiceNumberInfo& row = winding::Info(choice);
        value = runtime::ReadWholeNumber(text);
        if (!value || !winding::WithinRow(choice, *value))
            return std::string(row.flag) + ": \"" + text + "\" is not " + FlagBoundsText(row);
        return {};
    };
    std::optional<double> derating, clampRatio;
    const std::pair<ChoiceNumber, std::optional<double>*> bounds[] = {
        {ChoiceNumber::Dmax, &s.dmax},
        {ChoiceNumber::VdsRating, &s.vdsRating},
        {ChoiceNumber::Derating, &derating},
        {ChoiceNumber::ClampRatio, &clampRatio}};
    for (const auto& [choice, value] : bounds) {
        if (std::string problem = number(choice, f.Choice(choice), *value); !problem.empty())
            return problem;
        f.Choice(choice).clear();
    }
    if (derating) s.derating = *derating;
    if (clampRatio) s.clampRatio = *clampRatio;
    s.materials = advise::MaterialList(options.allowedMaterials);

    if (!options.rank.empty()) {
        const auto* found =
            std::find(std::begin(advise::kRankNames), std::end(advise::kRankNames), options.rank);
        if (found == std::end(advise::kRankNames))
            return "--rank must be loss, rise, volume, weighted or price";
        s.rank = static_cast<advise::Rank>(found - std::begin(advise::kRankNames));
    }
    if (!options.weights.empty()) {
        using advise::SettingNumber;
        constexpr auto kForm = "--weights expects three numbers, as 1,0.1,2";
        std::string_view rest = options.weights;
        for (const SettingNumber weight : advise::kWeights) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            const auto value = runtime::ReadWholeNumber(rest.substr(0, comma));
            if (!value) return kForm;
            if (!advise::SetSettingValue(s, weight, *value))
                return "--weights must each be " + advise::LimitsInWords(advise::Info(weight));
            rest.remove_prefix(std::min(comma + 1, rest.size()));
        }
        if (!rest.empty()) return kForm;
        if (!advise::WeightsUsable(s.weights)) return "--weights must not all be 0";
    }
    if (!options.top.empty()) {
        const auto top = runtime::ReadWholeNumber(options.top);
        if (!top || !advise::SetSettingValue(s, advise::SettingNumber::Top, *top))
            return "--top must be " +
                   advise::LimitsInWords(advise::Info(advise::SettingNumber::Top));
    }
    return {};
}

// The adviser's numbers' help from their rows, each with its default.
std::string SettingHelp(advise::SettingNumber number) {
    const advise::SettingNumberInfo& info = advise::Info(number);
    return "with --advise: " + std::string(info.help) + ", " + advise::LimitsInWords(info) + " (" +
           runtime::decimal::ShortestText(advise::SettingValue({}, number)) + ")";
}

std::string WeightsHelp() {
    std::string helps, defaults;
    for (const advise::SettingNumber weight : advise::kWeights) {
        helps += (helps.empty() ? "" : ", ") + std::string(advise::Info(weight).help);
        defaults += (defaults.empty() ? "" : ",") +
                    runtime::decimal::ShortestText(advise::SettingValue({}, weight));
    }
    return "with --advise --rank weighted, three weights: " + helps + ", each " +
           advise::LimitsInWords(advise::Info(advise::kWeights[0])) + " (" + defaults + ")";
}

// A search over more cores than the built-in catalogue's few dozen says
// what it weighs even to a script; a person at a terminal is also told how
// far it has come.
constexpr std::size_t kLargeSearch = 200;

std::function<void(std::size_t, std::size_t, std::size_t)> AdviseProgress(std::ostream& err,
                                                                          bool terminal) {
    return [&err, terminal](std::size_t done, std::size_t cores, std::size_t materials) {
        if (done == 0 && (terminal || cores > kLargeSearch)) {
            err << "flyback-calc: --advise: weighing " << cores << " cores x " << materials
                << " materials, each over the whole turns in the reflected voltage's range\n";
        }
        if (!terminal) {
            // A script reading a long search is told every tenth of the way.
            if (cores > kLargeSearch && done > 0 && done * 10 / cores != (done - 1) * 10 / cores)
                err << "flyback-calc: --advise: core " << done << " of " << cores << '\n';
            return;
        }
        err << "\rflyback-calc: --advise: core " << done << " of " << cores
            << (done == cores ? "\n" : "") << std::flush;
    };
}

// Names the adviser cannot weigh, refused with the ones it can.
std::string MaterialsLine(const advise::MaterialsProblem& problem) {
    std::string line = "--allowed-materials:";
    if (!problem.unknown.empty())
        line += " not in the catalogue: " +
                advise::NamesShown(problem.unknown, 5, ", ", " (and # more)") + ";";
    if (!problem.withoutLoss.empty())
        line += " without loss data to rank by: " +
                advise::NamesShown(problem.withoutLoss, 5, ", ", " (and # more)") + ";";
    return line + " usable: all, " + advise::NamesShown(problem.usable, 1000, ", ", "");
}

int RunAdvise(const Options& options, const catalogue::Catalogue& parts, std::ostream& out,
              std::ostream& err) {
    if (options.report) return UsageError(err, "--advise and --report exclude each other");
    if (const auto problem = advise::CheckMaterials(parts, options.adviseSettings.materials))
        return UsageError(err, record::VisibleText(MaterialsLine(problem)));
    numtext::InputTexts inputs;
    std::copy(options.inputs.begin(), options.inputs.end(), inputs.begin());
    const record::DesignRecord record = record::RecordPress(inputs);
    if (record.outcome.error) {
        err << "flyback-calc: " << runtime::ErrorKindMessage(*record.outcome.error) << '\n';
        return kExitCalculationFault;
    }
    advise::Settings settings = options.adviseSettings;
    settings.progress = AdviseProgress(err, &err == &std::cerr && ::isatty(STDERR_FILENO));
    const advise::Advice advice = advise::Advise(record, options.winding, parts, settings);
    if (options.svg) {
        if (const std::string failure =
                whole_file::WriteWholeFile(*options.svg, advise::Svg(advice));
            !failure.empty()) {
            err << "flyback-calc: cannot write " << record::VisibleText(*options.svg) << ": "
                << failure << '\n';
            return kExitWriteFailed;
        }
    }
    if (!options.advisedCsv.empty()) {
        if (const std::string failure =
                whole_file::WriteWholeFile(options.advisedCsv, advise::Csv(advice.all));
            !failure.empty()) {
            err << "flyback-calc: cannot write " << record::VisibleText(options.advisedCsv) << ": "
                << failure << '\n';
            return kExitWriteFailed;
        }
    }
    if (options.json) {
        out << advise::Json(advice) << '\n';
    } else if (advice.problem.empty()) {
        PrintAdvice(advice, out);
    }
    if (advice.problem.empty()) return kExitOk;
    err << "flyback-calc: --advise: " << record::VisibleText(advice.problem) << '\n';
    return kExitCalculationFault;
}

// The inputs, options and pins of a design file; a foreign transformer's notes
// on standard error.
int OpenDesign(Options& options, std::ostream& err) {
    const whole_file::Read read =
        whole_file::ReadRegularFile(*options.open, design_file::kMostBytes);
    if (!read.text) {
        err << "flyback-calc: " << record::VisibleText(*options.open) << ": " << read.problem
            << '\n';
        return kExitUsage;
    }
    const std::string& bytes = *read.text;
    const design_file::Opened opened = design_file::ReadDesignFile(bytes, Parts(err));
    if (!opened.design) {
        err << "flyback-calc: " << record::VisibleText(*options.open) << ": "
            << record::VisibleText(opened.error) << '\n';
        return kExitUsage;
    }
    for (const std::string& note : opened.notes) err << "flyback-calc: " << note << '\n';
    options.inputs.assign(opened.design->texts.begin(), opened.design->texts.end());
    options.winding = opened.design->options;
    options.pins = opened.design->pins;
    options.fileCores = opened.cores;
    options.fileMaterials = opened.materials;
    options.filePoints = opened.points;
    return kExitOk;
}

int RunOnce(const Options& options, const catalogue::Catalogue& parts, std::ostream& out,
            std::ostream& err) {
    numtext::InputTexts inputs;
    std::copy(options.inputs.begin(), options.inputs.end(), inputs.begin());
    const record::DesignRecord record = record::RecordPress(inputs);
    std::optional<winding::PlanOutcome> plan;
    if (options.windingFlags.on) plan = winding::PlanWinding(record, options.winding, parts);
    if (plan && plan->plan) {
        if (const build_sheet::PinsClash clash = build_sheet::CheckPins(*plan->plan, options.pins))
            return UsageError(err, "--pins: " + build_sheet::PinsClashCaption(clash));
    }
    if (options.save || options.spice || options.sheet) {
        const winding::PlanOutcome planned =
            plan ? *plan : winding::PlanWinding(record, options.winding, parts);
        const design_file::Design design{Texts(options), options.winding, options.pins};
        if (options.save) {
            if (const int status = SaveDesign(design, planned, *options.save, err)) return status;
        }
        if (options.spice) {
            std::vector<bool> full;
            if (options.spiceLoads) {
                for (const char letter : *options.spiceLoads) full.push_back(letter == 'f');
                const std::size_t rails =
                    planned.plan ? cross_regulation::RailsOf(*planned.plan).size() : full.size();
                if (rails != full.size())
                    return UsageError(err, "--spice-loads: the plan has " + std::to_string(rails) +
                                               " outputs with the bias, one letter each");
            }
            const auto netlist = [&](const winding::Plan& p) {
                return options.spiceLoads ? spice::CrossRegulationNetlist(p, full)
                                          : spice::Netlist(p);
            };
            if (const int status = SavePlanFile(planned, "--spice", *options.spice, netlist, err))
                return status;
        }
        if (options.sheet) {
            const auto sheet = [&](const winding::Plan&) {
                return build_sheet::HtmlDocument(planned, options.pins, Today());
            };
            if (const int status = SavePlanFile(planned, "--sheet", *options.sheet, sheet, err))
                return status;
        }
    }
    PrintRecord(options, record, plan, out);
    if (!options.json && !options.report) PrintWarnings(record, plan, err);
    const auto& error = record.outcome.error;
    // A plan asked for and not made is a failure, as --save of it is.
    if (!error) return plan && !plan->plan ? kExitCalculationFault : kExitOk;
    err << "flyback-calc: " << runtime::ErrorKindMessage(*error) << " ("
        << runtime::ErrorKindId(*error) << ")\n";
    if (const std::string hint = numtext::FaultHintText(record.suspect); !hint.empty()) {
        err << "flyback-calc: " << hint << '\n';
    }
    return kExitCalculationFault;
}

std::string SweepProblemLine(sweep::RangeProblem problem, std::string_view text) {
    switch (problem) {
        case sweep::RangeProblem::UnknownInput:
            return "--sweep: \"" + std::string(text.substr(0, text.find('='))) +
                   "\" is not an input (P, Vmax, Vmin, f, eta, Vo) nor a plan choice (vor, krp, "
                   "lp, load)";
        case sweep::RangeProblem::Points:
            return "--sweep: POINTS must be a whole number from 2 to " +
                   std::to_string(sweep::kMaxPoints);
        case sweep::RangeProblem::TooFarApart:
            return "--sweep: FROM and TO are too far apart";
        default:
            return "--sweep expects NAME=FROM:TO:POINTS, as f=20:100:41";
    }
}

// The CSV to standard output as each point is pressed, and the plot, when
// asked for, to its file once all are. The CSV stops once it cannot be
// written; the plot replaces its file only when it is whole.
int RunSweepMode(const Options& options, const catalogue::Catalogue& parts, std::ostream& out,
                 std::ostream& err) {
    if (options.report) return UsageError(err, "--sweep and --report exclude each other");
    sweep::RangeProblem problem{};
    const auto range = sweep::ReadSweep(*options.sweep, problem);
    if (!range) return UsageError(err, SweepProblemLine(problem, *options.sweep));
    if (range->choice && !options.windingFlags.on) {
        return UsageError(err, "--sweep of a plan's choice (vor, krp, lp, load) needs --winding");
    }
    numtext::InputTexts inputs;
    std::copy(options.inputs.begin(), options.inputs.end(), inputs.begin());
    std::optional<sweep::PlanSetting> plan;
    if (options.windingFlags.on) plan = sweep::PlanSetting{options.winding, &parts};
    std::optional<sweep::SweepData> data;
    if (options.svg) data.emplace(*range, plan.has_value());
    out << sweep::CsvHeader(plan.has_value(), ',', range->choice);
    sweep::RunSweep(*range, inputs, plan, [&](const sweep::SweepPoint& point) {
        out << sweep::CsvLine(point);
        if (data) data->Add(point);
        return static_cast<bool>(out);
    });
    out.flush();
    if (!data || !out) return kExitOk;  // a write failure is reported by the caller
    if (const std::string failure = whole_file::WriteWholeFile(*options.svg, sweep::PlotSvg(*data));
        !failure.empty()) {
        err << "flyback-calc: cannot write " << record::VisibleText(*options.svg) << ": " << failure
            << '\n';
        return kExitWriteFailed;
    }
    return kExitOk;
}

// The built-in parts and the user's own; what could not be read from the
// user's files is named on standard error.
catalogue::Catalogue Parts(std::ostream& err) {
    catalogue::Catalogue parts = catalogue::WithUserFiles(catalogue::UserDataFolder());
    for (const std::string& problem : parts.problems) {
        err << "flyback-calc: " << record::VisibleText(problem) << '\n';
    }
    return parts;
}

int ListParts(const Options& options, std::ostream& out, std::ostream& err) {
    const catalogue::Catalogue parts = Parts(err);
    const Listing listing = options.cores       ? Listing::Cores
                            : options.materials ? Listing::Materials
                                                : Listing::Wires;
    ListCatalogue(parts, listing, options.json, out);
    return kExitOk;
}

// The output modes and the press's own flags.
void AddModeOptions(CLI::App& app, Options& options) {
    app.add_option("inputs", options.inputs, "P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT");
    auto* json = app.add_flag("--json", options.json, "print one JSON object");
    auto* jsonLines =
        app.add_flag("--jsonl", options.jsonLines,
                     "read JSON arrays of six texts from standard input, one a line, and answer "
                     "each with one JSON object a line")
            ->excludes(json);
    auto* details = app.add_flag("--details", options.details,
                                 "with --json or --jsonl: add every quantity of the design");
    app.add_flag("--report", options.report,
                 "write the design report, one self-contained HTML page")
        ->excludes(json)
        ->excludes(jsonLines)
        ->excludes(details);
    app.add_option("--sweep", options.sweep,
                   "step one input (P, Vmax, Vmin, f, eta, Vo) from FROM to TO in POINTS steps, "
                   "in the unit of its box, and write every result as CSV")
        ->excludes(json)
        ->excludes(jsonLines)
        ->excludes(details);
    app.add_option("--svg", options.svg,
                   "with --sweep or --advise: also write the plot to this SVG file");
    app.add_option("--save", options.save,
                   "also write the design and its plan to this design file (MAS JSON)")
        ->excludes(jsonLines);
    app.add_option("--spice", options.spice,
                   "also write the transformer and a test bench as an ngspice netlist")
        ->excludes(jsonLines);
    app.add_option("--spice-loads", options.spiceLoads,
                   "with --spice: the bench of the outputs' voltages at a corner of the loads "
                   "instead, a letter an output and then the bias: f full, l its least load "
                   "(\"lff\")")
        ->needs("--spice")
        ->check([](const std::string& text) {
            return !text.empty() && text.find_first_not_of("fl") == std::string::npos
                       ? std::string()
                       : std::string("a letter f or l an output");
        });
    app.add_option("--sheet", options.sheet,
                   "also write the build sheet alone, for the winding shop, as HTML")
        ->excludes(jsonLines);
    auto* advise = app.add_flag("--advise", options.advise,
                                "weigh every core, material and whole-turns pair as a plan and "
                                "rank them, with the Pareto front of loss against core volume");
    app.add_option(
           "--rank", options.rank,
           "with --advise: loss|rise|volume|weighted|price (volume: the smallest core that "
           "meets every limit, ties by loss; price: the cheapest stock set, a distributor's "
           "price of its day)")
        ->needs(advise);
    app.add_option("--allowed-materials", options.allowedMaterials,
                   "with --advise: the materials weighed, as N87,PC95, or all (the plan's own)")
        ->needs(advise);
    app.add_option("--weights", options.weights, WeightsHelp())->needs(advise);
    app.add_option("--top", options.top, SettingHelp(advise::SettingNumber::Top))->needs(advise);
    app.add_option("--csv", options.advisedCsv,
                   "with --advise: also write every feasible candidate as CSV to this file")
        ->needs(advise);
    app.add_option("--open", options.open,
                   "take the inputs, the plan's options and pins from this design file "
                   "(ours, or a MAS document of another tool)")
        ->excludes(jsonLines);
}

// The catalogue listings and the mains helper.
void AddHelperOptions(CLI::App& app, Options& options) {
    auto* cores = app.add_flag("--cores", options.cores, "list the catalogue's cores");
    auto* materials =
        app.add_flag("--materials", options.materials, "list the catalogue's core materials")
            ->excludes(cores);
    app.add_flag("--wires", options.wires, "list the catalogue's wires")
        ->excludes(cores)
        ->excludes(materials);
    auto* mains = app.add_flag("--mains", options.mainsMode,
                               "the DC input voltages from the mains: VACMIN VACMAX P "
                               "EFFICIENCY_PCT")
                      ->excludes("--jsonl")
                      ->excludes("--details");
    app.add_option("--bulk-uf", options.mains.bulkMicrofarads,
                   "with --mains: the bulk capacitor, µF (default: proposed)")
        ->needs(mains);
    app.add_option("--line-hz", options.mains.lineHertz, "with --mains: line frequency, Hz (50)")
        ->needs(mains);
    app.add_option("--conduction-ms", options.mains.conductionMilliseconds,
                   "with --mains: the bridge's conduction time, ms (3)")
        ->needs(mains);
    app.add_option("--holdup-ms", options.mains.holdupMilliseconds,
                   "with --mains: the hold-up time after the mains drops out, ms (none)")
        ->needs(mains);
}

int RunListing(const Options& options, std::ostream& out, std::ostream& err) {
    if (!options.inputs.empty() || options.mainsMode || options.jsonLines || options.report ||
        options.details || options.windingFlags.on || options.sweep) {
        return UsageError(err, "a catalogue listing takes only --json");
    }
    return ListParts(options, out, err);
}

int RunMainsMode(Options& options, std::ostream& out, std::ostream& err) {
    if (options.report) return UsageError(err, "--mains and --report exclude each other");
    if (options.sweep) return UsageError(err, "--mains and --sweep exclude each other");
    if (options.inputs.size() != 4) {
        return UsageError(err,
                          "--mains expects 4 inputs, got " + std::to_string(options.inputs.size()));
    }
    options.mains.inputs = options.inputs;
    options.mains.json = options.json;
    return RunMains(options.mains, out, err);
}

int RunJsonLines(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
    if (!options.inputs.empty()) return UsageError(err, "--jsonl takes no inputs");
    const answer::AnswerStyle& style =
        options.details ? answer::kDetailedAnswers : answer::kPlainAnswers;
    return answer::AnswerJsonLines(in, out, style).badRequests > 0 ? kExitUsage : kExitOk;
}

// A press, or a sweep of presses, with the plan when asked.
int RunPress(Options& options, std::ostream& out, std::ostream& err) {
    if (options.open) {
        if (!options.inputs.empty()) return UsageError(err, "--open takes no inputs");
        if (AnyPlanOption(options.windingFlags))
            return UsageError(err, "--open takes the plan's options from the file; give none");
        if (const int status = OpenDesign(options, err); status != kExitOk) return status;
    }
    if (options.inputs.size() != numtext::kInputCount) {
        return UsageError(err, "expected 6 inputs, got " + std::to_string(options.inputs.size()));
    }
    catalogue::Catalogue parts;
    // The one option the adviser takes without --winding: it ranks by it.
    if (!options.windingFlags.on && !options.advise &&
        !options.windingFlags.Number(winding::NumberOption::MaxRise).empty())
        return UsageError(err, "--max-rise needs --winding or --advise");
    if (options.advise) {
        options.windingFlags.on = true;
        const std::string bounds = ReadAdviseBounds(options);
        if (!bounds.empty()) return UsageError(err, bounds);
    }
    if (options.windingFlags.on || options.save || options.spice || options.sheet) {
        parts = Parts(err);
        parts.cores.insert(parts.cores.end(), options.fileCores.begin(), options.fileCores.end());
        parts.materials.insert(parts.materials.end(), options.fileMaterials.begin(),
                               options.fileMaterials.end());
        // An opened design brings its own options and pins.
        if (!options.open) {
            if (std::string dims = ReadCoreDims(options.windingFlags, parts); !dims.empty())
                return UsageError(err, dims);
            const std::string problem =
                ReadWindingOptions(options.windingFlags, parts, options.winding);
            if (!problem.empty()) return UsageError(err, problem);
            const std::optional<build_sheet::Pins> pins =
                build_sheet::ReadPins(options.windingFlags.pins);
            if (!pins) {
                return UsageError(err,
                                  "--pins expects three whole numbers P,B,S, as 1,3,6 (got \"" +
                                      options.windingFlags.pins + "\")");
            }
            options.pins = *pins;
        }
    }
    if (options.sweep) return RunSweepMode(options, parts, out, err);
    if (options.advise) return RunAdvise(options, parts, out, err);
    return RunOnce(options, parts, out, err);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
    Options options;
    CLI::App app(kDescription, "flyback-calc");
    AddModeOptions(app, options);
    AddHelperOptions(app, options);
    AddWindingOptions(app, options.windingFlags);
    app.set_version_flag("--version", "flyback-calc " + std::string(kProgramVersion));
    const std::vector<std::string> ordered = InputsLast(app, args);
    std::vector<std::string> reversed(ordered.rbegin(), ordered.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        return UsageError(err, e.what());
    }
    if (options.details && !options.json && !options.jsonLines) {
        return UsageError(err, "--details needs --json or --jsonl");
    }
    if (options.svg && options.svg->empty()) return UsageError(err, "--svg needs a file name");
    if (options.svg && !options.sweep && !options.advise)
        return UsageError(err, "--svg goes with --sweep or --advise");
    if (options.cores || options.materials || options.wires) return RunListing(options, out, err);
    if (options.windingFlags.on && (options.mainsMode || options.jsonLines)) {
        return UsageError(err, "--winding goes with a single press, not --mains or --jsonl");
    }
    // Every value is held to its bounds before it is computed with; an
    // arithmetic fault that still comes through is a failed calculation,
    // said as one, never an abort.
    try {
        if (options.mainsMode) return RunMainsMode(options, out, err);
        if (options.jsonLines) return RunJsonLines(options, in, out, err);
        return RunPress(options, out, err);
    } catch (const runtime::RuntimeError& e) {
        out.flush();
        err << "flyback-calc: " << e.what() << " (" << e.id() << ")\n";
        return kExitCalculationFault;
    }
}

}  // namespace flyback::cli

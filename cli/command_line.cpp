#include "cli/command_line.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/answer_json.hpp"
#include "cli/json_lines.hpp"
#include "cli/table.hpp"
#include "report/press.hpp"
#include "version/version.hpp"

namespace flyback::cli {
namespace {

constexpr const char* kUsage =
    "usage: flyback-calc [--json] P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT\n"
    "       flyback-calc --jsonl < requests.jsonl\n";

constexpr const char* kDescription =
    "Designs the transformer of a single-ended flyback switching power supply.\n"
    "Each input is read as the window's input box reads it: \"60W\" is 60, \"\" is 0.\n"
    "  P               output power, W\n"
    "  VMAX, VMIN      maximum and minimum DC input voltage, V\n"
    "  FREQ_KHZ        switching frequency, kHz\n"
    "  EFFICIENCY_PCT  estimated efficiency, %\n"
    "  VOUT            output voltage, V\n"
    "Exit status: 0 done, 1 the calculation faulted, 2 wrong usage or a bad --jsonl line.";

struct Options {
    std::vector<std::string> inputs;
    bool json = false;
    bool jsonLines = false;
};

int UsageError(std::ostream& err, const std::string& reason) {
    err << "flyback-calc: " << reason << '\n' << kUsage;
    return kExitUsage;
}

int RunOnce(const Options& options, std::ostream& out, std::ostream& err) {
    numtext::InputTexts inputs;
    std::copy(options.inputs.begin(), options.inputs.end(), inputs.begin());
    const report::PressOutcome outcome = report::Press(inputs);
    if (options.json) {
        std::string json;
        AnswerJson(json).Outcome(outcome);
        out << json << '\n';
    } else {
        PrintTable(outcome, out);
    }
    if (!outcome.error) return kExitOk;
    err << "flyback-calc: " << runtime::ErrorKindMessage(*outcome.error) << " ("
        << runtime::ErrorKindId(*outcome.error) << ")\n";
    return kExitCalculationFault;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
    Options options;
    CLI::App app(kDescription, "flyback-calc");
    app.add_option("inputs", options.inputs, "P VMAX VMIN FREQ_KHZ EFFICIENCY_PCT VOUT");
    auto* json = app.add_flag("--json", options.json, "print one JSON object");
    app.add_flag("--jsonl", options.jsonLines,
                 "read JSON arrays of six texts from standard input, one a line, and answer "
                 "each with one JSON object a line")
        ->excludes(json);
    app.set_version_flag("--version", "flyback-calc " + std::string(kProgramVersion));
    // CLI11 takes negative numbers ("-60") as inputs; any other input that
    // starts with '-' needs "--" before the inputs.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
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
    if (options.jsonLines) {
        if (!options.inputs.empty()) return UsageError(err, "--jsonl takes no inputs");
        return AnswerJsonLines(in, out).badRequests > 0 ? kExitUsage : kExitOk;
    }
    if (options.inputs.size() != numtext::kInputCount) {
        return UsageError(err, "expected 6 inputs, got " + std::to_string(options.inputs.size()));
    }
    return RunOnce(options, out, err);
}

}  // namespace flyback::cli

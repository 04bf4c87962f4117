#include "cli/mains_mode.hpp"

#include <optional>

#include "cli/answer_json.hpp"
#include "cli/command_line.hpp"
#include "mains/mains.hpp"
#include "report/design_record.hpp"

namespace flyback::cli {
namespace {

// Why a text is not the number it should be, or nothing when it is one.
std::optional<double> Number(const std::string& text, const char* name, std::ostream& err) {
    const auto value = mains::ReadWholeNumber(text);
    if (!value) {
        err << "flyback-calc: " << name << " is not a number: \"" << report::VisibleText(text)
            << "\"\n";
    }
    return value;
}

void PrintTable(const mains::DcInputRange& range, std::ostream& out) {
    out << "最大输入电压V  " << mains::TwoDecimals(range.maxInputVoltage) << '\n'
        << "最小输入电压V  " << mains::TwoDecimals(range.minInputVoltage) << '\n'
        << "大容量电容 µF  " << report::ExactNumber(range.bulkMicrofarads)
        << (range.bulkProposed ? "（建议值）" : "") << '\n';
}

void PrintJson(const mains::MainsSupply& supply, const mains::DcInputRange& range,
               std::ostream& out) {
    std::string json = "{\"Vmax\":" + report::ExactNumber(range.maxInputVoltage);
    json += ",\"Vmin\":" + report::ExactNumber(range.minInputVoltage);
    json += ",\"bulk_uF\":" + report::ExactNumber(range.bulkMicrofarads);
    json += range.bulkProposed ? ",\"bulk_proposed\":true" : ",\"bulk_proposed\":false";
    json += ",\"line_Hz\":" + report::ExactNumber(supply.lineHertz);
    json += ",\"conduction_ms\":" + report::ExactNumber(supply.conductionMilliseconds);
    json += ",\"warnings\":[";
    for (const mains::Warning& warning : range.warnings) {
        if (json.back() != '[') json += ',';
        json += "{\"code\":";
        AppendJsonString(json, warning.code);
        json += ",\"message\":";
        AppendJsonString(json, warning.message);
        json += '}';
    }
    out << json << "]}\n";
}

}  // namespace

int RunMains(const MainsOptions& options, std::ostream& out, std::ostream& err) {
    constexpr const char* kNames[] = {"VACMIN", "VACMAX", "P", "EFFICIENCY_PCT"};
    double values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const auto value = Number(options.inputs[i], kNames[i], err);
        if (!value) return kExitUsage;
        values[i] = *value;
    }
    mains::MainsSupply supply{values[0], values[1], values[2], values[3] / 100, std::nullopt};
    if (!options.bulkMicrofarads.empty()) {
        supply.bulkMicrofarads = Number(options.bulkMicrofarads, "--bulk-uf", err);
        if (!supply.bulkMicrofarads) return kExitUsage;
    }
    const auto line = Number(options.lineHertz, "--line-hz", err);
    const auto conduction = Number(options.conductionMilliseconds, "--conduction-ms", err);
    if (!line || !conduction) return kExitUsage;
    supply.lineHertz = *line;
    supply.conductionMilliseconds = *conduction;
    try {
        const mains::DcInputRange range = mains::DcInputFromMains(supply);
        if (options.json) {
            PrintJson(supply, range, out);
        } else {
            PrintTable(range, out);
            for (const mains::Warning& warning : range.warnings) {
                err << "注意：" << warning.message << '\n';
            }
        }
    } catch (const mains::MainsError& error) {
        err << "flyback-calc: " << error.what() << '\n';
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace flyback::cli

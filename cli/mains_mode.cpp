#include "cli/mains_mode.hpp"

#include <optional>

#include "answer/answer_json.hpp"
#include "cli/command_line.hpp"
#include "mains/mains.hpp"
#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"
#include "record/design_record.hpp"
#include "runtime/number_text.hpp"

namespace flyback::cli {
namespace {

// Why a text is not the number it should be, or nothing when it is one.
std::optional<double> Number(const std::string& text, const char* name, std::ostream& err) {
    const auto value = runtime::ReadWholeNumber(text);
    if (!value) {
        err << "flyback-calc: " << name << " is not a number: \"" << record::VisibleText(text)
            << "\"\n";
    }
    return value;
}

// The two voltages under the captions of the boxes they fill.
void PrintTable(const mains::MainsSupply& supply, const mains::DcInputRange& range,
                std::ostream& out) {
    const auto caption = [](numtext::Input input) {
        return numtext::kInputBoxes[Index(input)].caption;
    };
    out << caption(numtext::Input::MaxVoltage) << "  " << mains::TwoDecimals(range.maxInputVoltage)
        << '\n'
        << caption(numtext::Input::MinVoltage) << "  " << mains::TwoDecimals(range.minInputVoltage)
        << '\n'
        << "大容量电容 µF  " << record::ExactNumber(range.bulkMicrofarads)
        << (range.bulkProposed
                ? "（建议值，" + std::string(mains::BulkRuleCaption(range.rule)) + "）"
                : std::string())
        << '\n'
        // The insulation is rated by the mains typed, not inferred from the
        // bus: the plan takes it with this flag.
        << "绕制方案的电网电压  " << record::ExactNumber(supply.maxAcVoltage)
        << " V（--winding --mains-vrms " << record::ExactNumber(supply.maxAcVoltage) << "）\n";
}

void PrintJson(const mains::MainsSupply& supply, const mains::DcInputRange& range,
               std::ostream& out) {
    std::string warnings = "[";
    for (const mains::Warning& warning : range.warnings) {
        if (warnings.size() > 1) warnings += ',';
        answer::JsonObject(warnings).Text("code", warning.code).Text("message", warning.message);
    }
    warnings += ']';
    std::string json;
    {
        answer::JsonObject o(json);
        o.Value("Vmax", range.maxInputVoltage).Value("Vmin", range.minInputVoltage);
        o.Value("bulk_uF", range.bulkMicrofarads).Bool("bulk_proposed", range.bulkProposed);
        if (range.bulkProposed) {
            o.Text("bulk_rule", range.rule == mains::BulkRule::Holdup ? "holdup" : "per_watt");
        } else {
            o.Raw("bulk_rule", "null");
        }
        if (supply.holdupMilliseconds) {
            o.Value("holdup_ms", *supply.holdupMilliseconds);
        } else {
            o.Raw("holdup_ms", "null");
        }
        o.Value("line_Hz", supply.lineHertz).Value("conduction_ms", supply.conductionMilliseconds);
        o.Value("mains_Vrms", supply.maxAcVoltage);
        o.Raw("warnings", warnings);
    }
    out << json << '\n';
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
    mains::MainsSupply supply{values[0], values[1], values[2], values[3] / numtext::kPercent,
                              std::nullopt};
    if (!options.bulkMicrofarads.empty()) {
        supply.bulkMicrofarads = Number(options.bulkMicrofarads, "--bulk-uf", err);
        if (!supply.bulkMicrofarads) return kExitUsage;
    }
    const auto line = Number(options.lineHertz, "--line-hz", err);
    const auto conduction = Number(options.conductionMilliseconds, "--conduction-ms", err);
    if (!line || !conduction) return kExitUsage;
    supply.lineHertz = *line;
    supply.conductionMilliseconds = *conduction;
    if (!options.holdupMilliseconds.empty()) {
        supply.holdupMilliseconds = Number(options.holdupMilliseconds, "--holdup-ms", err);
        if (!supply.holdupMilliseconds) return kExitUsage;
    }
    try {
        const mains::DcInputRange range = mains::DcInputFromMains(supply);
        if (options.json) {
            PrintJson(supply, range, out);
        } else {
            PrintTable(supply, range, out);
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

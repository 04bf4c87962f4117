#include "cli/winding_output.hpp"

#include <algorithm>

#include "answer/answer_json.hpp"
#include "cli/table.hpp"
#include "winding/sheet.hpp"

namespace flyback::cli {
namespace {

using winding::Plan;
using winding::Winding;

std::optional<double> Whole(const std::optional<int>& count) {
    return count ? std::optional<double>(*count) : std::nullopt;
}

std::string CoreJson(const Plan& plan) {
    const catalogue::Core& core = *plan.core;
    std::string json;
    answer::JsonObject(json)
        .Text("name", core.name)
        .Value("Ae_mm2", core.Ae_mm2)
        .Value("le_mm", core.le_mm)
        .Value("Ve_mm3", core.Ve_mm3)
        .Value("window_mm2", core.window_mm2)
        .Value("core_window_mm2", core.coreWindow_mm2)
        .Value("winding_width_mm", core.winding_width_mm)
        .Value("winding_height_mm", core.winding_height_mm)
        .Value("MLT_mm", core.MLT_mm)
        .Text("material", plan.material->name);
    return json;
}

std::string WindingsJson(const Plan& plan) {
    std::string json = "[";
    for (const Winding& w : plan.windings) {
        if (json.size() > 1) json += ',';
        answer::JsonObject(json)
            .Text("name", winding::RoleName(w.role))
            .Value("turns", w.turns)
            .Value("I_rms_A", w.Irms_A)
            .Value("I_peak_A", w.Ipeak_A)
            .Text("wire", w.wire->name)
            .Value("wire_mm", w.wire->conductor_mm)
            .Value("strands", w.strands)
            .Value("outer_mm", w.outer_mm)
            .Value("turns_per_layer", w.turnsPerLayer)
            .Value("layers", w.layers)
            .Value("J_A_mm2", w.J_A_mm2)
            .Value("R_ohm", w.R_ohm)
            .Value("P_W", w.P_W);
    }
    return json + "]";
}

std::string ClampJson(const winding::Clamp& clamp) {
    std::string json;
    answer::JsonObject(json)
        .Value("V", clamp.V)
        .Value("R_ohm", clamp.R_ohm)
        .Value("C_nF", clamp.C_F * 1e9)
        .Value("P_W", clamp.P_W)
        .Value("L_leakage_H", clamp.leakage_H);
    return json;
}

std::string WarningsJson(const Plan& plan) {
    std::string json = "[";
    for (const winding::PlanWarning& warning : plan.warnings) {
        if (json.size() > 1) json += ',';
        answer::JsonObject(json)
            .Text("code", warning.code)
            .Text("strength", record::StrengthName(warning.strength))
            .Text("message", warning.message);
    }
    return json + "]";
}

void PlanJson(const Plan& plan, std::string& json) {
    answer::JsonObject(json)
        .Raw("core", CoreJson(plan))
        .Bool("automatic_core", plan.options.core.empty())
        .Value("Np", plan.Np)
        .Value("Ns", plan.Ns)
        .Value("Naux", Whole(plan.Naux))
        .Value("Vor", plan.Vor_V)
        .Value("Dmax", plan.Dmax)
        .Value("Lp_H", plan.Lp_H)
        .Value("Ipk", plan.Ipk_A)
        .Value("Bpk_T", plan.Bpk_T)
        .Value("Bpk_limit_T", plan.BpkLimit_T)
        .Value("Bsat_100C_T", plan.Bsat100_T)
        .Value("gap_mm", plan.gap_mm)
        .Value("AL_nH", plan.AL_nH)
        .Value("skin_depth_mm", plan.skinDepth_mm)
        .Raw("windings", WindingsJson(plan))
        .Value("fill", plan.fill)
        .Value("build_mm", plan.build_mm)
        .Bool("fits", plan.fits)
        .Value("P_copper_W", plan.Pcopper_W)
        .Value("P_core_W", plan.Pcore_W)
        .Value("dT_K", plan.dT_K)
        .Value("thermal_window_mm2", plan.thermalWindow_mm2)
        .Value("area_product_cm4", plan.areaProduct_cm4)
        .Value("surface_cm2", plan.surface_cm2)
        .Raw("clamp", ClampJson(plan.clamp))
        .Value("V_rectifier_V", plan.Vrectifier_V)
        .Value("I_cap_rms_A", plan.IcapRms_A)
        .Value("V_switch_V", plan.Vswitch_V)
        .Raw("warnings", WarningsJson(plan));
}

void PrintLines(const std::vector<winding::SheetLine>& lines, std::ostream& out) {
    std::vector<CaptionedRow> rows;
    rows.reserve(lines.size());
    for (const auto& line : lines) rows.emplace_back(line.caption, line.value);
    PrintAligned(rows, out);
}

}  // namespace

std::string WindingJson(const winding::PlanOutcome& outcome) {
    std::string json;
    if (outcome.plan) {
        PlanJson(*outcome.plan, json);
    } else {
        answer::JsonObject(json).Text("error", outcome.error);
    }
    return json;
}

void PrintWindingSheet(const winding::PlanOutcome& outcome, std::ostream& out) {
    out << '\n' << winding::kTitle << '\n';
    for (const std::string& line : winding::Headlines(outcome)) out << line << '\n';
    out << winding::kPremise << '\n';
    if (!outcome.plan) return;
    out << '\n';
    PrintLines(winding::WindingLines(*outcome.plan), out);
    out << '\n';
    PrintLines(winding::PlanLines(*outcome.plan), out);
}

}  // namespace flyback::cli

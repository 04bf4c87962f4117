#include "cli/winding_output.hpp"

#include <algorithm>
#include <cmath>

#include "answer/answer_json.hpp"
#include "cli/table.hpp"
#include "cross_regulation/cross_regulation.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "runtime/decimal_conversion.hpp"

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

std::string QuotedJson(std::string_view text) {
    std::string json;
    answer::AppendJsonString(json, text);
    return json;
}

// The winder's rule a winding's conductor breaks: the rule's key, the
// conductor's value and the rule's limit; null where it breaks none.
std::string RuleBreachJson(const std::optional<winding::RuleBreach>& breach) {
    if (!breach) return "null";
    std::string json;
    answer::JsonObject(json)
        .Text("rule", winding::Info(breach->rule).jsonKey)
        .Value("value", breach->value)
        .Value("limit", breach->limit);
    return json;
}

std::string WindingsJson(const Plan& plan) {
    std::string json = "[";
    for (const Winding& w : plan.windings) {
        if (json.size() > 1) json += ',';
        answer::JsonObject(json)
            .Text("name", winding::WindingName(w))
            .Value("turns", w.turns)
            .Value("turns_below", plan.options.stack && w.role == winding::Role::Secondary
                                      ? std::optional<double>(winding::TurnsBelow(plan, w))
                                      : std::nullopt)
            .Value("I_rms_A", w.Irms_A)
            .Value("I_peak_A", w.Ipeak_A)
            .Text("conductor", winding::kConductorNames[static_cast<int>(w.conductor)])
            .Raw("wire", w.wire ? QuotedJson(w.wire->name) : "null")
            .Value("wire_mm", w.wire ? std::optional(w.wire->conductor_mm) : std::nullopt)
            .Value("strands", w.strands)
            .Value("outer_mm", w.outer_mm)
            .Value("foil_thickness_mm", w.conductor == winding::Conductor::Foil
                                            ? std::optional(w.foilThickness_mm)
                                            : std::nullopt)
            .Value("foil_width_mm", w.conductor == winding::Conductor::Foil
                                        ? std::optional(w.foilWidth_mm)
                                        : std::nullopt)
            .Text("wound_of", plan_sheet::WireText(w))
            .Value("turns_per_layer", w.turnsPerLayer)
            .Value("layers", w.layers)
            .Value("mlt_mm", w.mlt_mm)
            .Value("J_A_mm2", w.J_A_mm2)
            .Value("R_ohm", w.R_ohm)
            .Value("P_W", w.P_W)
            .Value("Fr", w.Fr)
            .Value("R_ac_ohm", w.Rac_ohm)
            .Value("P_ac_W", w.Pac_W)
            .Text("decided_by", winding::kConductorReasonNames[static_cast<int>(w.decidedBy)])
            .Raw("rule_broken", RuleBreachJson(w.breach));
    }
    return json + "]";
}

std::string OutputsJson(const Plan& plan) {
    std::string json = "[";
    for (const winding::OutputResult& out : plan.outputs) {
        if (json.size() > 1) json += ',';
        answer::JsonObject(json)
            .Value("V_set", out.set.V)
            .Value("I_A", out.set.I_A)
            .Value("VF", out.set.VF_V)
            .Value("turns", out.turns)
            .Value("V_expected", out.Vexpected_V)
            .Value("error_pct", out.error_pct)
            .Bool("regulated", out.regulated)
            .Value("I_rms_A", out.Irms_A)
            .Value("I_peak_A", out.Ipeak_A)
            .Value("I_cap_rms_A", out.IcapRms_A)
            .Value("V_rectifier_V", out.Vrectifier_V);
    }
    return json + "]";
}

// What the engineer fixed, and what the plan chose in its place.
std::string ChoicesJson(const Plan& plan) {
    using winding::ChoiceNumber;
    const winding::Choices& c = plan.options.choices;
    // A way's own numbers are reported only where that way is taken.
    const auto given = [&](ChoiceNumber choice) -> std::optional<double> {
        if (!winding::WayTaken(winding::Info(choice), c)) return std::nullopt;
        return winding::HeldValue(c, choice);
    };
    const auto key = [](ChoiceNumber choice) { return winding::Info(choice).jsonKey; };
    std::string json;
    {
        answer::JsonObject choices(json);
        choices.Bool("outputs_fixed", !c.outputs.empty())
            .Text("vor_from", winding::kVorSources[static_cast<int>(c.vorSource)].jsonName)
            .Value("Vor_designed", plan.VorDesigned_V)
            .Value(key(ChoiceNumber::Derating), given(ChoiceNumber::Derating))
            .Value(key(ChoiceNumber::ClampRatio), given(ChoiceNumber::ClampRatio))
            .Value(key(ChoiceNumber::Dmax), given(ChoiceNumber::Dmax))
            .Text("inductance_from", winding::kConductions[static_cast<int>(c.conduction)].jsonName)
            .Bool("turns_fixed", c.FixedTurns())
            .Value(key(ChoiceNumber::Clamp), given(ChoiceNumber::Clamp))
            .Value(key(ChoiceNumber::Coss), given(ChoiceNumber::Coss))
            .Value("I_limit_A", plan.Ilimit_A)
            .Bool("I_limit_fixed", c.Ilimit_A.has_value());
        // The winder's rules the conductors were chosen by.
        for (const ChoiceNumber rule : winding::kWinderRules) choices.Value(key(rule), given(rule));
        if (c.Switching()) {
            for (const ChoiceNumber choice : {ChoiceNumber::Cds, ChoiceNumber::Valley,
                                              ChoiceNumber::LastValley, ChoiceNumber::Fmax})
                choices.Value(key(choice), given(choice));
            // The clamp the plan ran with where none was given, said as assumed.
            if (plan.switching && plan.switching->fmaxAssumed) {
                choices.Value("fmax_assumed_Hz", *plan.switching->fmax_Hz)
                    .Value("last_valley_assumed", plan.switching->lastValley);
            }
        }
    }  // closed before it is returned
    return json;
}

// Where the plan chose the construction and planned the other too, what that gave.
std::string OtherConstructionJson(const Plan& plan) {
    if (!plan.otherConstruction) return "null";
    const Plan::OtherConstruction& other = *plan.otherConstruction;
    std::string json;
    answer::JsonObject(json)
        .Text("construction", winding::kConstructionNames[static_cast<int>(other.construction)])
        .Raw("core", QuotedJson(other.core->name))
        .Bool("fits", other.fits)
        .Value("build_mm", other.build_mm)
        .Value("T_hot_C", other.hot_C)
        .Value("loss_W", other.loss_W);
    return json;
}

std::string InsulationJson(const Plan& plan) {
    const winding::InsulationPlan& i = plan.insulation;
    const auto& r = i.requirements;
    std::string json;
    answer::JsonObject(json)
        .Text("type", insulation::GradeName(i.conditions.grade))
        .Value("mains_Vrms", i.conditions.mains_Vrms)
        .Value("mains_rated_Vrms", i.conditions.mains_Vrms)
        .Value("working_V_peak", i.conditions.workingPeak_V)
        .Value("working_V_rms", i.conditions.workingRms_V)
        .Value("pollution_degree", i.conditions.pollution)
        .Text("material_group", i.conditions.group)
        .Value("altitude_m", i.conditions.altitude_m)
        .Value("clearance_mm", r ? std::optional(r->clearance_mm.value) : std::nullopt)
        .Value("creepage_mm", r ? std::optional(r->creepage_mm.value) : std::nullopt)
        .Value("test_voltage_V", r ? std::optional(r->testVoltage_V.value) : std::nullopt)
        .Value("margin_mm", i.margin_mm)
        .Value("width_mm", i.width_mm)
        .Value("tape_layers_ps", r && !i.tripleInsulated ? r->tapeLayers : 1)
        .Value("tape_mm", insulation::PlanTape().thickness_mm)
        .Text("construction", i.tripleInsulated ? "tiw" : "margin")
        .Bool("construction_chosen", plan.constructionChosen)
        .Raw("construction_other", OtherConstructionJson(plan));
    return json;
}

// A neighbour in the build by name: a winding's, or a shield's after them.
std::string GroupName(const Plan& plan, int group) {
    if (group < static_cast<int>(plan.windings.size()))
        return winding::WindingName(plan.windings[static_cast<std::size_t>(group)]);
    return "shield " + std::to_string(group - static_cast<int>(plan.windings.size()) + 1);
}

std::string ShieldsJson(const Plan& plan) {
    std::string json = "[";
    for (const winding::ShieldPlan& s : plan.shields) {
        if (json.size() > 1) json += ',';
        answer::JsonObject(json)
            .Text("kind", winding::kShieldNames[static_cast<int>(s.kind)])
            .Text("before", GroupName(plan, s.before))
            .Value("height_mm", s.height_mm)
            .Value("foil_mm",
                   s.kind == winding::Shield::Foil ? std::optional(s.foil_mm) : std::nullopt)
            .Value("turns", s.kind == winding::Shield::Winding ? std::optional<double>(s.turns)
                                                               : std::nullopt)
            .Value("strands", s.kind == winding::Shield::Winding ? std::optional<double>(s.strands)
                                                                 : std::nullopt)
            .Raw("wire", s.wire ? QuotedJson(s.wire->name) : "null");
    }
    return json + "]";
}

std::string CapacitanceJson(const Plan& plan) {
    if (!plan.capacitance) return "null";
    const winding::Capacitances& c = *plan.capacitance;
    std::string windings = "[", pairs = "[";
    for (std::size_t i = 0; i < plan.windings.size(); ++i) {
        if (windings.size() > 1) windings += ',';
        answer::JsonObject(windings)
            .Text("name", winding::WindingName(plan.windings[i]))
            .Value("C_own_F", c.windings[i].own_F);
    }
    for (const winding::FacingCapacitance& f : c.facings) {
        if (pairs.size() > 1) pairs += ',';
        answer::JsonObject(pairs)
            .Text("inner", GroupName(plan, f.inner))
            .Text("outer", GroupName(plan, f.outer))
            .Value("C_F", f.C_F)
            .Value("area_mm2", f.area_mm2)
            .Value("distance_mm", f.distance_mm);
    }
    windings += "]";
    pairs += "]";
    std::string json;
    answer::JsonObject(json)
        .Value("C_primary_self_F", c.primarySelf_F)
        .Value("C_primary_secondary_F", c.primarySecondary_F)
        .Value("C_build_drain_F", c.build_F)
        .Value("C_drain_F", c.drain_F)
        .Value("C_common_mode_F", c.commonMode_F)
        .Value("drain_edge_V_per_s", c.edge_V_s)
        .Value("I_common_mode_A", c.displacement_A)
        .Value("leakage_ring_Hz", c.leakageRing_Hz)
        .Value("leakage_ring_damping", c.damping)
        .Value("valley_ring_Hz", c.valleyRing_Hz)
        .Raw("windings", windings)
        .Raw("pairs", pairs);
    return json;
}

std::string Numbers(const std::vector<double>& values) {
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        json += (i > 0 ? "," : "") + runtime::decimal::ShortestText(values[i]);
    return json + "]";
}

std::string LeakageMatrixJson(const Plan& plan) {
    if (!plan.leakageMatrix) return "null";
    const winding::LeakageMatrix& m = *plan.leakageMatrix;
    std::string names = "[", rows = "[";
    for (std::size_t a = 0; a < m.windings.size(); ++a) {
        names += (a > 0 ? "," : "") + QuotedJson(winding::WindingName(winding::Whole(
                                          plan.windings[static_cast<std::size_t>(m.windings[a])])));
        rows += (a > 0 ? "," : "") + Numbers(m.H[a]);
    }
    std::string json;
    answer::JsonObject(json).Raw("names", names + "]").Raw("H", rows + "]");
    return json;
}

// Each rail's voltage at every corner of the loads; null with a single rail
// or where the build gives no leakage. Outputs wound apart carry the same
// build stacked beside them (null where they are stacked or cannot stack).
std::string CrossRegulationJson(const Plan& plan, bool besideStacked = true) {
    if (cross_regulation::RailsOf(plan).size() < 2) return "null";
    const auto r = cross_regulation::CrossRegulation(plan);
    if (!r) return "null";
    std::string rails = "[", corners = "[";
    for (const cross_regulation::Rail& rail : r->rails) {
        if (rails.size() > 1) rails += ',';
        answer::JsonObject(rails)
            .Text("name", rail.output == cross_regulation::kBias
                              ? std::string("bias")
                              : "output " + std::to_string(rail.output + 1))
            .Value("V_set", rail.V_set)
            .Value("I_full_A", rail.I_full_A)
            .Value("I_least_A", rail.I_min_A);
    }
    for (const cross_regulation::LoadCorner& c : r->corners) {
        std::string loads = "[";
        for (std::size_t k = 0; k < c.full.size(); ++k)
            loads += std::string(k > 0 ? "," : "") + (c.full[k] ? "\"full\"" : "\"least\"");
        if (corners.size() > 1) corners += ',';
        answer::JsonObject(corners)
            .Raw("loads", loads + "]")
            .Raw("I_A", Numbers(c.I_A))
            .Raw("V", c.V.empty() ? "null" : Numbers(c.V));
    }
    std::string json;
    {
        answer::JsonObject object(json);
        object.Raw("rails", rails + "]")
            .Raw("corners", corners + "]")
            .Raw("lowest_V", Numbers(r->lowest_V))
            .Raw("highest_V", Numbers(r->highest_V))
            .Raw("lowest_pct", Numbers(r->lowest_pct))
            .Raw("highest_pct", Numbers(r->highest_pct))
            .Value("band_pct", cross_regulation::RegulationBand_pct(plan));
        if (besideStacked) {
            object.Raw("stacked",
                       plan.stacked ? CrossRegulationJson(*plan.stacked, false) : "null");
        }
    }
    return json;
}

std::string ClampJson(const winding::Clamp& clamp) {
    std::string json;
    answer::JsonObject(json)
        .Value("V", clamp.V)
        .Value("R_ohm", clamp.R_ohm)
        .Value("C_nF", clamp.C_F * 1e9)
        .Value("P_W", clamp.P_W)
        .Value("L_leakage_H", clamp.leakage_H)
        .Value("leakage_limit_H", clamp.leakage_H)
        .Value("leakage_estimate_H", clamp.estimate_H)
        .Text("leakage_source", winding::kLeakageSourceNames[static_cast<int>(clamp.source)]);
    return json;
}

std::string CornersJson(const Plan& plan) {
    std::string json = "[";
    for (const winding::Corner& c : plan.corners) {
        if (json.size() > 1) json += ',';
        std::string rectifiers = "[";
        for (const double V : c.Vrectifier_V) {
            if (rectifiers.size() > 1) rectifiers += ',';
            rectifiers += std::isfinite(V) ? runtime::decimal::ShortestText(V) : "null";
        }
        answer::JsonObject corner(json);
        corner.Text("name", winding::CornerName(c.kind))
            .Value("Vin_V", c.point.Vin)
            .Value("load", c.load)
            .Text("mode", winding::ModeName(c.point.mode))
            .Value("D", c.point.D)
            .Value("Ipk_A", c.point.Ipk)
            .Value("Iv_A", c.point.Iv)
            .Value("Lp_H", c.point.Lp)
            .Value("Bpk_T", c.Bpk_T)
            .Value("V_clamp_V", c.Vclamp_V)
            .Value("Vds_peak_V", c.Vds_peak_V)
            .Raw("V_rectifier_V", rectifiers + "]");
        // Shorted at a fixed frequency: the minimum on-time's rise against
        // the reset's fall, and whether the current climbs.
        if (c.kind == winding::CornerKind::Shorted && !plan.switching) {
            corner.Text("ratchet", winding::kRatchetNames[static_cast<int>(c.ratchet)])
                .Value("rise_in_t_on_min_A", c.riseInMinimumOn_A)
                .Value("fall_in_reset_A", c.fallInReset_A);
        }
        // Valley-switched, each corner runs at a frequency of its own.
        if (const std::optional<winding::Resonance> r = plan.switching) {
            corner.Value("f_Hz", c.point.f_Hz)
                .Value("valley", c.point.valley)
                .Value("V_valley_V", winding::ValleyVoltage(c.point))
                .Value("P_turn_on_W", winding::TurnOnLoss(c.point, r->Cds_F));
            if (const std::optional<conditions::Losses> losses =
                    conditions::CornerLosses(plan, c)) {
                corner.Value("P_core_W", losses->Pcore_W).Value("P_copper_W", losses->Pcopper_W);
            }
        }
    }
    return json + "]";
}

std::string WarningsJson(const Plan& plan) {
    std::string json = "[";
    for (const winding::PlanWarning& warning : plan.warnings) {
        if (json.size() > 1) json += ',';
        answer::JsonObject object(json);
        object.Text("code", warning.code)
            .Text("strength", record::StrengthName(warning.strength))
            .Text("message", warning.message);
        if (const auto& figure = warning.figure) {
            object.Value("value", figure->value)
                .Value("limit", figure->limit)
                .Text("unit", figure->unit);
        }
    }
    return json + "]";
}

// The sets in stock: a price is of its distributor and its day, and the data
// names no currency.
std::string StockJson(const Plan& plan) {
    std::string json = "[";
    for (const Plan::StockOffer& offer : plan.stock) {
        if (json.size() > 1) json += ',';
        const catalogue::StockPart& p = *offer.part;
        answer::JsonObject(json)
            .Text("maker", p.maker)
            .Text("reference", p.reference)
            .Value("gap_mm", p.gap_mm)
            .Bool("gap_matches", offer.gapMatches)
            .Value("cost", p.cost)
            .Text("distributor", p.distributor)
            .Text("distributor_reference", p.distributorReference)
            .Text("country", p.country)
            .Text("date", p.date)
            .Text("source", p.source);
    }
    return json + "]";
}

void PlanJson(const Plan& plan, std::string& json) {
    answer::JsonObject(json)
        .Raw("core", CoreJson(plan))
        .Bool("automatic_core", plan.options.core.empty())
        .Text("sized_by", winding::kSizedByNames[static_cast<int>(plan.sizedBy)])
        .Value("hot_limit_C", winding::HotLimit(plan.options))
        .Value("Np", plan.Np)
        .Value("Ns", plan.Ns)
        .Value("Naux", Whole(plan.Naux))
        .Value("Vor", plan.Vor_V)
        .Value("Dmax", plan.Dmax)
        .Value("Lp_H", plan.Lp_H)
        .Value("Ipk", plan.Ipk_A)
        .Text("mode", winding::ModeName(plan.mode))
        .Value("KRP", plan.KRP)
        .Value("I_valley_A", plan.Ivalley_A)
        .Value("D_at_Vmax", plan.atVmax.D)
        .Value("Ipk_at_Vmax_A", plan.atVmax.Ipk)
        .Text("mode_at_Vmax", winding::ModeName(plan.atVmax.mode))
        .Value("V_edge_V", plan.Vedge_V)
        .Value("Bpk_T", plan.Bpk_T)
        .Value("Bpk_min_section_T", plan.BpkMinSection_T)
        .Value("Amin_mm2",
               plan.core->Amin_mm2 > 0 ? std::optional<double>(plan.core->Amin_mm2) : std::nullopt)
        .Value("Bpk_limit_T", plan.BpkLimit_T)
        .Value("Bsat_100C_T", plan.Bsat100_T)
        .Value("Bsat_hot_T", plan.BsatHot_T)
        .Value("saturation_margin", plan.saturationMargin)
        .Bool("turns_for_saturation", plan.turnsForSaturation)
        .Value("lp_tolerance", plan.options.lpTolerance)
        .Value("ilimit_tolerance", plan.options.ilimitTolerance)
        .Raw("corners", CornersJson(plan))
        .Value("gap_mm", plan.gap_mm)
        .Value("gap_plain_mm", plan.gapPlain_mm)
        .Value("fringing_factor", plan.fringing)
        .Value("AL_nH", plan.AL_nH)
        .Value("skin_depth_mm", plan.skinDepth_mm)
        .Raw("windings", WindingsJson(plan))
        .Value("fill", plan.fill)
        .Value("build_mm", plan.build_mm)
        .Bool("fits", plan.fits)
        .Value("P_copper_W", plan.Pcopper_W)
        .Value("P_core_W", plan.Pcore_W)
        .Value("P_core_sine_W", plan.PcoreSine_W)
        .Value("dT_K", plan.dT_K)
        .Value("T_hot_C", plan.hot_C)
        .Value("thermal_steps", plan.thermalSteps)
        .Value("thermal_window_mm2", plan.thermalWindow_mm2)
        .Value("area_product_cm4", plan.areaProduct_cm4)
        .Value("surface_cm2", plan.surface_cm2)
        .Raw("clamp", ClampJson(plan.clamp))
        .Value("L_leakage_build_H", plan.buildLeakage_H)
        .Raw("leakage_matrix_H", LeakageMatrixJson(plan))
        .Raw("cross_regulation", CrossRegulationJson(plan))
        .Text("shield", winding::kShieldNames[static_cast<int>(plan.options.shield)])
        .Raw("shields", ShieldsJson(plan))
        .Raw("capacitance", CapacitanceJson(plan))
        .Text("capacitance_unknown",
              winding::kCapacitanceGapNames[static_cast<int>(plan.capacitanceGap)])
        .Value("V_rectifier_V", plan.Vrectifier_V)
        .Value("I_cap_rms_A", plan.IcapRms_A)
        .Value("V_switch_V", plan.Vswitch_V)
        .Value("Vds_peak_V", plan.Vswitch_V)
        .Value("Vds_rating_V", plan.VdsRating_V)
        .Bool("Vds_rating_assumed", plan.ratingAssumed)
        .Value("P_out_W", plan.Pout_W)
        .Value("P_in_W", plan.InputPower())
        .Value("P_rectified_W", plan.rectified_W)
        .Value("P_stored_W", plan.stored_W)
        .Value("P_primary_side_W", plan.PrimarySide_W())
        .Value("loss_split", plan.LossSplit())
        .Bool("loss_split_given", plan.options.lossSplit.has_value())
        .Value("flow_rounds", plan.flowRounds)
        .Value("V_on_V", plan.atVmin.Von)
        .Value("V_reset_V", plan.atVmin.Vreset)
        .Raw("outputs", OutputsJson(plan))
        .Raw("choices", ChoicesJson(plan))
        .Raw("insulation", InsulationJson(plan))
        .Text("order", winding::kOrderNames[static_cast<int>(plan.options.order)])
        .Bool("order_chosen", plan.orderChosen)
        .Bool("stacked", plan.options.stack)
        .Raw("stock", StockJson(plan))
        .Raw("warnings", WarningsJson(plan));
}

void PrintLines(const std::vector<plan_sheet::SheetLine>& lines, std::ostream& out) {
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
        answer::JsonObject(json)
            .Text("error", plan_sheet::FailureText(outcome))
            .Text("error_code", winding::PlanFailureName(outcome.failure));
    }
    return json;
}

void PrintWindingSheet(const winding::PlanOutcome& outcome, std::ostream& out) {
    out << '\n' << plan_sheet::kTitle << '\n';
    for (const std::string& line : plan_sheet::Headlines(outcome)) out << line << '\n';
    out << plan_sheet::kPremise << '\n';
    if (!outcome.plan) return;
    out << '\n';
    PrintLines(plan_sheet::WindingLines(*outcome.plan), out);
    out << '\n';
    PrintLines(plan_sheet::PlanLines(*outcome.plan), out);
    out << '\n';
    PrintLines(plan_sheet::CornerLines(*outcome.plan), out);
}

void PrintAtConditions(const winding::Plan& plan, const std::vector<conditions::Condition>& points,
                       std::ostream& out) {
    std::vector<plan_sheet::SheetLine> lines;
    for (const conditions::Line& line : conditions::FilePointLines(plan, points))
        lines.push_back({line.caption, line.text});
    if (lines.empty()) return;
    out << '\n';
    PrintLines(lines, out);
}

std::string AtConditionsJson(const winding::Plan& plan,
                             const std::vector<conditions::Condition>& points) {
    std::string json = "[";
    for (const conditions::Condition& point : points) {
        if (json.size() > 1) json += ',';
        answer::JsonObject o(json);
        o.Text("name", point.name)
            .Value("Vin_V", point.Vin_V)
            .Value("load", point.load)
            .Value("f_Hz", point.f_Hz);
        if (const conditions::Problem problem = conditions::Check(point);
            problem != conditions::Problem::None) {
            o.Text("error", conditions::ProblemCaption(problem));
            continue;
        }
        const conditions::Analysed a = conditions::Analyse(plan, point);
        o.Text("mode", winding::ModeName(a.point.mode))
            .Value("D", a.point.D)
            .Value("Ipk_A", a.point.Ipk)
            .Value("Iv_A", a.point.Iv)
            .Value("Bpk_T", a.Bpk_T)
            .Value("deltaB_T", a.deltaB_T)
            .Value("P_core_W", a.Pcore_W)
            .Value("P_copper_W", a.Pcopper_W);
    }
    return json + "]";
}

}  // namespace flyback::cli

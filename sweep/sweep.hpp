#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"
#include "record/design_record.hpp"
#include "winding/plan.hpp"

namespace flyback::sweep {

// A choice of the plan that a sweep may step instead of an input: the
// reflected voltage, the ripple ratio or the primary inductance, the plan's
// own choice of it replaced at each point; or the load, a share of full
// load, which the full-load plan's transformer is run at.
enum class PlanChoice { Vor, KRP, Lp, Load };
// A window or a page proposes the range FROM to TO for it.
struct PlanChoiceInfo {
    PlanChoice choice;
    std::string_view symbol, caption, unit;
    double from, to;
};
inline constexpr PlanChoiceInfo kPlanChoices[] = {
    {PlanChoice::Vor, "vor", "反射电压 Vor", "V", 60, 160},
    {PlanChoice::KRP, "krp", "纹波系数 KRP", "", 0.3, 1},
    {PlanChoice::Lp, "lp", "初级电感 Lp", "H", 2e-4, 2e-3},
    {PlanChoice::Load, "load", "负载（满载的倍数）", "", 0.1, 1},
};

// One input stepped evenly from FROM to TO, both included, in the unit its box
// takes (kHz for f, % for eta): "f=20:100:41"; or a choice of the plan, in
// its unit ("vor=80:140:13", "lp=1e-3:3e-3:11").
struct SweepRange {
    numtext::Input input = numtext::Input::Power;
    std::optional<PlanChoice> choice;  // swept instead of the input
    double from = 0, to = 0;
    int points = 0;
};

inline constexpr int kMaxPoints = 100000;

// What can be wrong with a range's text.
enum class RangeProblem {
    None,
    Form,          // not NAME=FROM:TO:POINTS, or FROM or TO not a number
    UnknownInput,  // NAME is none of the inputs' symbols nor a plan's choice
    Points,        // POINTS not a whole number from 2 to kMaxPoints
    TooFarApart,   // TO − FROM beyond the double range
};

// The range read from its text, or what is wrong with it in `problem`.
std::optional<SweepRange> ReadSweep(std::string_view text, RangeProblem& problem);

// The problem as the window and the page say it.
std::string_view RangeProblemCaption(RangeProblem problem);

// The value at point `index`: FROM + (TO − FROM) × index ÷ (POINTS − 1), TO
// itself at the last; and the text the swept box holds then, the shortest
// that reads back as it.
double SweepValue(const SweepRange& range, int index);
std::string SweepText(const SweepRange& range, int index);

// With a plan: the options and the parts it is made with at each point.
struct PlanSetting {
    winding::Options options;
    const catalogue::Catalogue* parts = nullptr;
};

// One point: the swept box's value as typed, the press of the texts with it,
// and the plan made on that press.
struct SweepPoint {
    int index = 0;
    double typed = 0;
    std::optional<PlanChoice> choice;  // what `typed` is, when not an input
    const record::DesignRecord& record;
    const winding::PlanOutcome* plan;  // nullptr without a plan
    double load = 1;                   // the share of full load the plan runs at
};

// Presses each point in turn, each exactly as the same texts would alone, and
// hands it to `each`, until `each` answers false; nothing is kept.
// A plan's choice set to `value` in `options`, in place of what was chosen.
void SetChoice(winding::Options& options, PlanChoice choice, double value);

void RunSweep(const SweepRange& range, numtext::InputTexts texts,
              const std::optional<PlanSetting>& plan,
              const std::function<bool(const SweepPoint&)>& each);

// The plan's columns of a sweep, after the chain's: the CSV's symbol (named
// apart from the chain's Np and Ns, which are the plan's only before they are
// made whole), the caption, the symbol as an engineer writes it, the unit.
// The first, the core, is a name; the others are plotted. Where the load is
// swept, the flux and the losses are at the minimum input and that load, and
// the frequencies at either end of the input (a quasi-resonant plan's own,
// else the input's) at that load.
struct PlanColumn {
    std::string_view symbol, caption, shown, unit;
};
inline constexpr PlanColumn kPlanColumns[] = {
    {"plan_core", "方案磁芯", "", ""},
    {"plan_Np", "方案初级匝数", "Np", "turns"},
    {"plan_Ns", "方案次级匝数", "Ns", "turns"},
    {"plan_Bpk_T", "峰值磁通密度", "Bpk", "T"},
    {"plan_P_copper_W", "铜损", "Pcu", "W"},
    {"plan_P_core_W", "磁芯损耗", "Pfe", "W"},
    {"plan_dT_K", "温升", "ΔT", "K"},
    {"plan_f_Vmin_Hz", "最低输入时频率", "f(Vmin)", "Hz"},
    {"plan_f_Vmax_Hz", "最高输入时频率", "f(Vmax)", "Hz"},
};

// A plan's figures under its columns after the core's (absent where the
// plan has none), the load swept or full.
std::vector<std::optional<double>> PlanFigures(const winding::Plan& plan, double load);

// The CSV: a header of the symbols as --details names them (every quantity of
// the design, then, with a plan, the plan's named apart from the chain's), then
// a line per point, numbers in full precision, a cell empty where nothing was
// reached; the last column the fault's kind, if any.
// With a tab for the separator, the same rows paste into a spreadsheet.
// A sweep of a plan's choice leads with its column ("vor").
std::string CsvHeader(bool withPlan, char separator = ',',
                      std::optional<PlanChoice> choice = std::nullopt);
// The same columns as people read them, for a table on screen: caption,
// symbol and unit ("工作频率 f（Hz）"); the CSV keeps the bare symbols.
std::vector<std::string> ColumnCaptions(bool withPlan,
                                        std::optional<PlanChoice> choice = std::nullopt);
std::string CsvLine(const SweepPoint& point, char separator = ',');
// A point's cells under those captions, as people read them: the swept
// choice first, if any, the core by its caption, the fault in words ("溢出"),
// numbers as in the CSV.
std::vector<std::string> TableCells(const SweepPoint& point);

}  // namespace flyback::sweep

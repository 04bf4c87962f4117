#include "sweep/sweep.hpp"

#include <array>
#include <cmath>

#include "catalogue/names.hpp"
#include "conditions/conditions.hpp"
#include "record/design_record.hpp"
#include "record/readable.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"

namespace flyback::sweep {
namespace {

// A CSV cell: quoted where it holds the separator, a quote or a line break.
std::string Cell(std::string_view text, char separator) {
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (text.find_first_of(special) == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Number(const std::optional<double>& value) {
    return value ? runtime::decimal::ShortestText(*value) : "";
}

// The plan's cells of a point, the core named by `coreName`; empty without a plan.
std::vector<std::string> PlanCells(const winding::PlanOutcome& outcome, double load,
                                   std::string (*coreName)(std::string_view)) {
    if (!outcome.plan) return std::vector<std::string>(std::size(kPlanColumns));
    std::vector<std::string> cells = {coreName(outcome.plan->core->name)};
    for (const std::optional<double>& figure : PlanFigures(*outcome.plan, load))
        cells.push_back(Number(figure));
    return cells;
}

// The frequency the plan's transformer runs at at `Vin` and `load` of full load.
double FrequencyAt(const winding::Plan& plan, double Vin, double load) {
    return conditions::RunningAt(plan, Vin, load, plan.f_Hz).f_Hz;
}

std::string AsItIs(std::string_view name) {
    return std::string(name);
}

// The chain's cells of a point, then the plan's: a cell empty where nothing was reached.
std::vector<std::string> Cells(const SweepPoint& point, std::string (*coreName)(std::string_view)) {
    std::vector<std::string> cells;
    for (const record::Quantity& quantity : record::kQuantities) {
        const record::QuantityValue* value = point.record.Find(quantity.symbol);
        cells.push_back(value != nullptr ? value->text : std::string());
    }
    if (point.plan != nullptr) {
        for (std::string& cell : PlanCells(*point.plan, point.load, coreName))
            cells.push_back(std::move(cell));
    }
    return cells;
}

}  // namespace

std::vector<std::optional<double>> PlanFigures(const winding::Plan& p, double load) {
    const double fLow = FrequencyAt(p, p.atVmin.Vin, load),
                 fHigh = FrequencyAt(p, p.atVmax.Vin, load);
    if (load == 1) {
        return {p.Np, p.Ns, p.Bpk_T, p.Pcopper_W, p.Pcore_W, p.dT_K, fLow, fHigh};
    }
    const conditions::Analysed at = conditions::Analyse(p, {"", p.atVmin.Vin, load, p.f_Hz});
    return {p.Np, p.Ns, at.Bpk_T, at.Pcopper_W, at.Pcore_W, std::nullopt, fLow, fHigh};
}

std::optional<SweepRange> ReadSweep(std::string_view text, RangeProblem& problem) {
    problem = RangeProblem::Form;
    const std::size_t equals = text.find('=');
    const std::size_t colon1 = text.find(':', equals + 1);
    const std::size_t colon2 = text.find(':', colon1 + 1);
    if (equals == std::string_view::npos || colon1 == std::string_view::npos ||
        colon2 == std::string_view::npos) {
        return std::nullopt;
    }
    SweepRange range;
    const std::string_view name = text.substr(0, equals);
    bool known = false;
    for (int i = 0; i < numtext::kInputCount; ++i) {
        if (numtext::kInputBoxes[i].symbol == name) {
            range.input = static_cast<numtext::Input>(i);
            known = true;
        }
    }
    for (const PlanChoiceInfo& info : kPlanChoices) {
        if (info.symbol == name) {
            range.choice = info.choice;
            known = true;
        }
    }
    if (!known) {
        problem = RangeProblem::UnknownInput;
        return std::nullopt;
    }
    const auto from = runtime::ReadWholeNumber(text.substr(equals + 1, colon1 - equals - 1));
    const auto to = runtime::ReadWholeNumber(text.substr(colon1 + 1, colon2 - colon1 - 1));
    const auto points = runtime::ReadWholeNumber(text.substr(colon2 + 1));
    if (!from || !to) return std::nullopt;
    if (!points || !(*points >= 2 && *points <= kMaxPoints && std::floor(*points) == *points)) {
        problem = RangeProblem::Points;
        return std::nullopt;
    }
    range.from = *from;
    range.to = *to;
    range.points = static_cast<int>(*points);
    if (!std::isfinite(range.to - range.from)) {
        problem = RangeProblem::TooFarApart;
        return std::nullopt;
    }
    problem = RangeProblem::None;
    return range;
}

std::string_view RangeProblemCaption(RangeProblem problem) {
    switch (problem) {
        case RangeProblem::None:
            return "";
        case RangeProblem::Form:
            return "“从”和“到”须各为一个数。";
        case RangeProblem::UnknownInput:
            return "所选的量不是六个输入之一，也不是绕制方案的 vor、krp、lp、load。";
        case RangeProblem::Points:
            return "点数须为 2 至 100000 的整数。";
        case RangeProblem::TooFarApart:
            return "“从”和“到”相距太远，无法计算中间各点。";
    }
    return "";
}

double SweepValue(const SweepRange& range, int index) {
    const double step = (range.to - range.from) / (range.points - 1);
    return index == range.points - 1 ? range.to : range.from + step * index;
}

std::string SweepText(const SweepRange& range, int index) {
    return runtime::decimal::ShortestText(SweepValue(range, index));
}

void SetChoice(winding::Options& options, PlanChoice choice, double value) {
    winding::Choices& c = options.choices;
    switch (choice) {
        case PlanChoice::Vor:
            c.vorSource = winding::VorSource::Value;
            c.Vor_V = value;
            return;
        case PlanChoice::KRP:
            c.conduction = winding::Conduction::Ripple;
            c.KRP = value;
            return;
        case PlanChoice::Lp:
            c.conduction = winding::Conduction::Inductance;
            c.Lp_H = value;
            return;
        case PlanChoice::Load:
            return;  // the transformer is the full-load plan's
    }
}

void RunSweep(const SweepRange& range, numtext::InputTexts texts,
              const std::optional<PlanSetting>& plan,
              const std::function<bool(const SweepPoint&)>& each) {
    const auto swept = static_cast<std::size_t>(numtext::Index(range.input));
    // A choice's sweep presses the texts once; its points differ in the plan only.
    const record::DesignRecord once =
        range.choice ? record::RecordPress(texts) : record::DesignRecord{};
    for (int i = 0; i < range.points; ++i) {
        const double value = SweepValue(range, i);
        const std::string text = SweepText(range, i);  // the texts view it
        if (!range.choice) texts[swept] = text;
        const record::DesignRecord pressed =
            range.choice ? record::DesignRecord{} : record::RecordPress(texts);
        const record::DesignRecord& record = range.choice ? once : pressed;
        std::optional<winding::PlanOutcome> outcome;
        if (plan) {
            winding::Options options = plan->options;
            if (range.choice) SetChoice(options, *range.choice, value);
            outcome = winding::PlanWinding(record, options, *plan->parts, winding::Beside::Nothing);
        }
        const double load = range.choice == PlanChoice::Load ? value : 1;
        if (!each({i, value, range.choice, record, outcome ? &*outcome : nullptr, load})) return;
    }
}

std::string CsvHeader(bool withPlan, char separator, std::optional<PlanChoice> choice) {
    std::string header;
    if (choice) header += std::string(kPlanChoices[static_cast<int>(*choice)].symbol) + separator;
    for (const record::Quantity& quantity : record::kQuantities) {
        header += std::string(quantity.symbol) + separator;
    }
    if (withPlan) {
        for (const PlanColumn& column : kPlanColumns)
            header += std::string(column.symbol) + separator;
    }
    return header + "error\n";
}

std::vector<std::string> ColumnCaptions(bool withPlan, std::optional<PlanChoice> choice) {
    const auto caption = [](std::string_view name, std::string_view symbol, std::string_view unit) {
        std::string text = std::string(name) + " " + std::string(symbol);
        if (!unit.empty()) text += "（" + std::string(record::ReadableUnit(unit)) + "）";
        return text;
    };
    std::vector<std::string> captions;
    captions.reserve(std::size(record::kQuantities) + 9);
    if (choice) {
        const PlanChoiceInfo& info = kPlanChoices[static_cast<int>(*choice)];
        std::string text(info.caption);
        if (!info.unit.empty()) text += "（" + std::string(info.unit) + "）";
        captions.push_back(text);
    }
    for (const record::Quantity& q : record::kQuantities) {
        captions.push_back(caption(q.name, q.symbol, q.unit));
    }
    if (withPlan) {
        for (const PlanColumn& c : kPlanColumns)
            captions.push_back(caption(c.caption, c.shown, c.unit));
    }
    captions.emplace_back("错误");
    return captions;
}

std::string CsvLine(const SweepPoint& point, char separator) {
    std::string line;
    if (point.choice) line += Number(point.typed) + separator;
    for (const std::string& cell : Cells(point, AsItIs)) line += Cell(cell, separator) + separator;
    if (point.record.outcome.error) line += runtime::ErrorKindId(*point.record.outcome.error);
    return line + "\n";
}

std::vector<std::string> TableCells(const SweepPoint& point) {
    std::vector<std::string> cells = Cells(point, catalogue::CoreCaption);
    if (point.choice) cells.insert(cells.begin(), Number(point.typed));
    const auto& error = point.record.outcome.error;
    cells.emplace_back(error ? runtime::ErrorKindMessage(*error) : std::string_view());
    return cells;
}

}  // namespace flyback::sweep

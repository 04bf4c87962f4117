#include "insulation/requirements.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <vector>

#include "runtime/decimal_conversion.hpp"

namespace flyback::insulation {
namespace {

constexpr double kHighFrequency_Hz = 30e3;  // above it the clearance follows Table 11

// "600 V": whole volts, as a limit is read.
std::string Volts(double value) {
    return runtime::decimal::ShortestText(std::round(value)) + " V";
}

using RowTest = std::function<bool(const Row&)>;

std::vector<const Row*> Select(const std::vector<Row>& rows, const RowTest& chosen) {
    std::vector<const Row*> picked;
    for (const Row& row : rows) {
        if (chosen(row)) picked.push_back(&row);
    }
    std::stable_sort(picked.begin(), picked.end(),
                     [](const Row* a, const Row* b) { return a->key < b->key; });
    return picked;
}

// Read between the rows about `key`, linearly; the first row's value below
// it. Nothing beyond the last row.
std::optional<Figure> Between(const std::vector<const Row*>& rows, double key) {
    if (rows.empty() || !(key <= rows.back()->key)) return std::nullopt;
    if (key <= rows.front()->key) return Figure{rows.front()->value, rows.front()->origin, {}};
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const Row& low = *rows[i - 1];
        const Row& high = *rows[i];
        if (key > high.key) continue;
        if (key == high.key || high.key == low.key) return Figure{high.value, high.origin, {}};
        const double share = (key - low.key) / (high.key - low.key);
        return Figure{low.value + (high.value - low.value) * share, low.origin, high.origin};
    }
    return std::nullopt;
}

// The first row at or above `key`: tables that are read "up to and including".
std::optional<Figure> FirstFrom(const std::vector<const Row*>& rows, double key) {
    for (const Row* row : rows) {
        if (key <= row->key) return Figure{row->value, row->origin, {}};
    }
    return std::nullopt;
}

bool InTable(const Row& row, std::string_view table) {
    return row.origin.table.ends_with(table);
}

std::string_view GradeColumn(Grade grade) {
    return grade == Grade::Reinforced ? "reinforced" : "basic";
}

std::optional<Figure> Clearance(const Conditions& c, const Tables& t, const Figure& transient) {
    const std::string_view grade = GradeColumn(c.grade);
    // Procedure 2: the mains transient.
    const auto table14 = Between(Select(t.clearance,
                                        [&](const Row& r) {
                                            return InTable(r, "Table 14") &&
                                                   r.insulation == grade &&
                                                   r.pollution == c.pollution;
                                        }),
                                 transient.value);
    // Procedure 1: the working voltage (Table 11 for PD2 above 30 kHz, scaled
    // for the other degrees; Table 10 with the temporary overvoltage below).
    std::optional<Figure> procedure1;
    if (c.frequency_Hz > kHighFrequency_Hz) {
        procedure1 = Between(
            Select(t.clearance,
                   [&](const Row& r) { return InTable(r, "Table 11") && r.insulation == grade; }),
            c.workingPeak_V);
        const double scale = c.pollution == 1 ? 0.8 : c.pollution == 3 ? 1.4 : 1;
        if (procedure1) procedure1->value *= scale;
    } else {
        const double overvoltage = c.mains_Vrms <= 250 ? std::max(2000.0, c.mains_Vrms + 1200)
                                                       : std::max(2500.0, c.mains_Vrms + 1200);
        procedure1 = Between(Select(t.clearance,
                                    [&](const Row& r) {
                                        return InTable(r, "Table 10") && r.insulation == grade &&
                                               r.pollution == c.pollution;
                                    }),
                             std::max(c.workingPeak_V, overvoltage));
    }
    if (!table14 || !procedure1) return std::nullopt;
    return table14->value >= procedure1->value ? table14 : procedure1;
}

std::optional<Figure> Creepage(const Conditions& c, const Tables& t) {
    const std::vector<Row>& rows =
        c.grade == Grade::Reinforced ? t.reinforcedCreepage : t.basicCreepage;
    auto creepage = Between(Select(rows,
                                   [&](const Row& r) {
                                       return InTable(r, "Table 17") &&
                                              r.pollution == c.pollution && r.group == c.group;
                                   }),
                            c.workingRms_V);
    if (!creepage || c.frequency_Hz <= kHighFrequency_Hz) return creepage;
    // Above 30 kHz: Table 18 for the frequency's range, at PD1, scaled.
    const std::string_view range = c.frequency_Hz <= 100e3   ? "up to 100 kHz"
                                   : c.frequency_Hz <= 200e3 ? "up to 200 kHz"
                                                             : "up to 400 kHz";
    auto table18 = Between(Select(rows,
                                  [&](const Row& r) {
                                      return InTable(r, "Table 18") &&
                                             r.group.find(range) != std::string::npos;
                                  }),
                           c.workingRms_V);
    if (!table18) return creepage;
    table18->value *= c.pollution == 1 ? 1 : c.pollution == 2 ? 1.2 : 1.4;
    return table18->value > creepage->value ? table18 : creepage;
}

std::optional<Figure> TestVoltage(const Conditions& c, const Tables& t, const Figure& transient) {
    const std::string_view grade = GradeColumn(c.grade);
    const auto of = [&](std::string_view table) {
        return Select(t.testVoltage,
                      [&](const Row& r) { return InTable(r, table) && r.insulation == grade; });
    };
    const auto byTransient = Between(of("Table 25"), transient.value);
    const auto byPeak = Between(of("Table 26"), c.workingPeak_V);
    // Table 27's rows are "up to and including", as the standard writes
    // them: a 250 V mains is tested at the first row's 4 kV, reinforced.
    const std::optional<Figure> byMains = FirstFrom(of("Table 27"), c.mains_Vrms);
    if (!byTransient || !byPeak || !byMains) return std::nullopt;
    Figure largest = *byTransient;
    for (const Figure& f : {*byPeak, *byMains}) {
        if (f.value > largest.value) largest = f;
    }
    return largest;
}

// Thin sheets: two layers that each pass the test, or three of which any two
// pass together (reinforced); one that passes, or two together (basic).
std::optional<int> TapeLayers(Grade grade, double testVoltage_V, const Tape& tape) {
    if (grade == Grade::Functional) return 1;
    const int spare = grade == Grade::Reinforced ? 1 : 0;
    if (tape.breakdown_V >= testVoltage_V) return 1 + spare;
    if (2 * tape.breakdown_V >= testVoltage_V) return 2 + spare;
    return std::nullopt;
}

}  // namespace

std::string_view GradeName(Grade grade) {
    switch (grade) {
        case Grade::Functional:
            return "functional";
        case Grade::Basic:
            return "basic";
        case Grade::Reinforced:
            return "reinforced";
    }
    return {};
}

std::string_view GradeCaption(Grade grade) {
    switch (grade) {
        case Grade::Functional:
            return "功能";
        case Grade::Basic:
            return "基本";
        case Grade::Reinforced:
            return "加强";
    }
    return {};
}

ConditionProblem CheckConditions(const Conditions& c) {
    if (!(c.pollution >= 1 && c.pollution <= 3)) return ConditionProblem::Pollution;
    if (std::find(std::begin(kMaterialGroups), std::end(kMaterialGroups), c.group) ==
        std::end(kMaterialGroups)) {
        return ConditionProblem::Group;
    }
    if (!(c.altitude_m >= 0 && c.altitude_m <= 5000)) return ConditionProblem::Altitude;
    if (std::find(std::begin(kOvervoltageCategories), std::end(kOvervoltageCategories),
                  c.overvoltage) == std::end(kOvervoltageCategories))
        return ConditionProblem::Overvoltage;
    if (!(c.mains_Vrms > 0 && c.mains_Vrms <= 1000)) return ConditionProblem::Mains;
    if (c.grade != Grade::Functional && !(c.mains_Vrms < MainsLimit_Vrms()))
        return ConditionProblem::MainsBeyondTables;
    return ConditionProblem::None;
}

std::string ConditionProblemCaption(ConditionProblem problem) {
    switch (problem) {
        case ConditionProblem::None:
            return {};
        case ConditionProblem::Pollution:
            return "污染等级须为 1、2 或 3。";
        case ConditionProblem::Group:
            return "材料组须为 I、II、IIIa 或 IIIb。";
        case ConditionProblem::Altitude:
            return "海拔须在 0 至 5000 m 之间。";
        case ConditionProblem::Mains:
            return "电网电压须在 0 至 1000 V 之间。";
        case ConditionProblem::Overvoltage:
            return "过电压类别须为 I、II、III 或 IV。";
        case ConditionProblem::MainsBeyondTables:
            return "基本绝缘和加强绝缘的电网电压须低于 " + Volts(MainsLimit_Vrms()) +
                   "（有效值；IEC 62368-1 表 27 的范围，也是该标准适用的范围）。";
    }
    return {};
}

std::optional<double> RatedMains_Vrms(double highest_Vrms) {
    // A DC maximum is the mains' peak rounded: within the slack of a class's
    // tolerance it is that class (373.35 V is 264 V's peak, a 240 V rating),
    // so the insulation is never a class weaker than a certification asks.
    const double reach = highest_Vrms * (1 + kRoundingSlack);
    // Beyond the highest rating's own tolerance no rating covers the input.
    if (highest_Vrms > kNominalMains_Vrms[std::size(kNominalMains_Vrms) - 1] * kMainsTolerance *
                           (1 + kRoundingSlack))
        return std::nullopt;
    std::optional<double> rated;
    for (const double nominal : kNominalMains_Vrms) {
        if (nominal * kMainsTolerance <= reach) rated = nominal;
    }
    return rated;
}

namespace {

double MainsLimitOf(const std::vector<Row>& testVoltages) {
    double limit = 0;
    for (const Row& row : testVoltages) {
        if (InTable(row, "Table 27")) limit = std::max(limit, row.key);
    }
    return limit;
}

}  // namespace

double MainsLimit_Vrms() {
    return MainsLimitOf(BuiltInTestVoltages());
}

double MainsLimit_Vrms(const Tables& t) {
    return MainsLimitOf(t.testVoltage);
}

std::string BeyondTablesCaption(const Conditions& c) {
    if (!(c.mains_Vrms < MainsLimit_Vrms()))
        return ConditionProblemCaption(ConditionProblem::MainsBeyondTables);
    return "绝缘要求超出 IEC 62368-1 表格的范围（初级—次级峰值工作电压 " + Volts(c.workingPeak_V) +
           "，电网电压 " + Volts(c.mains_Vrms) +
           "），查不到电气间隙、爬电距离或耐压；请降低反射电压或输入电压。";
}

std::string TapeCaption(const Tape& tape) {
    // The data names a tape "Tecroll 11B (Polyester, temperature class 130)".
    static constexpr std::pair<std::string_view, std::string_view> kMaterials[] = {
        {"Polyester", "聚酯"},
        {"Polyimide", "聚酰亚胺"},
        {"Aramid", "芳纶"},
        {"Polyethylene terephthalate", "聚酯"}};
    const std::size_t open = tape.name.find(" (");
    if (open == std::string::npos) return tape.name;
    std::string caption = tape.name.substr(0, open);
    const std::string inside = tape.name.substr(open + 2);
    for (const auto& [english, chinese] : kMaterials) {
        if (inside.starts_with(english)) caption += " " + std::string(chinese);
    }
    caption += "胶带";
    const std::size_t klass = inside.find("class ");
    if (klass != std::string::npos) {
        const std::string grade = inside.substr(klass + 6, inside.find(')', klass) - klass - 6);
        caption += "（" + grade + " 级）";
    }
    return caption;
}

const Tape& PlanTape(const Tables& tables) {
    for (const Tape& tape : tables.tapes) {
        if (tape.name.starts_with("Tecroll 11B")) return tape;
    }
    return tables.tapes.front();
}

namespace {

// A distance as a drawing and a certification report give it: rounded up to
// the next 0.1 mm, never below what the tables ask (5.303 mm is 5.4 mm). The
// tolerance keeps a table's own tenth (3.0 mm) from rounding up.
double UpToATenth(double mm) {
    return std::ceil(mm * 10 - 1e-9) / 10;
}

std::optional<Requirements> Read(const Conditions& c, const Tables& t) {
    if (CheckConditions(c) != ConditionProblem::None) return std::nullopt;
    Requirements r;
    r.tape = PlanTape(t);
    if (c.grade == Grade::Functional) return r;
    const auto transient = FirstFrom(
        Select(t.transient, [&](const Row& r) { return r.group == c.overvoltage; }), c.mains_Vrms);
    if (!transient) return std::nullopt;
    r.transient_V = *transient;
    const auto altitude = Between(Select(t.altitude, [](const Row&) { return true; }),
                                  std::max(c.altitude_m, 2000.0));
    const auto clearance = Clearance(c, t, *transient);
    const auto creepage = Creepage(c, t);
    const auto test = TestVoltage(c, t, *transient);
    if (!altitude || !clearance || !creepage || !test) return std::nullopt;
    r.altitudeFactor = *altitude;
    r.clearance_mm = *clearance;
    r.clearance_mm.value = UpToATenth(r.clearance_mm.value * altitude->value);
    r.creepage_mm = *creepage;
    r.creepage_mm.value = std::max(UpToATenth(creepage->value), r.clearance_mm.value);
    r.testVoltage_V = *test;
    r.margin_mm = std::max(r.creepage_mm.value, r.clearance_mm.value) / 2;
    const auto layers = TapeLayers(c.grade, test->value, r.tape);
    if (!layers) return std::nullopt;
    r.tapeLayers = *layers;
    return r;
}

}  // namespace

std::optional<Requirements> Require(const Conditions& c, const Tables& t) {
    if (&t != &BuiltIn()) return Read(c, t);
    // A search of cores asks again for each core's conditions at the same
    // turns ratio: the built-in tables' answers are kept, a few thousand, per
    // thread (the window's adviser runs on several). A pure memo: the answer
    // is the same kept or not, whatever was asked before.
    constexpr std::size_t kKept = 4096;
    thread_local std::map<Conditions, std::optional<Requirements>> kept;
    if (const auto found = kept.find(c); found != kept.end()) return found->second;
    if (kept.size() >= kKept) kept.clear();
    return kept.emplace(c, Read(c, t)).first->second;
}

}  // namespace flyback::insulation

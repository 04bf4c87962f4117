#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winding/plan.hpp"

namespace flyback::plan_sheet {

using winding::Options;
using winding::Plan;
using winding::PlanOutcome;
using winding::PlanWarning;
using winding::Winding;

// The plan as an engineer's winding sheet, in Simplified Chinese, numbers to
// four digits: the words are written once here for every front end.

// Said wherever the plan is shown: it is a second model, not the chain's.
inline constexpr std::string_view kPremise =
    "绕制方案是在原计算方法的七个结果之上的第二个模型：取整数匝，用目录中的实际磁芯、材料与导线，"
    "按最低输入电压、满载时的工作点（未选时为临界连续导通）重新计算；七个结果不因此改变。"
    "制作按绕制方案。";

inline constexpr std::string_view kTitle = "绕制方案";

// What the plan's first line says before anything else: that it is of a
// doubtful input as typed ("注意：输入可疑，…"), one line each; none when the
// inputs look as meant.
std::vector<std::string> Headlines(const PlanOutcome& outcome);

// One row of the windings table per winding, under these headings.
inline constexpr std::size_t kWindingColumns = 10;
using WindingRow = std::array<std::string, kWindingColumns>;
extern const std::array<std::string_view, kWindingColumns> kWindingHeadings;
std::vector<WindingRow> WindingRows(const Plan& plan);

// One row per operating corner, under these headings; as lines too
// ("工作点：输出短路", "输入电压 375 V，…").
inline constexpr std::string_view kCornersTitle = "工作点";
inline constexpr std::size_t kCornerColumns = 10;
using CornerRow = std::array<std::string, kCornerColumns>;
extern const std::array<std::string_view, kCornerColumns> kCornerHeadings;
std::vector<CornerRow> CornerRows(const Plan& plan);

struct SheetLine {
    std::string caption;
    std::string value;
};
// The same rows, each winding as one line: "初级绕组", "匝数 108 匝，导线 …".
std::vector<SheetLine> WindingLines(const Plan& plan);
std::vector<SheetLine> CornerLines(const Plan& plan);
// Core, turns, flux density, gap, fill, losses, temperature, clamp, stresses.
std::vector<SheetLine> PlanLines(const Plan& plan);
// The options the plan was made with.
std::vector<SheetLine> OptionLines(const Options& options);

// The words of a plan's parts, for the build sheet too: the wire
// ("0.56 mm 漆包线 × 2 股"), the core with its material, the bobbin's window,
// the gap, and the insulation between primary and secondary with the table
// row each figure came from.
std::string WireText(const Winding& w);
// What decided the winding's conductor, by the winder's rules: "绕制规则允许的导线中损耗最低".
std::string ConductorReasonText(const Plan& plan, const Winding& w);
// The makers' sets of the plan's core and material in stock, the gap that
// matches first, each with its reference and the price of its day; that the
// data has none, where it has none.
std::string StockText(const Plan& plan);
std::string CoreText(const Plan& plan);
std::string BobbinText(const catalogue::Core& core);
std::string GapText(const Plan& plan);
std::vector<SheetLine> InsulationLines(const Plan& plan);
// How the secondaries are insulated, and where the plan chose it, what the
// other construction gave: "次级三层绝缘线（自动选择；挡墙胶带：绕线总高 6 mm，放不下，…）".
std::string ConstructionText(const Plan& plan);
// The test voltage between primary and secondary, with its table row; none
// for functional insulation, which has no safety test.
std::optional<std::string> TestVoltageText(const Plan& plan);

// The build's capacitances in words (or why there are none), and the
// drain's capacitance with its rings.
std::string CapacitanceText(const Plan& plan);
// The leakage between each pair of windings, referred to the primary.
std::string LeakageMatrixText(const Plan& plan);
// Several outputs' voltages at the corners of their loads (the summary, then
// a line a corner); none with a single output.
std::vector<SheetLine> CrossRegulationLines(const Plan& plan);
std::string RingText(const Plan& plan);

// Why there is no plan, in Chinese for people ("各输出的功率之和为 0，…");
// empty where there is a plan.
std::string FailureText(const PlanOutcome& outcome);

// A warning of the plan as one line: "注意：…".
std::string WarningLine(const PlanWarning& warning);

// The section "绕制方案" of the report: the premise, the options, then the plan
// or why there is none. `pictures`: HTML placed after the windings table (the
// drawings, which are made above this library).
std::string HtmlSection(const PlanOutcome& outcome, const Options& options,
                        std::string_view pictures = {});

// Lines as a report's table of two columns under these headings.
void AppendLinesTable(std::string& html, const std::vector<SheetLine>& lines,
                      std::string_view captionHeading, std::string_view captionWidth,
                      std::string_view valueHeading, std::string_view valueWidth);

// The same as tab-separated rows after the copy of the record: caption, text.
std::string TabSeparated(const PlanOutcome& outcome, const Options& options);

}  // namespace flyback::plan_sheet

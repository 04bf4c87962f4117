#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pins/pins.hpp"
#include "pins/winding_ends.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "record/design_record.hpp"
#include "report/html_report.hpp"
#include "winding/plan.hpp"

namespace flyback::build_sheet {

// The transformer as a winding shop builds it and a safety engineer signs it:
// the windings with their pins and dots, the steps in order, the materials
// and the electrical tests, in Simplified Chinese, from a winding plan.

inline constexpr std::string_view kTitle = "变压器规格书";

using pins::kHighestPin;
using pins::kPinsUnread;
using pins::Pins;
using pins::PinsText;
using pins::ReadPins;

using pins::Ends;
using pins::PinsOf;

// What is wrong with the pins, as data: a pin beyond 1 to kHighestPin
// (`who`'s), or one pin holding two windings' ends (`who`'s and `other`'s,
// by their captions); the first found.
struct PinsClash {
    enum class Kind { None, OutOfRange, Shared };
    Kind kind = Kind::None;
    int pin = 0;
    std::string who, other;

    explicit operator bool() const { return kind != Kind::None; }
};
PinsClash CheckPins(const winding::Plan& plan, const Pins& pins);
// The clash as each front end says it, in Chinese; empty for none.
std::string PinsClashCaption(const PinsClash& clash);

// One step of the winding instructions per winding, in the order wound.
inline constexpr std::size_t kStepColumns = 8;
using StepRow = std::array<std::string, kStepColumns>;
extern const std::array<std::string_view, kStepColumns> kStepHeadings;

struct Sheet {
    std::vector<StepRow> steps;
    std::vector<plan_sheet::SheetLine> materials;
    std::vector<plan_sheet::SheetLine> tests;  // the electrical tests, "耐压测试" among them
    std::vector<plan_sheet::SheetLine> notes;  // how to wind: direction, margins, leads
};

Sheet SheetOf(const winding::Plan& plan, const Pins& pins);

// The windings' schematic as SVG: the core between the primary side and the
// secondary side, each winding with its dot, its turns and its pins.
// Drawn for `width` CSS pixels (a phone's, or the page's 640): the pins
// reach out from the coils as far as it allows, at least 100 pixels.
std::string Schematic(const winding::Plan& plan, const Pins& pins, double width = 640);

// The sheet as a report's section, on a page of its own: the title, the
// schematic (unless a front end shows it apart: Qt's rich text draws no SVG),
// the steps, the materials and the tests; why there is none when there is no
// plan or the pins clash. A page whose content policy refuses inline styles
// asks for the section without its page break (`ownPage` false) and breaks
// the page in its own style sheet.
std::string HtmlSection(const winding::PlanOutcome& outcome, const Pins& pins,
                        bool withSchematic = true, bool ownPage = true);

// The sheet alone as one page for the winding shop, in the report's style,
// the core, material and primary turns under its title.
std::string HtmlDocument(const winding::PlanOutcome& outcome, const Pins& pins,
                         std::string_view date, bool withSchematic = true);

// The same as tab-separated rows: caption, text.
std::string TabSeparated(const winding::PlanOutcome& outcome, const Pins& pins);

// The report's sections after the design's record: the winding plan with its
// pictures, then the sheet.
std::string ReportSections(const winding::PlanOutcome& outcome, const winding::Options& options,
                           const Pins& pins);

// What leads the report when there is a plan: the plan's sections and the
// figures set beside the original method's (core, Lp, gap, turns).
std::optional<report::LeadingPlan> ReportLead(const winding::PlanOutcome& outcome,
                                              const winding::Options& options, const Pins& pins);

// The whole report of a press and its plan: led by the plan and the sheet when
// there is a plan (what is built), the original method's results after it as
// the first estimate; without one, the record, then why there is no plan.
std::string Report(const record::DesignRecord& record, std::string_view date, bool lastPress,
                   const winding::PlanOutcome& outcome, const winding::Options& options,
                   const Pins& pins);

}  // namespace flyback::build_sheet

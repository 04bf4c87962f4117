#include "plan_sheet/plan_sheet.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "record/design_record.hpp"
#include "report/html_report.hpp"

namespace flyback::plan_sheet {
namespace {

using winding::Options;
using winding::Plan;
using winding::PlanOutcome;

const catalogue::Catalogue& Parts() {
    static const catalogue::Catalogue parts = catalogue::BuiltIn();
    return parts;
}

// The tab-separated copy as a spreadsheet reads it: the first cell of each
// row against its second, the first row of a caption kept.
std::map<std::string, std::string> Rows(const std::string& tsv) {
    std::map<std::string, std::string> rows;
    std::size_t at = 0;
    while (at < tsv.size()) {
        const std::size_t end = tsv.find('\n', at);
        const std::string row = tsv.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = row.find('\t');
        const std::size_t next = row.find('\t', tab + 1);
        rows.emplace(row.substr(0, tab), row.substr(tab + 1, next - tab - 1));
    }
    return rows;
}

// A figure as the sheet writes it ("1.234 mH", "0.3 T", "2.5 mm"), read
// back in the unit given: the number, then an SI prefix where the unit
// takes one.
double ReadBack(std::string_view text, std::string_view unit) {
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    EXPECT_EQ(error, std::errc()) << text;
    std::string_view rest = text.substr(static_cast<std::size_t>(end - text.data()));
    if (rest.starts_with(" ")) rest.remove_prefix(1);
    static const std::pair<std::string_view, double> kPrefixes[] = {
        {"p", 1e-12}, {"n", 1e-9}, {"µ", 1e-6}, {"m", 1e-3}, {"k", 1e3}, {"M", 1e6}};
    for (const auto& [prefix, scale] : kPrefixes) {
        if (!unit.empty() && rest.starts_with(prefix) &&
            rest.substr(prefix.size()).starts_with(unit))
            return number * scale;
    }
    return number;
}

struct Supply {
    const char* name;
    numtext::InputTexts texts;
    void (*change)(Options&);
};

const Supply kSupplies[] = {
    {"60 W", {"60", "373", "249", "100", "80", "24"}, [](Options&) {}},
    {"18 W valley-switched",
     {"18", "374.77", "100.45", "65", "85", "12"},
     [](Options& o) { o.choices.conduction = winding::Conduction::QuasiResonant; }},
    {"three outputs",
     {"60", "368", "200", "65", "80", "5"},
     [](Options& o) {
         o.choices.outputs = {{5, 2, 0.5}, {12, 1.2, 0.7}, {30, 0.02, 0.7}};
         o.maxRise_K = 35;
     }},
};

// Every figure of the copy reads back as the plan's own number to the four
// digits it is written with, in the unit it names; each option as set; a
// row for each warning.
TEST(PlanSheetTest, TheCopyReadsBackAsThePlansNumbers) {
    for (const Supply& s : kSupplies) {
        SCOPED_TRACE(s.name);
        Options options;
        s.change(options);
        const PlanOutcome outcome =
            winding::PlanWinding(record::RecordPress(s.texts), options, Parts());
        ASSERT_TRUE(outcome.plan) << winding::PlanFailureName(outcome.failure);
        const Plan& p = *outcome.plan;
        const std::string tsv = TabSeparated(outcome, options);
        const std::map<std::string, std::string> rows = Rows(tsv);
        const struct {
            const char* caption;
            std::string_view unit;
            double expected;
        } figures[] = {
            {"最大占空比 Dmax'", "", p.Dmax},
            {"初级电感 Lp'", "H", p.Lp_H},
            {"初级峰值电流 Ipk'", "A", p.Ipk_A},
            {"电感系数 AL", "nH", p.AL_nH},
            {"趋肤深度（100 °C）", "mm", p.skinDepth_mm},
            {"绕线高度", "mm", p.build_mm},
            {"铜填充系数", "", p.fill},
            {"选项：Bmax", "T", options.Bmax_T},
            {"选项：热点温度上限", "°C", options.hotLimit_C},
            {"选项：温升上限", "K", options.maxRise_K},
        };
        for (const auto& f : figures) {
            const auto row = rows.find(f.caption);
            ASSERT_NE(row, rows.end()) << f.caption;
            EXPECT_NEAR(ReadBack(row->second, f.unit), f.expected, 5e-4 * std::fabs(f.expected))
                << f.caption << ": " << row->second;
        }
        std::size_t warned = 0;
        for (std::size_t at = tsv.find("\n警告\t"); at != std::string::npos;
             at = tsv.find("\n警告\t", at + 1))
            ++warned;
        EXPECT_EQ(warned, p.warnings.size());
    }
}

// The report's section holds the same lines as the copy, each escaped once.
TEST(PlanSheetTest, TheReportsSectionHoldsEveryLineOfTheCopy) {
    const Options options;
    const PlanOutcome outcome = winding::PlanWinding(
        record::RecordPress({"60", "373", "249", "100", "80", "24"}), options, Parts());
    ASSERT_TRUE(outcome.plan);
    const std::string html = HtmlSection(outcome, options);
    for (const SheetLine& line : PlanLines(*outcome.plan)) {
        EXPECT_NE(html.find(report::HtmlEscape(line.value)), std::string::npos) << line.caption;
    }
    for (const SheetLine& line : OptionLines(options)) {
        EXPECT_NE(html.find(report::HtmlEscape(line.caption + " " + line.value)), std::string::npos)
            << line.caption;
    }
}

}  // namespace
}  // namespace flyback::plan_sheet

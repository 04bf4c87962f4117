#include "report/tab_separated.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "record/design_record.hpp"

namespace flyback::report {
namespace {

const numtext::InputTexts kDefaults = {"60", "368", "200", "20", "75", "5"};

TEST(TabSeparatedTest, TabSeparatedRowsHaveFourCells) {
    numtext::InputTexts inputs = kDefaults;
    inputs[0] = "60\tW\n";
    const std::string tsv = TabSeparated(record::RecordPress(inputs));
    std::size_t rows = 0;
    for (std::size_t start = 0, end; (end = tsv.find('\n', start)) != std::string::npos;
         start = end + 1, ++rows) {
        const std::string row = tsv.substr(start, end - start);
        EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 3) << row;
    }
    EXPECT_EQ(rows, 1 + 6 + 7 + record::kQuantities.size());
    EXPECT_NE(tsv.find("初级电感量\t 1.75mH\t0.0017578125\tH\n"), std::string::npos) << tsv;
}

TEST(TabSeparatedTest, TypedFormulaIsPastedAsText) {
    const struct {
        const char* typed;
        const char* cell;
    } cases[] = {{"=1+1", "'=1+1"}, {"@SUM(A1)", "'@SUM(A1)"}, {"+60W", "'+60W"}, {"-60W", "'-60W"},
                 {"-60", "-60"},    {"+1.5e3", "+1.5e3"},      {"60=", "60="}};
    for (const auto& c : cases) {
        numtext::InputTexts inputs = kDefaults;
        inputs[0] = c.typed;
        const std::string tsv = TabSeparated(record::RecordPress(inputs));
        EXPECT_NE(tsv.find("输出功率 W\t" + std::string(c.cell) + "\t"), std::string::npos)
            << c.typed << "\n"
            << tsv;
    }
}

}  // namespace
}  // namespace flyback::report

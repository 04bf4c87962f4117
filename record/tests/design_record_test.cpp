#include "record/design_record.hpp"
#include "numtext/boxes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "runtime/error.hpp"

namespace flyback::record {
namespace {

const numtext::InputTexts kDefaults = {"60", "368", "200", "20", "75", "5"};

std::vector<std::string> Symbols(const DesignRecord& record) {
    std::vector<std::string> symbols;
    for (const QuantityValue& value : record.quantities)
        symbols.emplace_back(value.quantity->symbol);
    return symbols;
}

TEST(DesignRecordTest, SymbolsUnitsAndOrderAreFixed) {
    const std::vector<std::string> expected = {
        "P",      "Vmax", "Vmin", "f",  "eta", "Vo",  "Ae_req", "core", "Ae", "B",   "Vor",
        "Vspike", "Vceo", "Dmax", "Lp", "Ipk", "Isc", "W",      "FG",   "Np", "gap", "Ns"};
    const DesignRecord record = RecordPress(kDefaults);
    EXPECT_EQ(Symbols(record), expected);
    const std::vector<std::string> units = {
        "W", "V", "V", "Hz", "",  "V", "cm²", "",         "cm²",   "gauss", "V",
        "V", "V", "",  "H",  "A", "A", "J",   "gauss·cm", "turns", "mm",    "turns"};
    for (std::size_t i = 0; i < kQuantities.size(); ++i) EXPECT_EQ(kQuantities[i].unit, units[i]);
}

// The worked example, each value computed here on its own.
// The box table's symbols name the quantities: the inputs the first six.
TEST(DesignRecordTest, BoxesNameTheirQuantities) {
    for (const auto& box : numtext::kInputBoxes) {
        EXPECT_EQ(kQuantities.at(static_cast<std::size_t>(Index(box.input))).symbol, box.symbol);
    }
    for (const auto& box : numtext::kResultBoxes) {
        EXPECT_NE(FindQuantity(box.symbol), nullptr) << box.symbol;
    }
}

TEST(DesignRecordTest, WorkedExampleHoldsEveryQuantity) {
    const DesignRecord record = RecordPress(kDefaults);
    const double Vor = 368.0 * 120 / 368, D = Vor / (Vor + 200);
    const double Lp = 0.75 * (200 * D) * (200 * D) / (2 * 60 * 20000.0);
    const double Ipk = 2 * 60 / (0.75 * 200 * D), Isc = 1.3 * Ipk;
    const struct {
        std::string symbol;
        double value;
    } expected[] = {{"f", 20000},         {"eta", 0.75},
                    {"Ae", 1.44},         {"Vor", 120},
                    {"Vceo", 588},        {"Dmax", 0.375},
                    {"Lp", 0.0017578125}, {"Ipk", Ipk},
                    {"Isc", Isc},         {"W", Lp * Isc * Isc / 2}};
    for (const auto& e : expected) {
        const QuantityValue* value = record.Find(e.symbol);
        ASSERT_NE(value, nullptr) << e.symbol;
        EXPECT_DOUBLE_EQ(value->number, e.value) << e.symbol;
        EXPECT_EQ(std::stod(value->text), value->number) << e.symbol << " reads back";
    }
    EXPECT_NEAR(record.Find("W")->number, 0.00676, 1e-12);
    EXPECT_EQ(record.Find("core")->text, "EE12");
    EXPECT_EQ(*record.outcome.Text(6), " 1.75mH");
    EXPECT_FALSE(record.outcome.error);
    EXPECT_EQ(FormulaWithNumbers(*FindQuantity("Dmax"), record),
              "Dmax = 120 ÷ (120 + 200) = 0.375");
    EXPECT_EQ(FormulaInSymbols(*FindQuantity("Vceo")), "Vceo = Vmax + Vor + Vspike");
}

TEST(DesignRecordTest, FaultingPressEndsWhereTheChainStopped) {
    struct Case {
        numtext::InputTexts inputs;
        std::string lastReached;  // "" when nothing of the chain was reached
        int inputsRead;
        runtime::ErrorKind error;
    };
    const Case cases[] = {
        {{"0", "368", "200", "20", "75", "5"}, "Dmax", 6, runtime::ErrorKind::DivisionByZero},
        {{"60", "368", "200", "", "75", "5"}, "Vo", 6, runtime::ErrorKind::DivisionByZero},
        {{"60", "368", "0", "20", "75", "5"}, "Lp", 6, runtime::ErrorKind::DivisionByZero},
        {{"60", "368", "200", "20", "75", "1e999"}, "eta", 5, runtime::ErrorKind::Overflow},
        {{"60", "368", "200", "1e306", "75", "5"}, "Vmin", 4, runtime::ErrorKind::FloatingPoint},
    };
    for (const Case& c : cases) {
        const DesignRecord record = RecordPress(c.inputs);
        ASSERT_EQ(record.outcome.error, c.error) << c.lastReached;
        EXPECT_EQ(record.quantities.back().quantity->symbol, c.lastReached);
        int read = 0;
        for (const auto& value : record.inputValues) read += value.has_value();
        EXPECT_EQ(read, c.inputsRead) << c.lastReached;
        for (const QuantityValue& value : record.quantities) {
            EXPECT_FALSE(std::isnan(value.number) && value.quantity->value != nullptr);
        }
    }
}

TEST(DesignRecordTest, VisibleTextShowsControlsAsPictures) {
    EXPECT_EQ(VisibleText("a\x1B]0;T\x07"), "a\u241B]0;T\u2407");
    EXPECT_EQ(VisibleText(std::string_view("\0\t\n\x7F", 4)), "\u2400\u2409\u240A\u2421");
    EXPECT_EQ(VisibleText("\xC2\x9B"
                          "1m\xC2\xA0"),
              "\uFFFD"
              "1m\u00A0");  // C1 CSI; no-break space kept
    EXPECT_EQ(VisibleText("60 W \xE2\x80\x9C\xFF"), "60 W \u201C\uFFFD");
}

TEST(DesignRecordTest, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(ValidUtf8("a\xFF\xC3\xA9\xE6\x88"), "a\xEF\xBF\xBD\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // a surrogate
}

}  // namespace
}  // namespace flyback::record

#include "design/core_size_table.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace flyback::design {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct SelectCase {
    std::string name;
    double requiredArea;
    std::string coreType;
    double coreArea;
    friend void PrintTo(const SelectCase& c, std::ostream* os) { *os << c.name; }
};

class SelectCoreTest : public testing::TestWithParam<SelectCase> {};

TEST_P(SelectCoreTest, ChoosesTheFirstRowThatFits) {
    const SelectCase& c = GetParam();
    const CoreSelection selection = SelectCore(c.requiredArea);
    EXPECT_EQ(selection.Core != nullptr ? selection.Core->CoreType : "none", c.coreType);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(selection.CoreArea),
              std::bit_cast<std::uint64_t>(c.coreArea));
}

std::vector<SelectCase> RowCases() {
    std::vector<SelectCase> cases;
    for (std::size_t i = 0; i < CoreSizeTable.size(); ++i) {
        const CoreSize& row = CoreSizeTable[i];
        const std::string id = "Row" + std::to_string(i + 1);
        cases.push_back({id + "AtLimit", row.AreaLimit, std::string(row.CoreType), row.AreaLimit});
        const double above = std::nextafter(row.AreaLimit, kInfinity);
        if (i + 1 < CoreSizeTable.size()) {
            const CoreSize& next = CoreSizeTable[i + 1];
            cases.push_back({id + "JustAbove", above, std::string(next.CoreType), next.AreaLimit});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryRow, SelectCoreTest, testing::ValuesIn(RowCases()),
                         [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(Edges, SelectCoreTest,
                         testing::Values(SelectCase{"Zero", 0, "EE8.3", 0.09},
                                         SelectCase{"NegativeZero", -0.0, "EE8.3", 0.09},
                                         SelectCase{"BetweenRows", 0.1, "EE4", 0.16},
                                         SelectCase{"GapBetween049And144", 1.0, "EE12", 1.44},
                                         SelectCase{"JustAboveFour", std::nextafter(4.0, kInfinity),
                                                    "none", std::nextafter(4.0, kInfinity)},
                                         SelectCase{"AboveFour", 6.708203932499369, "none",
                                                    6.708203932499369},
                                         SelectCase{"Huge", 1.5e149, "none", 1.5e149}),
                         [](const auto& info) { return info.param.name; });

TEST(CoreSizeTableTest, HoldsTheCoresInOrderWithTheirLimits) {
    const struct {
        std::uint64_t limitBits;
        std::string_view coreType;
    } expected[] = {
        {0x3FB70A3D70A3D70A, "EE8.3"},
        {std::bit_cast<std::uint64_t>(0.16), "EE4"},
        {std::bit_cast<std::uint64_t>(0.18), "E3x6"},
        {std::bit_cast<std::uint64_t>(0.25), "EE5 or E4x6"},
        {std::bit_cast<std::uint64_t>(0.36), "EE6 or E5x7"},
        {std::bit_cast<std::uint64_t>(0.49), "EE7 or E6x9"},
        {std::bit_cast<std::uint64_t>(1.44), "EE12"},
        {std::bit_cast<std::uint64_t>(2.89), "EE17"},
        {std::bit_cast<std::uint64_t>(4.0), "EE20"},
    };
    ASSERT_EQ(std::size(expected), CoreSizeTable.size());
    for (std::size_t i = 0; i < CoreSizeTable.size(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(CoreSizeTable[i].AreaLimit), expected[i].limitBits)
            << "row " << i + 1;
        EXPECT_EQ(CoreSizeTable[i].CoreType, expected[i].coreType) << "row " << i + 1;
    }
}

}  // namespace
}  // namespace flyback::design

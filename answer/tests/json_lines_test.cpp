#include "answer/json_lines.hpp"
#include "answer/answer_details.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "record/design_record.hpp"

namespace flyback::answer {
namespace {

std::vector<nlohmann::json> Answers(const std::string& input, JsonLinesSummary* summary = nullptr) {
    std::istringstream in(input);
    std::ostringstream out;
    const JsonLinesSummary result = AnswerJsonLines(in, out);
    if (summary != nullptr) *summary = result;
    std::vector<nlohmann::json> answers;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        answers.push_back(nlohmann::json::parse(line));
    return answers;
}

std::string ErrorKindOf(const nlohmann::json& answer) {
    return answer["error"].is_null() ? "none" : answer["error"]["kind"].get<std::string>();
}

const std::string kDefaultsLine = R"(["60","368","200","20","75","5"])";

TEST(JsonLinesTest, AnswersEachLineInOrder) {
    JsonLinesSummary summary;
    const auto answers = Answers(kDefaultsLine + "\n" + R"(["0","368","200","20","75","5"])" +
                                     "\n" + kDefaultsLine,  // the last line has no line feed
                                 &summary);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(ErrorKindOf(answers[0]), "none");
    EXPECT_EQ(answers[0]["results"].size(), 7u);
    EXPECT_EQ(ErrorKindOf(answers[1]), "division_by_zero");
    EXPECT_EQ(answers[1]["results"].size(), 2u);
    EXPECT_EQ(answers[2], answers[0]);
    EXPECT_EQ(summary.requests, 3u);
    EXPECT_EQ(summary.badRequests, 0u);
}

struct BadLineCase {
    std::string name;
    std::string line;
    friend void PrintTo(const BadLineCase& c, std::ostream* os) { *os << c.name; }
};

class BadRequestTest : public testing::TestWithParam<BadLineCase> {};

TEST_P(BadRequestTest, IsAnsweredAndTheNextLineStillRuns) {
    JsonLinesSummary summary;
    const auto answers = Answers(GetParam().line + "\n" + kDefaultsLine + "\n", &summary);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(ErrorKindOf(answers[0]), "bad_request");
    EXPECT_TRUE(answers[0]["results"].empty());
    EXPECT_FALSE(answers[0]["error"]["message"].get<std::string>().empty());
    EXPECT_EQ(ErrorKindOf(answers[1]), "none");
    EXPECT_EQ(summary.badRequests, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    All, BadRequestTest,
    testing::Values(BadLineCase{"Empty", ""}, BadLineCase{"NotJson", "60 368 200 20 75 5"},
                    BadLineCase{"Truncated", R"(["60","368")"},
                    BadLineCase{"Object", R"({"P":"60"})"},
                    BadLineCase{"FiveTexts", R"(["60","368","200","20","75"])"},
                    BadLineCase{"SevenTexts", R"(["60","368","200","20","75","5","1"])"},
                    BadLineCase{"Booleans", "[true,368,200,20,75,5]"},
                    BadLineCase{"BadNumber", "[60,368,200,20,75,05]"},
                    BadLineCase{"HugeNumberThenBadNumber", "[1e309,368,200,20,75,1.2.3]"},
                    BadLineCase{"NestedArray", R"([["60"],"368","200","20","75","5"])"},
                    BadLineCase{"TrailingGarbage", kDefaultsLine + "x"},
                    BadLineCase{"InvalidUtf8", "[\"6\xff\",\"368\",\"200\",\"20\",\"75\",\"5\"]"},
                    BadLineCase{"TooLong", "[\"" + std::string(kMaxRequestLine, '1') + "\"]"}),
    [](const auto& info) { return info.param.name; });

// A JSON number is read as the text it was written as, however large.
TEST(JsonLinesTest, NumbersBeyondTheDoubleRangeAreTheirText) {
    const std::string huge = "1" + std::string(400, '0');
    for (const std::string& number : {std::string("1e309"), std::string("-1E+400"), huge}) {
        std::string lines = "[" + number;
        lines.append(",368,200,20,75,5]\n[\"")
            .append(number)
            .append(R"(","368","200","20","75","5"])");
        const auto answers = Answers(lines);
        ASSERT_EQ(answers.size(), 2u);
        EXPECT_NE(ErrorKindOf(answers[0]), "bad_request") << number;
        EXPECT_EQ(answers[0], answers[1]) << number;
    }
}

// A request padded to `length` bytes by its first text.
std::string RequestOfLength(std::size_t length) {
    const std::string rest = R"(","368","200","20","75","5"])";
    return "[\"60" + std::string(length - 4 - rest.size(), ' ') + rest;
}

TEST(JsonLinesTest, LongestLineIsAnsweredAndOneMoreIsTooLong) {
    struct Case {
        std::size_t length;
        std::string ending;
        std::string kind;
    };
    const Case cases[] = {{kMaxRequestLine, "\n", "none"},
                          {kMaxRequestLine, "", "none"},
                          {kMaxRequestLine + 1, "\n", "bad_request"},
                          {kMaxRequestLine + 1, "", "bad_request"},
                          {3 * kMaxRequestLine, "\r\n", "bad_request"}};
    for (const Case& c : cases) {
        JsonLinesSummary summary;
        const auto answers = Answers(RequestOfLength(c.length) + c.ending, &summary);
        ASSERT_EQ(answers.size(), 1u) << c.length;
        EXPECT_EQ(ErrorKindOf(answers[0]), c.kind) << c.length;
        EXPECT_EQ(summary.requests, 1u);
    }
}

std::vector<nlohmann::json> DetailedAnswers(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    AnswerJsonLines(in, out, kDetailedAnswers);
    std::vector<nlohmann::json> answers;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        answers.push_back(nlohmann::json::parse(line));
    return answers;
}

TEST(JsonLinesTest, DetailsHoldTheRecordAndLeaveTheRestAsItWas) {
    const std::vector<numtext::InputTexts> requests = {{"60", "368", "200", "20", "75", "5"},
                                                       {"0", "368", "200", "20", "75", "5"},
                                                       {"12.5", "390", "120", "65", "82", "3.3"},
                                                       {"100", "368", "200", "1", "75", "5"}};
    std::string input;
    for (const auto& r : requests) {
        input += nlohmann::json(std::vector<std::string>(r.begin(), r.end())).dump() + "\n";
    }
    input += "[1]\n";
    const auto plain = Answers(input);
    const auto detailed = DetailedAnswers(input);
    ASSERT_EQ(detailed.size(), requests.size() + 1);
    for (std::size_t i = 0; i < detailed.size(); ++i) {
        nlohmann::json withoutDetails = detailed[i];
        withoutDetails.erase("details");
        withoutDetails.erase("warnings");
        EXPECT_EQ(withoutDetails, plain[i]);
    }
    EXPECT_TRUE(detailed.back()["details"].empty());
    EXPECT_TRUE(detailed.back()["warnings"].empty());
    EXPECT_EQ(detailed[1]["warnings"][0]["code"], "power_not_positive");
    EXPECT_EQ(detailed[1]["warnings"][0]["box"], "Text1_0");
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const record::DesignRecord record = record::RecordPress(requests[i]);
        const auto& details = detailed[i]["details"];
        ASSERT_EQ(details.size(), record.quantities.size());
        for (std::size_t q = 0; q < details.size(); ++q) {
            const record::Quantity& quantity = *record.quantities[q].quantity;
            EXPECT_EQ(details[q]["symbol"], quantity.symbol);
            EXPECT_EQ(details[q]["name"], quantity.name);
            EXPECT_EQ(details[q]["unit"], quantity.unit);
            if (quantity.value == nullptr) {
                EXPECT_EQ(details[q]["value"], record.quantities[q].text);
            } else {  // reads back to the very same double
                EXPECT_EQ(std::bit_cast<std::uint64_t>(details[q]["value"].get<double>()),
                          std::bit_cast<std::uint64_t>(record.quantities[q].number))
                    << quantity.symbol;
            }
        }
    }
}

TEST(JsonLinesTest, NumbersAreReadAsTheTextTheyWereWrittenAs) {
    const auto answers = Answers(kDefaultsLine + "\n[60,368,200,20,75,5]\n" +
                                 R"([6e1,"368",200.0,2E1,75,5])" + "\n");
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[1], answers[0]);
    EXPECT_EQ(answers[2], answers[0]);
}

TEST(JsonLinesTest, AcceptsCarriageReturnsAndEscapes) {
    const auto answers =
        Answers(kDefaultsLine + "\r\n" + R"(["\u0036\u0030","368","200","20","75","5"])" + "\n");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0], answers[1]);
    EXPECT_EQ(ErrorKindOf(answers[0]), "none");
}

TEST(JsonLinesTest, EmbeddedNulIsJustAnotherCharacter) {
    const auto answers =
        Answers(std::string("[\"60\\u0000W\",\"368\",\"200\",\"20\",\"75\",\"5\"]\n"));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(ErrorKindOf(answers[0]), "none");
}

TEST(JsonLinesTest, NoInputNoOutput) {
    JsonLinesSummary summary;
    EXPECT_TRUE(Answers("", &summary).empty());
    EXPECT_EQ(summary.requests, 0u);
}

}  // namespace
}  // namespace flyback::answer

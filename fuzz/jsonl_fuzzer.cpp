// Arbitrary bytes as --jsonl input. Every line must be answered by exactly one
// line of well-formed JSON, with no results and a bad_request error or with a
// calculation's outcome. With --details each answer must be the same plus the
// quantities reached, in the fixed order.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "answer/answer_details.hpp"
#include "answer/json_lines.hpp"
#include "record/quantities.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::size_t CountLines(const std::string& text) {
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

void CheckAnswer(const nlohmann::json& answer) {
    static const std::set<std::string> kKinds = {"division_by_zero", "overflow", "invalid_argument",
                                                 "floating_point", "bad_request"};
    Check(answer.is_object() && answer.size() == 2);
    Check(answer.contains("results") && answer["results"].is_array());
    Check(answer["results"].size() <= 7);
    const auto& error = answer["error"];
    Check(error.is_null() == (answer["results"].size() == 7));
    if (error.is_null()) return;
    Check(error.is_object() && kKinds.count(error.value("kind", "")) == 1);
    if (error["kind"] == "bad_request") Check(answer["results"].empty());
}

std::vector<nlohmann::json> Answers(const std::string& input, bool details) {
    std::istringstream in(input);
    std::ostringstream out;
    const auto summary = flyback::answer::AnswerJsonLines(
        in, out, details ? flyback::answer::kDetailedAnswers : flyback::answer::kPlainAnswers);
    Check(summary.requests == CountLines(input));
    std::vector<nlohmann::json> answers;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        answers.push_back(nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false));
    }
    Check(answers.size() == summary.requests);
    return answers;
}

void CheckDetails(nlohmann::json detailed, const nlohmann::json& plain) {
    Check(detailed.contains("details") && detailed["details"].is_array());
    Check(detailed.contains("warnings") && detailed["warnings"].is_array());
    const auto details = detailed["details"];
    detailed.erase("details");
    detailed.erase("warnings");
    Check(detailed == plain);
    std::size_t next = 0;  // details follow the fixed order, skipping none
    for (const auto& entry : details) {
        Check(next < flyback::record::kQuantities.size());
        const auto& quantity = flyback::record::kQuantities[next++];
        Check(entry["symbol"] == quantity.symbol && entry["unit"] == quantity.unit);
        Check(quantity.value == nullptr ? entry["value"].is_string() : entry["value"].is_number());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto plain = Answers(input, false);
    for (const auto& answer : plain) CheckAnswer(answer);
    const auto detailed = Answers(input, true);
    Check(detailed.size() == plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) CheckDetails(detailed[i], plain[i]);
    return 0;
}

// Arbitrary bytes as --jsonl input. Every line must be answered by exactly one
// line of well-formed JSON, with no results and a bad_request error or with a
// calculation's outcome.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "cli/json_lines.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::size_t CountLines(const std::string& text) {
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

void CheckAnswer(const std::string& line) {
    static const std::set<std::string> kKinds = {"division_by_zero", "overflow", "invalid_argument",
                                                 "floating_point", "bad_request"};
    const auto answer = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
    Check(answer.is_object() && answer.size() == 2);
    Check(answer.contains("results") && answer["results"].is_array());
    Check(answer["results"].size() <= 7);
    const auto& error = answer["error"];
    Check(error.is_null() == (answer["results"].size() == 7));
    if (error.is_null()) return;
    Check(error.is_object() && kKinds.count(error.value("kind", "")) == 1);
    if (error["kind"] == "bad_request") Check(answer["results"].empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    std::ostringstream out;
    const auto summary = flyback::cli::AnswerJsonLines(in, out);
    Check(summary.requests == CountLines(input));
    std::istringstream answers(out.str());
    std::size_t count = 0;
    for (std::string line; std::getline(answers, line); ++count) CheckAnswer(line);
    Check(count == summary.requests);
    return 0;
}

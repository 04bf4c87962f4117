#pragma once

#include <string>

#include "answer/json_lines.hpp"
#include "record/design_record.hpp"

namespace flyback::answer {

// The answer of a press with its whole record after "error" (--details):
//   "details":[{"symbol":"P","name":"输出功率","unit":"W","value":60},...],
//   "warnings":[{"code":"frequency_too_high","box":"Text1_3","message":...}]
// each value a JSON number that reads back as the same double (the core type's
// value is its text). Everything before "details" is the plain answer.
void AppendDetailedAnswer(const record::DesignRecord& record, std::string& out);

// --jsonl --details: presses answered so, bad requests with both arrays empty.
extern const AnswerStyle kDetailedAnswers;

}  // namespace flyback::answer

#include "answer/answer_details.hpp"

#include "answer/answer_json.hpp"

namespace flyback::answer {

namespace {

void AppendDetails(const record::DesignRecord& record, std::string& out) {
    out += "\"details\":[";
    bool first = true;
    for (const record::QuantityValue& value : record.quantities) {
        if (!first) out += ',';
        first = false;
        const record::Quantity& quantity = *value.quantity;
        out += "{\"symbol\":";
        AppendJsonString(out, quantity.symbol);
        out += ",\"name\":";
        AppendJsonString(out, quantity.name);
        out += ",\"unit\":";
        AppendJsonString(out, quantity.unit);
        out += ",\"value\":";
        if (quantity.value == nullptr) {
            AppendJsonString(out, value.text);
        } else {
            out += value.text;
        }
        out += '}';
    }
    out += ']';
}

void AppendWarnings(const record::DesignRecord& record, std::string& out) {
    out += "\"warnings\":[";
    bool first = true;
    for (const record::Warning& warning : record.warnings) {
        if (!first) out += ',';
        first = false;
        out += "{\"code\":";
        AppendJsonString(out, warning.code);
        out += ",\"box\":";
        AppendJsonString(out, warning.BoxName());
        out += ",\"strength\":";
        AppendJsonString(out, warning.StrengthName());
        out += ",\"message\":";
        AppendJsonString(out, warning.message);
        out += '}';
    }
    out += ']';
}

void AnswerPressWithDetails(const numtext::InputTexts& inputs, std::string& out) {
    AppendDetailedAnswer(record::RecordPress(inputs), out);
}

void AnswerBadRequestWithDetails(std::string_view problem, std::string& out) {
    AnswerJson(out).BadRequest(problem);
    out.pop_back();
    out += ",\"details\":[],\"warnings\":[]}";
}

}  // namespace

void AppendDetailedAnswer(const record::DesignRecord& record, std::string& out) {
    AnswerJson(out).Outcome(record.outcome);
    out.pop_back();  // the closing brace
    out += ',';
    AppendDetails(record, out);
    out += ',';
    AppendWarnings(record, out);
    out += '}';
}

const AnswerStyle kDetailedAnswers{AnswerPressWithDetails, AnswerBadRequestWithDetails};

}  // namespace flyback::answer

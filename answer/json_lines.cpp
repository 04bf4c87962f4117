#include "answer/json_lines.hpp"

#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "answer/answer_json.hpp"
#include "answer/line_reader.hpp"
#include "numtext/run_calculation.hpp"

namespace flyback::answer {
namespace {

constexpr std::string_view kNotJson = "请求不是有效的 JSON";
constexpr std::string_view kNotSixTexts = "请求须为六个字符串组成的 JSON 数组";
constexpr std::string_view kTooLong = "请求行过长（上限 1 MiB）";

// Collects the texts of a request, a JSON array of exactly six strings, and
// stops the parser at the first thing that cannot belong to one.
class RequestHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RequestHandler> {
  public:
    bool StartArray() {
        if (inArray_) return false;  // a nested array
        inArray_ = true;
        return true;
    }
    bool String(const char* text, rapidjson::SizeType length, bool /*copy*/) {
        if (!inArray_ || count_ == numtext::kInputCount) return false;
        texts_[count_++].assign(text, length);
        return true;
    }
    // A number where a text belongs is read as the text it was written as, so
    // that [60,368,200,20,75,5] means what ["60","368",...] means.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool copy) {
        return String(text, length, copy);
    }
    bool EndArray(rapidjson::SizeType) { return count_ == numtext::kInputCount; }
    bool Default() { return false; }  // any other value

    numtext::InputTexts Inputs() const { return numtext::ViewsOf(texts_); }

    void Reset() {
        inArray_ = false;
        count_ = 0;
    }

  private:
    bool inArray_ = false;
    int count_ = 0;
    std::array<std::string, numtext::kInputCount> texts_;
};

bool IsPlainTextByte(char c) {
    return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
}

// The form nearly every request takes, ["60","368","200","20","75","5"]: no
// blanks, escapes or non-ASCII bytes. Read in place; anything else goes to
// the general parser, which would read the same texts from this form.
bool ParsePlainRequest(std::string_view line, numtext::InputTexts& texts) {
    const char* p = line.data();
    const char* const end = p + line.size();
    if (p == end || *p++ != '[') return false;
    for (int i = 0; i < numtext::kInputCount; ++i) {
        if (p == end || *p++ != '"') return false;
        const char* const start = p;
        while (p != end && IsPlainTextByte(*p)) ++p;
        if (p == end || *p != '"') return false;
        texts[i] = std::string_view(start, static_cast<std::size_t>(p - start));
        if (++p == end || *p++ != (i + 1 == numtext::kInputCount ? ']' : ',')) return false;
    }
    return p == end;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view token) {
    std::size_t i = token.starts_with('-') ? 1 : 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < token.size() && IsDigit(token[i])) ++i;
        return i - start;
    };
    const std::size_t whole = digits();
    if (whole == 0 || (whole > 1 && token[i - whole] == '0')) return false;
    if (i < token.size() && token[i] == '.' && (++i, digits() == 0)) return false;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == token.size();
}

// The line with each number outside strings put in quotes. The parser refuses
// a number beyond the double range ("1e309") before it hands over its text;
// quoted, it is the text it was written as, like every other number.
std::string NumbersQuoted(std::string_view line) {
    std::string quoted;
    quoted.reserve(line.size() + 16);
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool startsNumber = c == '-' || IsDigit(c);
        if (inString || !startsNumber) {
            if (inString && c == '\\' && i + 1 < line.size()) {
                quoted += c;
                quoted += line[++i];
                continue;
            }
            if (c == '"') inString = !inString;
            quoted += c;
            continue;
        }
        const std::size_t end = std::min(line.find_first_not_of("+-.0123456789eE", i), line.size());
        const std::string_view token = line.substr(i, end - i);
        if (IsJsonNumber(token)) {
            quoted.append("\"").append(token).append("\"");
        } else {
            quoted.append(token);  // stays as wrong as it was
        }
        i = end - 1;
    }
    return quoted;
}

void AnswerPress(const numtext::InputTexts& inputs, std::string& out) {
    AnswerJson answer(out);
    answer.Start();
    try {
        numtext::RunCalculation(inputs,
                                [&](int box, std::string_view text) { answer.Result(box, text); });
        answer.Finish(std::nullopt);
    } catch (const runtime::RuntimeError& error) {
        answer.Finish(error.kind());
    }
}

void AnswerBadRequest(std::string_view problem, std::string& out) {
    AnswerJson(out).BadRequest(problem);
}

}  // namespace

class JsonLineAnswerer::RequestParser {
  public:
    // Why the line is not a request, or an empty view when it is one.
    std::string_view Parse(std::string_view line) {
        if (ParsePlainRequest(line, inputs_)) return {};
        rapidjson::ParseResult result = ParseGeneral(line);
        if (result.Code() == rapidjson::kParseErrorNumberTooBig) {
            result = ParseGeneral(NumbersQuoted(line));
        }
        if (!result) {
            return result.Code() == rapidjson::kParseErrorTermination ? kNotSixTexts : kNotJson;
        }
        inputs_ = handler_.Inputs();
        return {};
    }

    const numtext::InputTexts& Inputs() const { return inputs_; }

  private:
    rapidjson::ParseResult ParseGeneral(std::string_view line) {
        constexpr unsigned kFlags = rapidjson::kParseValidateEncodingFlag |
                                    rapidjson::kParseIterativeFlag |
                                    rapidjson::kParseNumbersAsStringsFlag;
        handler_.Reset();
        rapidjson::MemoryStream bytes(line.data(), line.size());
        rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> stream(bytes);
        return reader_.Parse<kFlags>(stream, handler_);
    }

    numtext::InputTexts inputs_;
    RequestHandler handler_;
    rapidjson::Reader reader_;
};

const AnswerStyle kPlainAnswers{AnswerPress, AnswerBadRequest};

JsonLineAnswerer::JsonLineAnswerer(const AnswerStyle& style)
    : parser_(std::make_unique<RequestParser>()), style_(style) {}
JsonLineAnswerer::~JsonLineAnswerer() = default;

bool JsonLineAnswerer::Answer(std::string_view line, std::string& out) {
    const std::string_view problem = parser_->Parse(line);
    if (!problem.empty()) {
        style_.badRequest(problem, out);
        return false;
    }
    style_.press(parser_->Inputs(), out);
    return true;
}

void JsonLineAnswerer::AnswerTooLong(std::string& out) {
    style_.badRequest(kTooLong, out);
}

std::optional<numtext::InputTexts> JsonLineAnswerer::ReadRequest(std::string_view line) {
    if (line.size() > kMaxRequestLine || !parser_->Parse(line).empty()) return std::nullopt;
    return parser_->Inputs();
}

JsonLinesSummary AnswerJsonLines(std::istream& in, std::ostream& out, const AnswerStyle& style) {
    JsonLinesSummary summary;
    JsonLineAnswerer answerer(style);
    std::string answers;
    answers.reserve(2 * kBlockSize);
    const auto writeAnswers = [&] {
        out.write(answers.data(), static_cast<std::streamsize>(answers.size()));
        answers.clear();
    };
    const auto flush = [&] {
        writeAnswers();
        out.flush();
    };
    LineReader reader(in);
    std::string_view line;
    // A reader that has gone away, or a full disk, ends the answering: reading
    // on would only pile up answers that cannot be delivered.
    for (LineStatus status; out && (status = reader.Next(line, flush)) != LineStatus::End;) {
        ++summary.requests;
        if (status == LineStatus::TooLong) {
            answerer.AnswerTooLong(answers);
            ++summary.badRequests;
        } else if (!answerer.Answer(line, answers)) {
            ++summary.badRequests;
        }
        answers += '\n';
        if (answers.size() >= kBlockSize) writeAnswers();
    }
    flush();
    return summary;
}

}  // namespace flyback::answer

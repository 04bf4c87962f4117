#include "cli/json_lines.hpp"

#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <array>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "cli/output.hpp"
#include "cli/press.hpp"

namespace flyback::cli {
namespace {

enum class LineStatus { Complete, TooLong, End };

class LineReader {
  public:
    explicit LineReader(std::istream& in)
        : in_(in), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

    LineStatus Next(std::string_view& line) {
        in_.getline(buffer_.get(), static_cast<std::streamsize>(kBufferSize));
        auto length = static_cast<std::size_t>(in_.gcount());
        if (in_.bad() || (length == 0 && in_.eof())) return LineStatus::End;
        if (in_.fail() && !in_.eof()) {  // the buffer filled before the line ended
            in_.clear();
            in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            return LineStatus::TooLong;
        }
        // gcount includes the line feed, unless the last line ends without one.
        if (!in_.eof()) --length;
        line = std::string_view(buffer_.get(), length);
        return LineStatus::Complete;
    }

    bool Drained() const { return in_.rdbuf()->in_avail() <= 0; }

  private:
    static constexpr std::size_t kBufferSize = kMaxRequestLine + 1;
    std::istream& in_;
    std::unique_ptr<char[]> buffer_;
};

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
    bool EndArray(rapidjson::SizeType) { return count_ == numtext::kInputCount; }
    bool Default() { return false; }  // any other value

    numtext::InputTexts Inputs() const {
        numtext::InputTexts inputs;
        for (int i = 0; i < numtext::kInputCount; ++i) inputs[i] = texts_[i];
        return inputs;
    }

    void Reset() {
        inArray_ = false;
        count_ = 0;
    }

  private:
    bool inArray_ = false;
    int count_ = 0;
    std::array<std::string, numtext::kInputCount> texts_;
};

// Parses a request line into `handler`; returns why it is not a request, or
// an empty view when it is one.
std::string_view ParseRequest(std::string_view line, RequestHandler& handler) {
    constexpr unsigned kFlags =
        rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    handler.Reset();
    rapidjson::MemoryStream bytes(line.data(), line.size());
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> stream(bytes);
    rapidjson::Reader reader;
    const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
    if (result) return {};
    return result.Code() == rapidjson::kParseErrorTermination ? kNotSixTexts : kNotJson;
}

}  // namespace

JsonLinesSummary AnswerJsonLines(std::istream& in, std::ostream& out) {
    JsonLinesSummary summary;
    LineReader reader(in);
    std::string_view line;
    RequestHandler request;
    AnswerJson answer;
    for (LineStatus status; (status = reader.Next(line)) != LineStatus::End;) {
        ++summary.requests;
        const std::string_view problem =
            status == LineStatus::TooLong ? kTooLong : ParseRequest(line, request);
        if (!problem.empty()) ++summary.badRequests;
        const std::string_view json =
            problem.empty() ? answer.Outcome(Press(request.Inputs())) : answer.BadRequest(problem);
        out.write(json.data(), static_cast<std::streamsize>(json.size())).put('\n');
        if (reader.Drained()) out.flush();
    }
    out.flush();
    return summary;
}

}  // namespace flyback::cli

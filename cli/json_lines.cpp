#include "cli/json_lines.hpp"

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.hpp"
#include "cli/press.hpp"

namespace flyback::cli {
namespace {

enum class LineStatus { Complete, TooLong, End };

class LineReader {
  public:
    explicit LineReader(std::istream& in) : in_(in), buffer_(kMaxRequestLine + 1) {}

    LineStatus Next(std::string_view& line) {
        in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        auto length = static_cast<std::size_t>(in_.gcount());
        if (in_.bad() || (length == 0 && in_.eof())) return LineStatus::End;
        if (in_.fail() && !in_.eof()) {  // the buffer filled before the line ended
            in_.clear();
            in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            return LineStatus::TooLong;
        }
        // gcount includes the line feed, unless the last line ends without one.
        if (!in_.eof()) --length;
        line = std::string_view(buffer_.data(), length);
        return LineStatus::Complete;
    }

    bool Drained() const { return in_.rdbuf()->in_avail() <= 0; }

  private:
    std::istream& in_;
    std::vector<char> buffer_;
};

constexpr std::string_view kNotJson = "请求不是有效的 JSON";
constexpr std::string_view kNotSixTexts = "请求须为六个字符串组成的 JSON 数组";
constexpr std::string_view kTooLong = "请求行过长（上限 1 MiB）";

// The six input texts of a request line, or the reason it is not one.
struct Request {
    std::vector<std::string> texts;
    std::string_view problem;
};

Request ParseRequest(std::string_view line) {
    const Json json = Json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) return {{}, kNotJson};
    if (!json.is_array() || json.size() != numtext::kInputCount) return {{}, kNotSixTexts};
    Request request;
    for (const Json& item : json) {
        if (!item.is_string()) return {{}, kNotSixTexts};
        request.texts.push_back(item.get<std::string>());
    }
    return request;
}

numtext::InputTexts InputTextsOf(const Request& request) {
    numtext::InputTexts inputs;
    for (int i = 0; i < numtext::kInputCount; ++i) inputs[i] = request.texts[i];
    return inputs;
}

}  // namespace

JsonLinesSummary AnswerJsonLines(std::istream& in, std::ostream& out) {
    JsonLinesSummary summary;
    LineReader reader(in);
    std::string_view line;
    for (LineStatus status; (status = reader.Next(line)) != LineStatus::End;) {
        ++summary.requests;
        const Request request =
            status == LineStatus::TooLong ? Request{{}, kTooLong} : ParseRequest(line);
        if (request.problem.empty()) {
            out << OutcomeJson(Press(InputTextsOf(request))).dump() << '\n';
        } else {
            ++summary.badRequests;
            out << BadRequestJson(request.problem).dump() << '\n';
        }
        if (reader.Drained()) out.flush();
    }
    out.flush();
    return summary;
}

}  // namespace flyback::cli

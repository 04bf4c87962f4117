#include "cli/output.hpp"

#include <rapidjson/writer.h>

#include <algorithm>
#include <string>

#include "numtext/result_boxes.hpp"

namespace flyback::cli {
namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void WriteString(Writer& writer, std::string_view text) {
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void WriteError(Writer& writer, std::string_view kind, std::string_view message) {
    writer.StartObject();
    writer.Key("kind");
    WriteString(writer, kind);
    writer.Key("message");
    WriteString(writer, message);
    writer.EndObject();
}

std::string_view Text(const rapidjson::StringBuffer& buffer) {
    return {buffer.GetString(), buffer.GetSize()};
}

// Terminal columns of a UTF-8 text: the Chinese captions take two a character.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

const std::string* FindText(const PressOutcome& outcome, int box) {
    for (const ResultWrite& write : outcome.writes) {
        if (write.box == box) return &write.text;
    }
    return nullptr;
}

}  // namespace

std::string_view AnswerJson::Outcome(const PressOutcome& outcome) {
    buffer_.Clear();
    Writer writer(buffer_);
    writer.StartObject();
    writer.Key("results");
    writer.StartArray();
    for (const ResultWrite& write : outcome.writes) {
        writer.StartObject();
        writer.Key("box");
        writer.Int(write.box);
        writer.Key("caption");
        WriteString(writer, numtext::ResultCaption(write.box));
        writer.Key("text");
        WriteString(writer, write.text);
        writer.EndObject();
    }
    writer.EndArray();
    writer.Key("error");
    if (outcome.error) {
        WriteError(writer, runtime::ErrorKindId(*outcome.error),
                   runtime::ErrorKindMessage(*outcome.error));
    } else {
        writer.Null();
    }
    writer.EndObject();
    return Text(buffer_);
}

std::string_view AnswerJson::BadRequest(std::string_view message) {
    buffer_.Clear();
    Writer writer(buffer_);
    writer.StartObject();
    writer.Key("results");
    writer.StartArray();
    writer.EndArray();
    writer.Key("error");
    WriteError(writer, "bad_request", message);
    writer.EndObject();
    return Text(buffer_);
}

void PrintTable(const PressOutcome& outcome, std::ostream& out) {
    std::size_t column = 0;
    for (const auto& info : numtext::kResultBoxesOnScreen) {
        column = std::max(column, DisplayWidth(info.caption));
    }
    for (const auto& info : numtext::kResultBoxesOnScreen) {
        const std::string* text = FindText(outcome, info.box);
        if (text == nullptr) continue;
        out << info.caption << std::string(column + 1 - DisplayWidth(info.caption), ' ') << *text
            << '\n';
    }
}

}  // namespace flyback::cli

#include "drawing/svg.hpp"

#include <algorithm>

#include <array>
#include <cmath>
#include <cstdio>

#include "report/html_report.hpp"

namespace flyback::drawing {

std::string Coordinate(double value) {
    if (!std::isfinite(value)) return "0";
    std::array<char, 64> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.2f", value);
    std::string result(text.data(), static_cast<std::size_t>(std::max(length, 0)));
    for (char& c : result) {
        if (c == ',') c = '.';  // a decimal-comma locale
    }
    while (!result.empty() && result.back() == '0') result.pop_back();
    if (!result.empty() && result.back() == '.') result.pop_back();
    return result == "-0" ? "0" : result;
}

Svg::Svg(double width, double height, std::string_view title) {
    const std::string w = Coordinate(width), h = Coordinate(height);
    out_ = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
           "\" viewBox=\"0 0 " + w + " " + h + "\" role=\"img\" aria-label=\"" +
           report::HtmlEscape(title) + "\"><title>" + report::HtmlEscape(title) + "</title>";
}

void Svg::Rect(double x, double y, double width, double height, std::string_view attributes) {
    out_ += "<rect x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" width=\"" +
            Coordinate(width) + "\" height=\"" + Coordinate(height) + "\" " +
            std::string(attributes) + "/>";
}

void Svg::Circle(double cx, double cy, double r, std::string_view attributes) {
    out_ += "<circle cx=\"" + Coordinate(cx) + "\" cy=\"" + Coordinate(cy) + "\" r=\"" +
            Coordinate(r) + "\" " + std::string(attributes) + "/>";
}

void Svg::Line(double x1, double y1, double x2, double y2, std::string_view attributes) {
    out_ += "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" +
            Coordinate(x2) + "\" y2=\"" + Coordinate(y2) + "\" " + std::string(attributes) + "/>";
}

void Svg::Polyline(std::string_view points, std::string_view attributes) {
    out_ += "<polyline points=\"" + std::string(points) + "\" " + std::string(attributes) + "/>";
}

void Svg::Text(double x, double y, std::string_view text, std::string_view attributes,
               std::string_view anchor) {
    out_ += "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" " +
            std::string(attributes) + " text-anchor=\"" + std::string(anchor) + "\">" +
            report::HtmlEscape(text) + "</text>";
}

void Svg::GroupStart(std::string_view attributes) {
    out_ += "<g " + std::string(attributes) + ">";
}

void Svg::GroupEnd() {
    out_ += "</g>";
}

std::string Svg::Finish() {
    out_ += "</svg>";
    return std::move(out_);
}

namespace {

std::size_t CharacterLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Three bytes and more: CJK and the full-width forms, an em each.
double CharacterEms(std::size_t length) {
    return length >= 3 ? 1.0 : length == 2 ? 0.7 : 0.62;
}

}  // namespace

double TextWidth(std::string_view utf8, double fontSize) {
    double ems = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = CharacterLength(static_cast<unsigned char>(utf8[i]));
        ems += CharacterEms(length);
        i += length;
    }
    return ems * fontSize;
}

std::vector<std::string> WrappedLines(std::string_view utf8, double room, double fontSize) {
    std::vector<std::string> lines(1);
    double width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length =
            std::min(CharacterLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const double character = CharacterEms(length) * fontSize;
        if (width + character > room && !lines.back().empty()) {
            lines.emplace_back();
            width = 0;
        }
        lines.back().append(utf8.substr(i, length));
        width += character;
        i += length;
    }
    return lines;
}

}  // namespace flyback::drawing

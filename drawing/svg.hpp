#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace flyback::drawing {

// A small SVG writer for the pictures every front end shows: the window (Qt
// SVG), the report (inline) and the page (inline). Coordinates in user units;
// numbers written with a point whatever the locale; every text escaped.
// `attributes` are written as given ('class="turn" fill="#c0392b"'): painted
// with attributes, not a style sheet, which every SVG renderer reads alike.
class Svg {
  public:
    // `title` is what a screen reader says of the picture.
    Svg(double width, double height, std::string_view title);

    void Rect(double x, double y, double width, double height, std::string_view attributes);
    void Circle(double cx, double cy, double r, std::string_view attributes);
    void Line(double x1, double y1, double x2, double y2, std::string_view attributes);
    // "x1,y1 x2,y2 …"
    void Polyline(std::string_view points, std::string_view attributes);
    // `anchor`: "start", "middle", "end".
    void Text(double x, double y, std::string_view text, std::string_view attributes,
              std::string_view anchor = "start");
    void GroupStart(std::string_view attributes);
    void GroupEnd();

    std::string Finish();

  private:
    std::string out_;
};

// A coordinate as SVG takes it: at most two decimals, no trailing zeros.
std::string Coordinate(double value);

// How wide a text runs at `fontSize` in a sans-serif font, erring wide: a
// Chinese character an em, a Latin letter or digit 0.62 em. Pictures size
// themselves by it so that no text runs past their edge.
double TextWidth(std::string_view utf8, double fontSize);

// The text in lines of at most `room` pixels at `fontSize` (by TextWidth),
// broken between characters, never inside one; a single character wider
// than the room stands on a line of its own.
std::vector<std::string> WrappedLines(std::string_view utf8, double room, double fontSize);

}  // namespace flyback::drawing

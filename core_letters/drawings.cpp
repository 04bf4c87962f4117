// The family's drawing with its letters. Proportions are a typical part's,
// fixed per family: the picture says which length a letter names, not the
// part's own size.
#include <cmath>
#include <string>

#include "core_letters/core_letters.hpp"
#include "drawing/svg.hpp"

namespace flyback::core_letters {
namespace {

using core_geometry::Family;
using drawing::Coordinate;

constexpr auto kCore = R"(fill="#c8ccd4" stroke="#333" stroke-width="1.2")";
constexpr auto kBlank = R"(fill="#ffffff" stroke="none")";
constexpr auto kOutline = R"(fill="none" stroke="#333" stroke-width="1.2")";
constexpr auto kMeasure = R"(stroke="#1f5fbf" stroke-width="1")";
constexpr auto kWitness = R"(stroke="#1f5fbf" stroke-width="0.6" stroke-dasharray="3 2")";
constexpr auto kLetter = R"(font-family="sans-serif" font-size="13" fill="#1f5fbf")";
constexpr auto kCaption = R"(font-family="sans-serif" font-size="12" fill="#333")";

// A typical half's proportions in picture units.
struct Shape {
    double A = 180, B = 92, C = 70, D = 62, E = 132, F = 44;
};

// A dimension line from (x1, y1) to (x2, y2) with end ticks and its letter
// beside its middle, `dx`/`dy` away.
void Measure(drawing::Svg& svg, double x1, double y1, double x2, double y2, const char* letter,
             double dx, double dy) {
    svg.Line(x1, y1, x2, y2, kMeasure);
    const bool across = y1 == y2;
    for (const auto& [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}}) {
        if (across) {
            svg.Line(x, y - 4, x, y + 4, kMeasure);
        } else {
            svg.Line(x - 4, y, x + 4, y, kMeasure);
        }
    }
    svg.Text((x1 + x2) / 2 + dx, (y1 + y2) / 2 + dy, letter, kLetter, "middle");
}

// One half from the side: the back on top, the legs down, the window D high.
void Side(drawing::Svg& svg, const Shape& s, double x0, double y0) {
    const double outer = (s.A - s.E) / 2, centre = x0 + s.A / 2, legs = y0 + s.B - s.D;
    const double bottom = y0 + s.B;
    std::string points;
    const auto at = [&](double x, double y) {
        points += (points.empty() ? "" : " ") + Coordinate(x) + "," + Coordinate(y);
    };
    at(x0, y0);
    at(x0 + s.A, y0);
    at(x0 + s.A, bottom);
    at(x0 + s.A - outer, bottom);
    at(x0 + s.A - outer, legs);
    at(centre + s.F / 2, legs);
    at(centre + s.F / 2, bottom);
    at(centre - s.F / 2, bottom);
    at(centre - s.F / 2, legs);
    at(x0 + outer, legs);
    at(x0 + outer, bottom);
    at(x0, bottom);
    at(x0, y0);
    svg.Polyline(points, kCore);
    Measure(svg, x0, y0 - 12, x0 + s.A, y0 - 12, "A", 0, -4);
    Measure(svg, x0 - 12, y0, x0 - 12, bottom, "B", -9, 4);
    Measure(svg, x0 + s.A + 12, legs, x0 + s.A + 12, bottom, "D", 10, 4);
    Measure(svg, x0 + outer, bottom + 16, x0 + s.A - outer, bottom + 16, "E", 0, 14);
    Measure(svg, centre - s.F / 2, bottom + 40, centre + s.F / 2, bottom + 40, "F", 0, 14);
    for (const double x : {x0 + outer, x0 + s.A - outer})
        svg.Line(x, bottom, x, bottom + 20, kWitness);
    for (const double x : {centre - s.F / 2, centre + s.F / 2})
        svg.Line(x, bottom, x, bottom + 44, kWitness);
    svg.Text(x0 + s.A / 2, bottom + 78, "侧视（单片）", kCaption, "middle");
}

// The set from above: outer legs, window and centre leg, C deep.
void Top(drawing::Svg& svg, Family family, const Shape& s, double x0, double y0) {
    const double centre = x0 + s.A / 2, middle = y0 + s.C / 2, outer = (s.A - s.E) / 2;
    svg.Rect(x0, y0, s.A, s.C, kCore);
    if (RoundLeg(family)) {
        // The outer legs' inner faces: a circle of diameter E, cut by the depth.
        svg.Circle(centre, middle, s.E / 2, kBlank);
        const double over = s.E / 2 - s.C / 2 + 1;
        svg.Rect(x0 - 1, y0 - over, s.A + 2, over, kBlank);
        svg.Rect(x0 - 1, y0 + s.C, s.A + 2, over, kBlank);
        svg.Rect(x0, y0, s.A, s.C, kOutline);
        svg.Circle(centre, middle, s.F / 2, kCore);
        const double chord = std::sqrt(s.E * s.E - s.C * s.C) / 2;
        Measure(svg, centre - chord, y0 - 12, centre + chord, y0 - 12, "G", 0, -4);
        Measure(svg, centre - s.E / 2, middle, centre - s.F / 2, middle, "E", -6, -5);
        Measure(svg, centre - s.F / 2, middle, centre + s.F / 2, middle, "F", 0, -5);
    } else {
        svg.Rect(x0 + outer, y0, s.E, s.C, kBlank);
        svg.Rect(x0, y0, s.A, s.C, kOutline);
        if (family == Family::Efd) {
            const double depth = s.C * 0.55, offset = 4;
            svg.Rect(centre - s.F / 2, middle - depth / 2 - offset, s.F, depth,
                     R"(fill="#c8ccd4" stroke="#333" stroke-width="1.2" rx="5")");
            Measure(svg, centre + s.F / 2 + 10, middle - depth / 2 - offset, centre + s.F / 2 + 10,
                    middle + depth / 2 - offset, "F2", 12, 4);
            Measure(svg, centre - s.F / 2 - 10, middle - offset, centre - s.F / 2 - 10, middle, "K",
                    -9, 4);
            svg.Text(centre - s.F / 2 + 2, middle - depth / 2 - offset - 4, "q", kLetter, "middle");
            Measure(svg, centre - s.F / 2, y0 - 12, centre + s.F / 2, y0 - 12, "F", 0, -4);
        } else {
            svg.Rect(centre - s.F / 2, y0, s.F, s.C, kCore);
        }
    }
    Measure(svg, x0 + s.A + 12, y0, x0 + s.A + 12, y0 + s.C, "C", 10, 4);
    svg.Text(centre, y0 + s.C + 48, "俯视（整套）", kCaption, "middle");
}

}  // namespace

std::string DrawingSvg(Family family) {
    Shape s;
    if (RoundLeg(family)) {
        s.C = 80;
        s.F = 52;
        s.E = 140;
    }
    drawing::Svg svg(470, 230, FamilyCaption(family) + "的尺寸字母（示意，不按比例）");
    svg.Rect(0, 0, 470, 230, R"(fill="#ffffff" stroke="none")");
    Side(svg, s, 30, 44);
    Top(svg, family, s, 262, 64);
    return svg.Finish();
}

}  // namespace flyback::core_letters

// A sweep range and six texts of arbitrary bytes, swept and plotted: the
// range is refused with a reason or swept (at most 40 points, to keep each run
// short), and the plot is whole SVG with no NaN or infinity in its
// coordinates. A tick loop
// that stops advancing shows here as a timeout.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "six_texts.hpp"
#include "sweep/plot.hpp"
#include "sweep/sweep.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first text is the range ("eta=37.5:112.5:3"), the other five and a
    // fixed output voltage the inputs.
    const SixTexts texts(data, size);
    flyback::sweep::RangeProblem problem{};
    auto range = flyback::sweep::ReadSweep(texts.texts[0], problem);
    Check(range.has_value() == (problem == flyback::sweep::RangeProblem::None));
    if (!range) return 0;
    if (range->points > 40) range->points = 40;
    flyback::numtext::InputTexts inputs{texts.texts[1], texts.texts[2], texts.texts[3],
                                        texts.texts[4], texts.texts[5], "24"};
    flyback::sweep::SweepData plot(*range, false);
    flyback::sweep::RunSweep(*range, inputs, std::nullopt, [&](const auto& point) {
        plot.Add(point);
        return true;
    });
    const std::string svg = flyback::sweep::PlotSvg(plot);
    Check(svg.rfind("<svg", 0) == 0 && svg.find("</svg>") != std::string::npos);
    // Every coordinate a number (texts may quote what was typed, "inf" too).
    for (const char* name : {" x=\"", " y=\"", " x1=\"", " y1=\"", " x2=\"", " y2=\"", " cx=\"",
                             " cy=\"", " r=\"", " width=\"", " height=\"", " points=\""}) {
        const std::string_view attribute(name);
        for (std::size_t at = svg.find(attribute); at != std::string::npos;
             at = svg.find(attribute, at + 1)) {
            const std::size_t start = at + attribute.size();
            const std::string value = svg.substr(start, svg.find('"', start) - start);
            Check(value.find("nan") == std::string::npos && value.find("inf") == std::string::npos);
        }
    }
    return 0;
}

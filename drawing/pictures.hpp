#pragma once

#include <string>
#include <string_view>

#include "winding/plan.hpp"

namespace flyback::drawing {

// The pictures of a winding plan as SVG, drawn once here for every front end.
// Each is drawn for `width` CSS pixels: the page's width at 96 pixels an inch
// by default; narrower (a phone), laid out to fit with its text at the same
// size, never below 300.
inline constexpr double kPictureWidth = 680;  // within an A4 page's width

// A cross-section of one side of the core's window, to scale: the core around
// it, the bobbin's winding area, each winding's layers as rows of round
// conductors (every strand drawn) from the centre leg outward, the tape
// between windings, a legend (初级 / 次级 / 辅助) and the fill and build beside.
// Conductors carry class="conductor primary" (secondary, bias) and a
// data-layer; windings of very many conductors are drawn as one band a layer.
std::string BuildDrawing(const winding::Plan& plan, double width = kPictureWidth);

// One switching period at the minimum input: the primary current ramping to
// Ipk' during Dmax', the secondary current falling from its peak during the
// rest, with the peaks, Dmax' × T and the period marked.
std::string CurrentsDrawing(const winding::Plan& plan, double width = kPictureWidth);

// Both pictures for an HTML page, each in a table of one row, which a
// paginator keeps whole;
// nothing without a plan.
std::string PicturesHtml(const winding::PlanOutcome& outcome);

// The windings' colours, one per role, as the legend shows them; each
// further secondary a colour of its own.
std::string_view RoleColour(winding::Role role);
std::string_view WindingColour(const winding::Winding& w);

}  // namespace flyback::drawing

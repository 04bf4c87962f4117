#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "conditions/conditions.hpp"
#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"
#include "pins/pins.hpp"
#include "record/design_record.hpp"
#include "winding/plan.hpp"

namespace flyback::design_file {

// A design as its file keeps it: the six texts as typed, the plan's options
// and choices, and the build sheet's pins.
struct Design {
    std::array<std::string, numtext::kInputCount> texts;
    winding::Options options;
    pins::Pins pins;
};

// The key of our own block at the document's root.
inline constexpr std::string_view kOurBlock = "flybackDesigner";
// The largest file opened: far above any design, far below a hostile one.
inline constexpr std::size_t kMostBytes = 4 * 1024 * 1024;

// The design as a MAS document (the Magnetic Agnostic Structure): the
// requirements and the operating point at the minimum input, one excitation
// per winding in the coil's order; the converter; the magnetic (core,
// material, gap, one functional winding per winding with its wire); the
// plan's losses, temperature and inductances; and our block, which restores
// the design exactly. UTF-8, two-space indents, a newline at the end. None
// without a plan (the press faulted, or the plan could not be made): `error`
// says why, in Chinese.
struct Written {
    std::string text;
    std::string error;
};
Written WriteDesignFile(const Design& design, const winding::PlanOutcome& outcome);

// A file opened: our own design, restored; or a transformer another tool
// made, as a design of fixed core, material, turns and inductance, with what
// could not be taken said in `notes`; or why it cannot be opened (`error`,
// in Chinese, naming what is wrong).
struct Opened {
    std::optional<Design> design;
    bool foreign = false;
    std::vector<std::string> notes;
    std::string error;
    // The core and material another tool's file describes in place and the
    // catalogue lacks, taken as the file gives them (and said in `notes`):
    // the design is planned on WithFileParts.
    std::vector<catalogue::Core> cores;
    std::vector<catalogue::Material> materials;
    // Each operating point another tool's file gives by its windings'
    // excitations (its input, frequency and load against the first), for the
    // planned transformer to be analysed at each.
    std::vector<conditions::Condition> points;
};
Opened ReadDesignFile(std::string_view bytes, const catalogue::Catalogue& parts);

// The catalogue with the parts an opened file carried that it lacks (a name
// it already has is not added again).
catalogue::Catalogue WithFileParts(const catalogue::Catalogue& parts, const Opened& opened);

// The names other magnetics tools read: a core's MAS shape ("EFD 25/13/9"),
// a wire's ("Round 0.4 - Grade 1"; a triple-insulated wire by its maker's
// part); and back. Empty, or none, where the catalogue has no such name.
std::string CoreMasName(const catalogue::Core& core);
std::string WireMasName(const catalogue::Wire& wire);
const catalogue::Core* CoreByMasName(const catalogue::Catalogue& parts, std::string_view name);
const catalogue::Wire* WireByMasName(const catalogue::Catalogue& parts, std::string_view name);

}  // namespace flyback::design_file

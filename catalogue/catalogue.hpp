#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flyback::catalogue {

// Real parts to finish a design on: ferrite cores with their bobbins, core
// materials and the wire that can be bought. Every value is sourced fact (see
// data/SOURCES.md); nothing is filled in that the data does not have, so a
// value the data lacks is empty, never guessed. Units as in the data: mm,
// mm², mm³, nH, mT, Hz, W/m³.

struct Core {
    std::string name;                  // "E13/7/4 (EF12.6)"
    std::string family;                // "E", "EFD", "ETD", "ER/EER", "PQ", "RM", "EP"
    std::vector<std::string> aliases;  // common names a document gives ("EE13")
    double Ae_mm2 = 0, Amin_mm2 = 0, le_mm = 0, Ve_mm3 = 0;
    std::optional<double> AL_nH;  // ungapped, where a datasheet gives it
    std::string AL_material;
    double window_mm2 = 0;         // the bobbin's winding window, or else the core's
    double winding_width_mm = 0;   // along the centre leg
    double winding_height_mm = 0;  // the radial build
    std::optional<double> MLT_mm;  // mean length of turn, where a bobbin is known
    std::string windowKind;        // "bobbin", or the bare core window
    std::string basis;  // "datasheet", "OpenMagnetics processed", "IEC 60205 computed", "user"
    std::string source;
    // The bare core's window (without a bobbin), where the data gives it: its
    // area, its radial width and its height along the centre leg.
    std::optional<double> coreWindow_mm2, coreWindowWidth_mm, coreWindowHeight_mm;
    // The shape's name in the MAS data the dimensions came from ("EFD 25/13/9"),
    // which other magnetics tools read; empty where the data has none.
    std::string masShape;
    // The bobbin's pins, where its data gives them: how many, their pitch and
    // whether they stand up from the board ("vertical") or lie along it
    // ("horizontal"). The build sheet checks its pin numbers against them.
    std::optional<int> bobbinPins;
    std::optional<double> pinPitch_mm;
    std::string pinLayout;

    // Only a core with a known bobbin and mean turn length is chosen by
    // itself: the winding plan needs both, and none is made up.
    bool Automatic() const { return windowKind == "bobbin" && MLT_mm.has_value(); }
};

// Pv [W/m³] = k × f[Hz]^alpha × B̂[T]^beta × tf(T), tf = ct2·T² − ct1·T + ct0
// with T in °C; where it is not above 0 the fit gives no loss at that T.
struct SteinmetzRange {
    double fMinHz = 0, fMaxHz = 0, k = 0, alpha = 0, beta = 0;
    std::optional<double> ct0, ct1, ct2;
};

struct SaturationPoint {
    double celsius = 0, mT = 0;
};

struct Material {
    std::string name, manufacturer;
    std::optional<double> mu_i, Bsat_25C_mT, Bsat_100C_mT;
    // Every saturation point the data gives, coolest first; empty where the
    // data gives only the two figures above (SaturationCurve).
    std::vector<SaturationPoint> saturation;
    std::vector<SteinmetzRange> steinmetz;  // by frequency; adjacent fits need not join
    std::string source;
    // Why loss fits the data gives were not taken, in Chinese: a range its
    // data marks as doubtful, or one that gives more loss than the data
    // sheet's limit allows (RefuseFitsAboveLimits); empty where none was.
    std::string fitsRefused;
    std::optional<double> curie_C;  // where the data gives it
};

enum class WireKind { Enamelled, TripleInsulated };

struct Wire {
    std::string name;  // "0.1 mm", "30 AWG (TCA3 30 AWG)"
    WireKind kind = WireKind::Enamelled;
    double conductor_mm = 0;
    std::optional<double> outerGrade1_mm, outerGrade2_mm;  // the IEC 60317 maximum
    std::optional<double> outerNominal_mm;                 // triple-insulated wire
    // What it is insulated with, as the data says ("3 layers ETFE, 25.4
    // um/layer, 155 C"); empty where the data does not say (an enamel).
    std::string insulation;
    std::string source;

    // The outer diameter to wind with: the grade's maximum, or the nominal.
    std::optional<double> Outer(int grade = 1) const;
};

// A two-piece set a maker sells and a distributor stocks: its shape and
// material as MAS names them, its gap (none: ungapped), and the cheapest
// distributor's price on the day the data was taken. The data names no
// currency; a price is a fact of its day and its distributor.
struct StockPart {
    std::string maker, reference;  // "Ferroxcube", "E100/60/28-3C92"
    std::string shape, material;   // "E 100/60/28", "3C92"
    std::optional<double> gap_mm;  // the centre leg's ground gap
    std::string distributor, distributorReference, country, date;
    double cost = 0;
    std::string source;
};

struct Catalogue {
    std::vector<Core> cores;
    std::vector<Material> materials;
    std::vector<Wire> wires;
    // What could not be read from a user's files: "file:line: field: why".
    std::vector<std::string> problems;

    // By name, the name without its parenthesis, or an alias, ignoring case
    // and blanks: "EE13", "e13/7/4" and "EF12.6" find the same core.
    const Core* FindCore(std::string_view name) const;
    const Material* FindMaterial(std::string_view name) const;
    const Wire* FindWire(std::string_view name) const;
};

// The makers' parts in stock, from the built-in data alone (a user's files
// and a design's own parts add none). Made on first use, as only a plan or the
// adviser asks for them: a window that has planned nothing does not hold
// some 950 parts.
const std::vector<StockPart>& BuiltInStock();

// The stock parts of `core`'s shape in `material`, the ungapped first, then
// by their gap.
std::vector<const StockPart*> StockOf(const Core& core, const Material& material);

// The material's saturation points, coolest first: those its data gives, or
// else its 25 °C and 100 °C figures, where it has them, held in `figures` so
// that nothing is allocated (the adviser asks this of every candidate).
std::span<const SaturationPoint> SaturationCurve(const Material& material,
                                                 std::array<SaturationPoint, 2>& figures);

// The default material: N87, a PC40-class power ferrite (the data has no PC40
// values).
inline constexpr std::string_view kDefaultMaterial = "N87";

// The catalogue built into the program.
const Catalogue& BuiltIn();
// A catalogue of its own made from the same tables: for one that grows
// (the user's files, a design's own parts) without a second copy kept.
Catalogue MadeBuiltIn();

// The built-in catalogue with the rows of cores.csv, materials.csv and
// wires.csv in `folder` added, each in the format of the built-in data. A row
// that cannot be read is left out and named in `problems`; a file that is not
// there is no problem.
Catalogue WithUserFiles(const std::filesystem::path& folder);

// $XDG_DATA_HOME/flyback-designer, or ~/.local/share/flyback-designer.
std::filesystem::path UserDataFolder();

// The core loss density of `material` at `hertz` and the peak flux density
// `teslaPeak`, at `celsius`: the Steinmetz range that holds the frequency (the
// higher one at a shared bound), with the temperature factor where the data
// has one. Nothing where the material has no fit for that frequency, or
// where its factor is not above zero at `celsius` (a fit's k means nothing
// without its factor: some are normalised to 100 °C, others are not).
std::optional<double> LossDensity(const Material& material, double hertz, double teslaPeak,
                                  double celsius);

// The Steinmetz range LossDensity reads at `hertz`; none where none holds it.
const SteinmetzRange* FitAt(const Material& material, double hertz);
// That range's temperature factor at `celsius`, ct2·T² − ct1·T + ct0; none
// where the range has none (it is then 1).
std::optional<double> TemperatureFactorAt(const SteinmetzRange& fit, double celsius);
// The least its temperature factor is from `coolest_C` to `hottest_C`, as
// LossDensity applies it: 1 without one, 0 where it reaches zero.
double LeastTemperatureFactor(const SteinmetzRange& fit, double coolest_C, double hottest_C);
// What LossDensity cannot be below at any temperature from `coolest_C` to
// `hottest_C`.
std::optional<double> LeastLossDensity(const Material& material, double hertz, double teslaPeak,
                                       double coolest_C, double hottest_C);

}  // namespace flyback::catalogue

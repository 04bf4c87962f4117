#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "insulation/tables.hpp"

namespace flyback::insulation {

// The insulation between primary and secondary, as IEC 62368-1 grades it.
enum class Grade { Functional, Basic, Reinforced };

// "functional", "basic", "reinforced"; "功能", "基本", "加强".
std::string_view GradeName(Grade grade);
std::string_view GradeCaption(Grade grade);

// What the barrier between primary and secondary faces: the mains (its rms
// voltage), the working voltages across it, and where the product is used.
struct Conditions {
    Grade grade = Grade::Reinforced;
    double mains_Vrms = 230;
    double workingPeak_V = 0;  // the highest voltage between primary and secondary
    double workingRms_V = 0;
    double frequency_Hz = 0;     // of the working voltage: the switching frequency
    int pollution = 2;           // pollution degree, 1 to 3
    std::string group = "IIIb";  // material group: I, II, IIIa, IIIb
    double altitude_m = 2000;
    std::string overvoltage = "II";  // the mains' overvoltage category, I to IV

    // An order, so that answers can be kept by the conditions they are for.
    bool operator<(const Conditions& other) const {
        return std::tie(grade, mains_Vrms, workingPeak_V, workingRms_V, frequency_Hz, pollution,
                        group, altitude_m, overvoltage) <
               std::tie(other.grade, other.mains_Vrms, other.workingPeak_V, other.workingRms_V,
                        other.frequency_Hz, other.pollution, other.group, other.altitude_m,
                        other.overvoltage);
    }
};

// A figure with the table row it came from ("IEC 62368-1 Table 14",
// clearance.csv line 240), and, where it was read between two rows, the
// second one.
struct Figure {
    double value = 0;
    Origin from;
    std::optional<Origin> to;  // the upper row of an interpolation
};

struct Requirements {
    Figure transient_V;   // the mains transient the barrier must withstand (its OVC's)
    Figure clearance_mm;  // through air, after the altitude factor
    Figure altitudeFactor;
    Figure creepage_mm;    // along surfaces; never below the clearance
    Figure testVoltage_V;  // the electric strength test, primary to secondary
    double margin_mm = 0;  // a margin-wound winding's margin on each side
    Tape tape;             // the tape between primary and secondary
    int tapeLayers = 1;    // of it, as the thin-sheet rules want for the test voltage
};

// The material groups the creepage tables are read by, best first.
inline constexpr std::string_view kMaterialGroups[] = {"I", "II", "IIIa", "IIIb"};

// Which condition lies beyond the tables, as data; each front end words it.
// `MainsBeyondTables`: basic or reinforced insulation for a mains at or above
// the electric strength table's last row, where the tables end (and the
// standard's scope with them); nothing weaker is ever taken in its place.
enum class ConditionProblem {
    None,
    Pollution,
    Group,
    Altitude,
    Mains,
    MainsBeyondTables,
    Overvoltage
};

// The overvoltage categories of IEC 60664-1 Table F.1.
inline constexpr std::string_view kOvervoltageCategories[] = {"I", "II", "III", "IV"};
ConditionProblem CheckConditions(const Conditions& conditions);

// The mains rms voltage that basic and reinforced insulation must stay
// below: the electric strength table's last row ("below 600 V").
// Without tables, from the built-in test voltages alone.
double MainsLimit_Vrms();
double MainsLimit_Vrms(const Tables& tables);

// The mains a product on `highest_Vrms` at most is rated for: the highest
// standard nominal voltage (IEC 60038's, with North America's 277 and 480 V)
// whose upper tolerance (× 1.1) the input reaches, within kRoundingSlack: a
// figure within 0.5 % below a class's tolerance takes that class, the
// stronger insulation; none below 100 V or above 480 V's tolerance, 528 V.
// A universal adapter's 264 V (373.35 V DC) is a 240 V rating, as its
// certification takes it; 622.25 V DC a 400 V one, 746.7 V a 480 V one.
inline constexpr double kNominalMains_Vrms[] = {100, 120, 200, 220, 230, 240, 277, 400, 480};
inline constexpr double kMainsTolerance = 1.1;
// How far from a rating's tolerance an input may lie and still be taken as
// that rating's: a DC figure rounded from the mains' peak (373 or 375 V for
// 264 V's 373.35) is not a different mains.
inline constexpr double kRoundingSlack = 0.005;
std::optional<double> RatedMains_Vrms(double highest_Vrms);

// A problem as the window and the page say it: "海拔须在 0 至 5000 m 之间。";
// empty for none.
std::string ConditionProblemCaption(ConditionProblem problem);

// The requirements for `conditions`, from the tables (IEC 62368-1; the mains
// transient from IEC 60664-1 Table F.1): clearance as the larger of the two
// procedures times the altitude factor, creepage from Table 17 (and 18 above
// 30 kHz), the test voltage as the largest of Tables 25, 26 and 27, the
// margin max(creepage, clearance) ÷ 2 (the path crosses both margins), the
// tape layers: one that passes the test voltage twice over (reinforced) or
// once (basic), else one more layer, every two passing together. Functional
// insulation asks for none of these: zero distances, one layer. Nothing when
// the conditions lie beyond the tables.
std::optional<Requirements> Require(const Conditions& conditions, const Tables& tables = BuiltIn());

// Why basic or reinforced insulation has no requirements for `conditions`,
// in Chinese, naming the limit passed: what a plan says instead of building
// an insulation weaker than asked.
std::string BeyondTablesCaption(const Conditions& conditions);

// A tape as a Chinese reader names it: "Tecroll 11B 聚酯胶带（130 级）".
std::string TapeCaption(const Tape& tape);

// The tape the plan winds: a polyester tape of the data (Tecroll 11B, 0.06 mm).
const Tape& PlanTape(const Tables& tables = BuiltIn());

}  // namespace flyback::insulation

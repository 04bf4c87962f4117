#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace flyback::insulation {

// The IEC tables of data/, read once from the text compiled in. A row the
// data marks as doubtful (a table stored with shifted keys, a wire whose
// diameters do not fit its build) is left out: nothing is read from it.

// Where a value came from: the standard and table, and the data file's line.
struct Origin {
    std::string table;  // "IEC 62368-1 Table 14"
    std::string file;   // "clearance.csv"
    int line = 0;
};

// A row of a table that is looked up by a voltage: the key, the value, and
// the columns that choose the row.
struct Row {
    Origin origin;
    double key = 0;          // V peak or V rms, as the table is keyed; or altitude in m
    double value = 0;        // mm, V or a factor
    std::string insulation;  // "basic", "reinforced"; empty where the table has no such column
    int pollution = 0;       // 1 to 3; 0 where the table has none
    std::string group;       // material group, "all", or the frequency range
};

struct Tape {
    Origin origin;
    std::string name;
    double thickness_mm = 0;
    double breakdown_V = 0;  // of one layer
    // The hottest the film is rated for (its thermal class), where the data names it.
    std::optional<double> class_C;
};

// How strongly an insulation between two conductors holds their field: its
// relative permittivity, by the material's short name ("polyester",
// "polyimide", "ETFE", "enamel", "air").
struct Dielectric {
    Origin origin;
    std::string material;
    double relative = 1;
};

struct Tables {
    std::vector<Row> clearance;      // Tables 10, 11, 14
    std::vector<Row> basicCreepage;  // Tables 17 and 18, basic
    std::vector<Row> reinforcedCreepage;
    std::vector<Row> altitude;     // Table 16
    std::vector<Row> transient;    // IEC 60664-1 Table F.1, the category in `group`
    std::vector<Row> testVoltage;  // Tables 25, 26, 27
    std::vector<Tape> tapes;
    std::vector<Dielectric> dielectrics;
};

const Tables& BuiltIn();
// The test voltages alone, read without the larger tables: what a check of
// the conditions needs at a front end's start, before anything is planned.
const std::vector<Row>& BuiltInTestVoltages();

// The material's row; none where the data has no figure for it.
const Dielectric* DielectricOf(std::string_view material, const Tables& tables = BuiltIn());

// What a tape is made of, by its name as the data gives it ("Tecroll 11B
// (Polyester, …)"): "polyester" or "polyimide"; empty where the name says neither.
std::string_view TapeMaterial(const Tape& tape);

namespace data {
// A data file's text by its name ("clearance"), as compiled in.
std::string Csv(std::string_view name);
}  // namespace data

}  // namespace flyback::insulation

// A user's catalogue file of arbitrary bytes, read as cores, materials and
// wires in turn onto the built-in catalogue. Whatever it holds, every row
// taken has finite positive sizes and a name of printable UTF-8 that finds
// it, no built-in name finds another part, and nothing crashes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalogue/catalogue.hpp"
#include "catalogue/csv.hpp"
#include "catalogue/records.hpp"

namespace {

using namespace flyback::catalogue;

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckPositive(double value) {
    Check(std::isfinite(value) && value > 0);
}

void CheckText(std::string_view text) {
    for (const char c : text) Check(static_cast<unsigned char>(c) >= 0x20 || c == '\t');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // A header the reader knows, so that rows get as far as their values.
    const CsvTable cores = ReadCsv(
        "family,name,common_name,Ae_mm2,Amin_mm2,le_mm,Ve_mm3,bobbin_window_mm2,"
        "winding_width_mm,winding_height_mm,MLT_mm\n" +
        std::string(text));
    Catalogue catalogue = BuiltIn();
    const std::size_t builtInCores = catalogue.cores.size();
    AddCores(cores, "cores.csv", catalogue);
    AddCores(ReadCsv(text), "cores.csv", catalogue);
    AddMaterials(ReadCsv(text), "materials.csv", catalogue);
    AddWires(ReadCsv(text), "wires.csv", catalogue);
    for (std::size_t i = builtInCores; i < catalogue.cores.size(); ++i) {
        const Core& core = catalogue.cores[i];
        for (const double v : {core.Ae_mm2, core.le_mm, core.Ve_mm3, core.window_mm2})
            CheckPositive(v);
        CheckText(core.name);
        Check(catalogue.FindCore(core.name) == &core);
    }
    for (std::size_t i = 0; i < builtInCores; ++i) {
        Check(catalogue.FindCore(catalogue.cores[i].name) == &catalogue.cores[i]);
    }
    for (const Wire& wire : catalogue.wires) CheckPositive(wire.conductor_mm);
    for (const Material& material : catalogue.materials) CheckText(material.name);
    return 0;
}

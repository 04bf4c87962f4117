// A design file of arbitrary bytes, opened. Whatever it holds, it is either
// refused with a reason or gives a design whose values the checks pass, and a
// design of our own block, saved again where it plans, reopens to itself;
// another tool's design plans on the parts it gives; nothing crashes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "design_file/design_file.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace flyback;
    static const catalogue::Catalogue parts = catalogue::BuiltIn();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const design_file::Opened opened = design_file::ReadDesignFile(bytes, parts);
    Check(opened.design.has_value() == opened.error.empty());
    if (!opened.design) return 0;
    if (opened.foreign) {
        // Another tool's parts and requirements are planned as given: every
        // number was held to its bounds, so the plan cannot fault on them.
        const catalogue::Catalogue own = design_file::WithFileParts(parts, opened);
        (void)winding::PlanWinding(record::RecordPress(numtext::ViewsOf(opened.design->texts)),
                                   opened.design->options, own);
        return 0;
    }
    const winding::PlanOutcome plan = winding::PlanWinding(
        record::RecordPress(numtext::ViewsOf(opened.design->texts)), opened.design->options, parts);
    const design_file::Written written = design_file::WriteDesignFile(*opened.design, plan);
    if (!written.error.empty()) return 0;
    const design_file::Opened again = design_file::ReadDesignFile(written.text, parts);
    Check(again.design.has_value());
    Check(again.design->texts == opened.design->texts);
    return 0;
}

// Six arbitrary byte strings through a press. Every run must either
// write all seven results or stop with one of the defined errors after a prefix
// of them, and the same texts must give the same outcome twice.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "numtext/fault_hint.hpp"
#include "record/design_record.hpp"

#include "six_texts.hpp"

namespace {

using flyback::numtext::PressOutcome;

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::array<int, 7> kPublicationOrder = {0, 4, 6, 5, 2, 1, 3};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SixTexts six(data, size);
    const flyback::numtext::InputTexts& inputs = six.inputs;

    const PressOutcome outcome = flyback::record::RecordPress(inputs).outcome;
    Check(outcome.writes.size() <= kPublicationOrder.size());
    Check(outcome.error.has_value() == (outcome.writes.size() < kPublicationOrder.size()));
    for (std::size_t i = 0; i < outcome.writes.size(); ++i) {
        Check(outcome.writes[i].box == kPublicationOrder[i]);
        Check(!outcome.writes[i].text.empty());
    }
    Check(flyback::record::RecordPress(inputs).outcome == outcome);
    if (outcome.error) flyback::numtext::SuspectInput(inputs);
    return 0;
}

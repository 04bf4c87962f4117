#include "design/core_size_table.hpp"

#include "runtime/number_text.hpp"

namespace flyback::design {

CoreSelection SelectCore(double requiredCoreArea) {
    for (const CoreSize& row : CoreSizeTable) {
        if (requiredCoreArea <= row.AreaLimit) return {std::string(row.CoreType), row.AreaLimit};
    }
    return {std::string(kNoCorePrefix) + runtime::NumberText(requiredCoreArea), requiredCoreArea};
}

}  // namespace flyback::design

#include "design/core_size_table.hpp"

namespace flyback::design {

CoreSelection SelectCore(double requiredCoreArea) {
    for (const CoreSize& row : CoreSizeTable) {
        if (requiredCoreArea <= row.AreaLimit) return {&row, row.AreaLimit};
    }
    return {nullptr, requiredCoreArea};
}

}  // namespace flyback::design

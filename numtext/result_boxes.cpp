#include "numtext/result_boxes.hpp"

namespace flyback::numtext {

std::string_view ResultCaption(int box) {
    for (const ResultBoxInfo& info : kResultBoxesOnScreen) {
        if (info.box == box) return info.caption;
    }
    return {};
}

}  // namespace flyback::numtext

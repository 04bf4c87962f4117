// The page's 自定义磁芯 dialog: the families with their letters and
// drawings, and the core the letters typed give, or why not.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core_letters/core_letters.hpp"
#include "engine_buffers.hpp"
#include "page_state.hpp"

namespace {

using flyback::answer::JsonObject;
using flyback::web::Answer;
using flyback::web::JsonArray;
using flyback::web::Text;
using flyback::web::Texts;
namespace core_geometry = flyback::core_geometry;
namespace core_letters = flyback::core_letters;

std::string FieldsJson(core_geometry::Family family) {
    return JsonArray(core_letters::Fields(family),
                     [](const core_letters::LetterField& f, std::string& out) {
                         JsonObject(out)
                             .Text("letter", f.letter)
                             .Text("caption", f.caption)
                             .Bool("optional", f.optional);
                     });
}

}  // namespace

extern "C" {

// The dialog's words {title, familyCaption, hint, neededHint, optionalHint}
// and its families [{family ("E"), caption, fields [{letter, caption,
// optional}], svg}], in the order the dialog lists them.
EMSCRIPTEN_KEEPALIVE void flyback_core_families() {
    const std::string families =
        JsonArray(core_letters::Families(), [](core_geometry::Family family, std::string& out) {
            JsonObject(out)
                .Text("family", core_geometry::FamilyName(family))
                .Text("caption", core_letters::FamilyCaption(family))
                .Raw("fields", FieldsJson(family))
                .Text("svg", core_letters::DrawingSvg(family));
        });
    Answer().clear();
    JsonObject(Answer())
        .Text("title", core_letters::kDialogTitle)
        .Text("familyCaption", core_letters::kFamilyCaption)
        .Text("hint", core_letters::kHint)
        .Text("neededHint", core_letters::kNeededHint)
        .Text("optionalHint", core_letters::kOptionalHint)
        .Raw("families", families);
}

// Text 0 the family's name, text 1 its letters between commas, then each
// letter's text in that order: {name, lines, problem}; the name is the
// plan's core to set.
EMSCRIPTEN_KEEPALIVE void flyback_typed_core() {
    const auto family = core_geometry::FamilyNamed(Text(0));
    core_letters::Outcome outcome;
    if (!family) {
        outcome.problem = "未知的磁芯形状。";
    } else {
        std::vector<core_letters::TypedField> fields;
        const std::string letters(Text(1));
        std::size_t text = 2;
        for (std::size_t start = 0; start < letters.size(); ++text) {
            const std::size_t comma = std::min(letters.find(',', start), letters.size());
            fields.push_back({letters.substr(start, comma - start), std::string(Text(text))});
            start = comma + 1;
        }
        outcome = core_letters::MakeFromTexts(*family, fields);
    }
    Answer().clear();
    JsonObject(Answer())
        .Text("name", outcome.core ? outcome.core->name : "")
        .Raw("lines", Texts(outcome.lines))
        .Text("problem", outcome.problem);
}

}  // extern "C"

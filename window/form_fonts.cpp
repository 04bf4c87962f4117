#include "window/form_fonts.hpp"

#include <QFont>
#include <QFontDatabase>

namespace flyback::window {

void SubstituteFormFonts() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                              QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
}

}  // namespace flyback::window

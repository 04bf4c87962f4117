#pragma once

namespace flyback::window {

// The form asks for "MS Sans Serif"; where it is missing, the desktop's sans
// serif takes its place rather than whatever font happens to match first.
// Process-wide, so called once at start-up, before the window is made.
void SubstituteFormFonts();

}  // namespace flyback::window

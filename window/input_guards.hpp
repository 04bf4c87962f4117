#pragma once

class QWidget;

namespace flyback::window {

// A number box or a list under the pointer takes the wheel only once it has
// the focus (a click or Tab): scrolling a window past it changes nothing, the
// wheel scrolls the window instead; so does a tab bar, which would switch
// tabs. Applied to `widget` and every such box inside it now; boxes made
// later are given it one by one.
void TakeWheelOnlyWithFocus(QWidget* widget);

// Every table inside `widget` one stop of Tab, its cells walked with the
// arrows: Tab leaves a table instead of cycling its cells for ever.
void TablesAreOneTabStop(QWidget* widget);

// A table, a sheet, a chart or a scrolling pane inside `widget` with the
// keyboard's focus shows it by a ring in the highlight colour: the platform's
// own style draws none around them, and a keyboard user lost the place.
void ShowFocusOfViews(QWidget* widget);

// The decimals a number box needs to show `shown` as it is: at least its
// own, more where a file's value has them (85.21 pF in a box of whole
// picofarads would be planned again as 85), up to six.
int DecimalsShowing(double shown, int decimals);

}  // namespace flyback::window

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace flyback::window {

// What every window beside the form does: it opens where it was left, at the
// size it was left (or, the first time, at `preferred` brought within the
// screen's available area, a laptop's 1366 × 768 included), and closes with
// Esc or Ctrl+W. `name` keeps its place in the settings.
void MakeSubWindow(QWidget* window, const QString& name, QSize preferred);

// Where a window opens the first time, frames counted: beside the form, to
// its right, or below it where the screen has no room there; on a screen too
// narrow for both side by side where the form stands (a laptop's 1366 × 768
// with the form in the middle), the form moves to the screen's left edge and
// the window, narrowed to the room left (not below 600 pixels, where the
// plan's tables still read), goes right of it. Over the form only where even
// that cannot be.
struct Placement {
    QPoint formAt;  // the form's frame's new top left
    QRect window;   // the window's frame
};
Placement PlaceBeside(QRect form, QSize window, QRect room);

}  // namespace flyback::window

#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace flyback::window {

// What every window beside the form does: it opens where it was left, at the
// size it was left (or, the first time, at `preferred` brought within the
// screen's available area, a laptop's 1366 × 768 included), and closes with
// Esc or Ctrl+W. `name` keeps its place in the settings.
void MakeSubWindow(QWidget* window, const QString& name, QSize preferred);

}  // namespace flyback::window

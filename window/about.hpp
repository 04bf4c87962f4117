#pragma once

#include <QString>

class QWidget;

namespace flyback::window {

// Name, version, licence and what the program does, for the "关于" box.
QString AboutText();

void ShowAboutBox(QWidget* parent);

}  // namespace flyback::window

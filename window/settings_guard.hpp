#pragma once

#include <QString>

namespace flyback::window {

// Qt reads the settings file whatever stands at its path, whole: a FIFO there
// would hold the window's start for ever, a file of gigabytes fill memory.
// Where the settings file is not a regular file, or is larger than any
// settings (kMostSettingsBytes), the settings are kept for this run in a
// folder of their own and not written back; the note says so (empty when all
// is well). Called once, before the first settings are read.
inline constexpr qint64 kMostSettingsBytes = qint64{1024} * 1024;
QString GuardSettingsFile();

// The settings under the program's own name (~/.config/flyback-designer/),
// those kept before under Qt's "Unknown Organization" copied there once.
// Called before the guard, once the application's name is set.
void NameTheSettings();

// The note of the last guard, for the window's start problems.
const QString& SettingsGuardNote();

}  // namespace flyback::window

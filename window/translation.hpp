#pragma once

class QCoreApplication;

namespace flyback::window {

// Every caption of the window is Chinese, so what Qt draws itself (message box
// buttons, the boxes' context menus, dialogs) should be too, whatever the
// user's locale. Loads Qt's own Simplified Chinese translation; where it is not
// installed, Qt stays in English and this returns false.
bool InstallQtChineseTranslation(QCoreApplication& app);

}  // namespace flyback::window

#include <QApplication>
#include <QScreen>

#include "window/command_line.hpp"
#include "window/design_files.hpp"
#include "window/form_fonts.hpp"
#include "window/main_window.hpp"
#include "window/settings_guard.hpp"
#include "window/translation.hpp"

int main(int argc, char** argv) {
    if (const auto status = flyback::window::AnswerCommandLine(argc, argv)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flyback-designer"));
    QApplication::setDesktopFileName(QStringLiteral("flyback-designer"));
    flyback::window::InstallQtChineseTranslation(app);
    flyback::window::SubstituteFormFonts();
    flyback::window::NameTheSettings();
    flyback::window::GuardSettingsFile();
    flyback::window::MainWindow window;
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    // A file it cannot open is said in the window, as from the menu.
    if (const auto path = flyback::window::DesignFileArgument(QApplication::arguments()))
        window.Files()->Open(*path);
    return QApplication::exec();
}

#include <QApplication>
#include <QScreen>

#include "window/main_window.hpp"
#include "window/translation.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flyback-designer"));
    QApplication::setDesktopFileName(QStringLiteral("flyback-designer"));
    flyback::window::InstallQtChineseTranslation(app);
    flyback::window::MainWindow window;
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    return QApplication::exec();
}

// The yardstick for the designer's start-up: an empty Qt Widgets window of the
// same client size, with nothing in it.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(549, 212);
    window.show();
    return QApplication::exec();
}

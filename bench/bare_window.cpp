// The yardsticks for the designer's start-up: a Qt Widgets window of the same
// client size, empty, or showing one caption given as the argument. A window
// with Chinese text loads fontconfig, FreeType and a CJK font, as the designer
// must; the captioned window measures what that alone costs.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(549, 212);
    if (argc > 1) {
        auto* caption = new QLabel(QString::fromUtf8(argv[1]), &window);
        caption->move(16, 40);
    }
    window.show();
    return QApplication::exec();
}

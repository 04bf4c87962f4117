#include "window/sub_window.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QWidget>
#include <algorithm>

namespace flyback::window {
namespace {

// Saves the window's place and size whenever it is hidden or closed.
class KeptGeometry : public QObject {
  public:
    KeptGeometry(QWidget* window, QString key) : QObject(window), key_(std::move(key)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
            QSettings().setValue(key_, static_cast<QWidget*>(watched)->saveGeometry());
        }
        return false;
    }

  private:
    QString key_;
};

QSize WithinScreen(QSize preferred) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return preferred;
    // Room left for the window's frame and title bar.
    const QRect available = screen->availableGeometry().adjusted(0, 0, -16, -48);
    return {std::min(preferred.width(), available.width()),
            std::min(preferred.height(), available.height())};
}

}  // namespace

void MakeSubWindow(QWidget* window, const QString& name, QSize preferred) {
    const QString key = QStringLiteral("windows/") + name;
    if (!window->restoreGeometry(QSettings().value(key).toByteArray())) {
        window->resize(WithinScreen(preferred));
    }
    window->installEventFilter(new KeptGeometry(window, key));
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto* shortcut = new QShortcut(keys, window);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
}

}  // namespace flyback::window

#include "window/sub_window.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QWidget>
#include <algorithm>

#include "window/input_guards.hpp"

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

// Beside the form, to its right, or below it where the screen has no room
// there; on a screen too narrow for both side by side where the form stands
// (a laptop's 1366 × 768 with the form in the middle), the form moves to the
// screen's left edge and the window, narrowed to the room left, goes right
// of it. Over the form only where even that cannot be.
void PlaceBesideTheForm(QWidget* window) {
    QWidget* parent = window->parentWidget();
    if (parent == nullptr) return;
    QWidget* form = parent->window();
    const QScreen* screen = form->screen();
    if (screen == nullptr) return;
    constexpr int kGap = 8;
    constexpr int kNarrowest = 600;  // the plan's tables still read
    const QRect room = screen->availableGeometry();
    QRect taken = form->frameGeometry();
    const QSize frame = window->frameGeometry().size() - window->size();
    QSize size = window->size() + frame;
    const auto fitsRight = [&] {
        return taken.right() + 1 + kGap + size.width() <= room.right() + 1;
    };
    QPoint place(taken.right() + 1 + kGap, taken.top());
    if (!fitsRight()) {
        const int rightOfLeftForm = room.width() - taken.width() - kGap;
        if (taken.bottom() + 1 + kGap + size.height() <= room.bottom() + 1) {
            place = QPoint(taken.left(), taken.bottom() + 1 + kGap);
        } else if (rightOfLeftForm >= kNarrowest) {
            form->move(room.left(), taken.top());
            taken.moveLeft(room.left());
            size.setWidth(std::min(size.width(), rightOfLeftForm));
            window->resize(size - frame);
            place = QPoint(taken.right() + 1 + kGap, taken.top());
        } else {
            place = QPoint(room.right() + 1 - size.width(), taken.top());
        }
    }
    place.setX(
        std::clamp(place.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
    place.setY(
        std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
    window->move(place);
}

}  // namespace

void MakeSubWindow(QWidget* window, const QString& name, QSize preferred) {
    const QString key = QStringLiteral("windows/") + name;
    if (!window->restoreGeometry(QSettings().value(key).toByteArray())) {
        window->resize(WithinScreen(preferred));
        PlaceBesideTheForm(window);
    }
    TakeWheelOnlyWithFocus(window);
    TablesAreOneTabStop(window);
    window->installEventFilter(new KeptGeometry(window, key));
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto* shortcut = new QShortcut(keys, window);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
}

}  // namespace flyback::window

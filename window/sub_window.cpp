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

// The window's frame placed on the screen, with the form moved left where
// that makes room (PlaceBeside), applied to the widgets.
void PlaceBesideTheForm(QWidget* window) {
    QWidget* parent = window->parentWidget();
    if (parent == nullptr) return;
    QWidget* form = parent->window();
    const QScreen* screen = form->screen();
    if (screen == nullptr) return;
    // Before it is first shown a window has no frame yet: the form's title
    // bar and borders are what the window manager will give it too.
    const QSize frame = window->isVisible() ? window->frameGeometry().size() - window->size()
                                            : form->frameGeometry().size() - form->size();
    const Placement placement =
        PlaceBeside(form->frameGeometry(), window->size() + frame, screen->availableGeometry());
    form->move(placement.formAt);
    window->resize(placement.window.size() - frame);
    window->move(placement.window.topLeft());
}

}  // namespace

Placement PlaceBeside(QRect form, QSize window, QRect room) {
    constexpr int kGap = 8;
    constexpr int kNarrowest = 600;  // the plan's tables still read
    const auto fitsRight = [&] {
        return form.right() + 1 + kGap + window.width() <= room.right() + 1;
    };
    QPoint place(form.right() + 1 + kGap, form.top());
    if (!fitsRight()) {
        const int rightOfLeftForm = room.width() - form.width() - kGap;
        if (form.bottom() + 1 + kGap + window.height() <= room.bottom() + 1) {
            place = QPoint(form.left(), form.bottom() + 1 + kGap);
        } else if (rightOfLeftForm >= kNarrowest) {
            form.moveLeft(room.left());
            window.setWidth(std::min(window.width(), rightOfLeftForm));
            place = QPoint(form.right() + 1 + kGap, form.top());
        } else {
            place = QPoint(room.right() + 1 - window.width(), form.top());
        }
    }
    place.setX(std::clamp(place.x(), room.left(),
                          std::max(room.left(), room.right() + 1 - window.width())));
    place.setY(std::clamp(place.y(), room.top(),
                          std::max(room.top(), room.bottom() + 1 - window.height())));
    return {form.topLeft(), QRect(place, window)};
}

void MakeSubWindow(QWidget* window, const QString& name, QSize preferred) {
    const QString key = QStringLiteral("windows/") + name;
    if (!window->restoreGeometry(QSettings().value(key).toByteArray())) {
        window->resize(WithinScreen(preferred));
        PlaceBesideTheForm(window);
    }
    TakeWheelOnlyWithFocus(window);
    TablesAreOneTabStop(window);
    ShowFocusOfViews(window);
    window->installEventFilter(new KeptGeometry(window, key));
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto* shortcut = new QShortcut(keys, window);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
}

}  // namespace flyback::window

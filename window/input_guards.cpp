#include "window/input_guards.hpp"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QTabBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace flyback::window {
namespace {

class WheelGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* box = static_cast<QWidget*>(watched);
        if (box->hasFocus()) return false;
        // Handed to what holds the box, so that a scroll area still scrolls.
        if (QWidget* parent = box->parentWidget()) QApplication::sendEvent(parent, event);
        return true;
    }
};

WheelGuard* Guard() {
    static auto* guard = new WheelGuard(qApp);
    return guard;
}

void Guard(QWidget* box) {
    // Not the wheel focus either: a notch over a box does not pick it.
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(Guard());
}

}  // namespace

void TakeWheelOnlyWithFocus(QWidget* widget) {
    if (qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget)) Guard(widget);
    for (auto* box : widget->findChildren<QAbstractSpinBox*>()) Guard(box);
    for (auto* box : widget->findChildren<QComboBox*>()) Guard(box);
    // A tab bar never takes the focus by the wheel; it only lets the wheel through.
    for (auto* bar : widget->findChildren<QTabBar*>()) bar->installEventFilter(Guard());
}

void ShowFocusOfViews(QWidget* widget) {
    widget->setStyleSheet(widget->styleSheet() +
                          QStringLiteral("QAbstractScrollArea:focus { border: 2px solid "
                                         "palette(highlight); }"));
}

void TablesAreOneTabStop(QWidget* widget) {
    for (auto* table : widget->findChildren<QAbstractItemView*>())
        table->setTabKeyNavigation(false);
}

int DecimalsShowing(double shown, int decimals) {
    constexpr int kMost = 6;
    double scale = std::pow(10.0, decimals);
    while (decimals < kMost && std::abs(std::round(shown * scale) / scale - shown) >
                                   1e-12 * std::max(1.0, std::abs(shown))) {
        ++decimals;
        scale *= 10;
    }
    return decimals;
}

}  // namespace flyback::window

#include "window/fitted_picture.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace flyback::window {
namespace {

// A screen reader is told a picture, by its name, not a blank pane.
QAccessibleInterface* PictureForScreenReaders(const QString& className, QObject* object) {
    if (className != QLatin1String(FittedPicture::staticMetaObject.className()) ||
        !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

}  // namespace

FittedPicture::FittedPicture(QWidget* parent) : QWidget(parent) {
    static const bool told = (QAccessible::installFactory(PictureForScreenReaders), true);
    (void)told;
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FittedPicture::Draw(Drawing drawing) {
    drawing_ = std::move(drawing);
    Load(drawing_ ? drawing_(size()) : std::string());
}

void FittedPicture::resizeEvent(QResizeEvent* event) {
    if (drawing_) Load(drawing_(size()));
    QWidget::resizeEvent(event);
}

void FittedPicture::Load(std::string_view svg) {
    svg_ = QByteArray(svg.data(), static_cast<qsizetype>(svg.size()));
    renderer_.load(svg_);
    update();
}

void FittedPicture::SetOutOfDate(bool outOfDate) {
    if (outOfDate == outOfDate_) return;
    outOfDate_ = outOfDate;
    update();
}

QRectF FittedPicture::Placed() const {
    const QSizeF own = renderer_.viewBoxF().size();
    if (svg_.isEmpty() || own.isEmpty()) return {};
    const double scale = std::min(width() / own.width(), height() / own.height());
    const QSizeF shown = own * scale;
    return {QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown};
}

// The picture's own units to the widget's pixels; none before a picture.
QTransform FittedPicture::Placing() const {
    const QRectF placed = Placed();
    const QRectF box = renderer_.viewBoxF();
    if (placed.isEmpty()) return QTransform(0, 0, 0, 0, 0, 0);
    return QTransform::fromTranslate(-box.x(), -box.y()) *
           QTransform::fromScale(placed.width() / box.width(), placed.height() / box.height()) *
           QTransform::fromTranslate(placed.x(), placed.y());
}

QPointF FittedPicture::ToWidget(QPointF picture) const {
    return Placing().map(picture);
}

QPointF FittedPicture::ToPicture(QPointF widget) const {
    return Placing().inverted().map(widget);
}

void FittedPicture::paintEvent(QPaintEvent*) {
    const QRectF placed = Placed();
    if (placed.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(placed, Qt::white);      // the picture's colours are chosen on white
    if (outOfDate_) painter.setOpacity(0.6);  // as the plan's pictures fade
    renderer_.render(&painter, placed);
}

void FittedPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && Placed().contains(event->position()))
        emit clicked(ToPicture(event->position()));
    QWidget::mouseReleaseEvent(event);
}

}  // namespace flyback::window

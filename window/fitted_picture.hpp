#pragma once

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QSvgRenderer>
#include <QTransform>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

namespace flyback::window {

// A chart drawn as SVG, the same picture the page and the report show, made
// as large as its place allows with its proportions kept, centred on white.
// A click is told in the picture's own units, where its drawing placed things.
class FittedPicture : public QWidget {
    Q_OBJECT

  public:
    explicit FittedPicture(QWidget* parent = nullptr);

    // A picture drawn for the room it is given, in pixels: drawn now, and
    // again whenever the widget's size changes. None leaves the place blank.
    using Drawing = std::function<std::string(QSizeF room)>;
    void Draw(Drawing drawing);
    const QByteArray& Svg() const { return svg_; }

    // Of an earlier press or settings: drawn faded, as the tables beside it
    // are greyed.
    void SetOutOfDate(bool outOfDate);
    bool OutOfDate() const { return outOfDate_; }

    // A point of the picture where the widget draws it, and back.
    QPointF ToWidget(QPointF picture) const;
    QPointF ToPicture(QPointF widget) const;

  signals:
    void clicked(QPointF picture);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Where in the widget the picture is drawn.
    QRectF Placed() const;
    QTransform Placing() const;
    void Load(std::string_view svg);

    Drawing drawing_;
    QByteArray svg_;
    QSvgRenderer renderer_;
    bool outOfDate_ = false;
};

}  // namespace flyback::window

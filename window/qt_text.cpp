#include "window/qt_text.hpp"

#include <QFont>
#include <QPalette>
#include <QWidget>

#include <QTextDocument>
#include <QWidget>

#include "version/version.hpp"

namespace flyback::window {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ProgramVersion() {
    return FromUtf8(kProgramVersion);
}

void SetPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(Qt::convertFromPlainText(text, Qt::WhiteSpacePre));
    widget->setAccessibleDescription(text);
}

QString ToolTipText(const QWidget* widget) {
    QTextDocument document;
    document.setHtml(widget->toolTip());
    return document.toPlainText();
}

}  // namespace flyback::window

namespace flyback::window {

void ShowOutOfDate(QWidget* widget, bool outOfDate, const QColor& normalText) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, outOfDate ? kOutOfDateText : normalText);
    palette.setColor(QPalette::WindowText, outOfDate ? kOutOfDateText : normalText);
    widget->setPalette(palette);
    QFont font = widget->font();
    font.setItalic(outOfDate);
    widget->setFont(font);
}

}  // namespace flyback::window

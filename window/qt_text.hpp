#pragma once

#include <QColor>
#include <QString>
#include <string_view>

class QWidget;

namespace flyback::window {

// The engine's UTF-8 texts as Qt strings.
QString FromUtf8(std::string_view text);

// "0.2.0"
QString ProgramVersion();

// Sets a tooltip that Qt shows as the plain text it is. A tooltip string that
// merely looks like markup is rendered as rich text, so a typed
// "<img src=...>" quoted in a warning would load a file: the text is escaped
// into a paragraph that keeps its line breaks. Screen readers get the plain
// text as the widget's description.
void SetPlainToolTip(QWidget* widget, const QString& text);

// The tooltip as a user sees it: the plain text of its markup.
QString ToolTipText(const QWidget* widget);

// Text of an earlier press, or not yet calculated: grey that still reads at
// 7:1 on white (5.4:1 on amber), and italic, so that it is told apart without
// the colour.
inline constexpr QColor kOutOfDateText{0x59, 0x59, 0x59};
void ShowOutOfDate(QWidget* widget, bool outOfDate, const QColor& normalText);

}  // namespace flyback::window

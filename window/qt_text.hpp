#pragma once

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

}  // namespace flyback::window

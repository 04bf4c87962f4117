#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace flyback::window {

// What the user is told when a calculation cannot be completed.
struct FaultReport {
    QString title;    // the window's caption
    QString message;  // names the error and, where the cause is plain, the input to check
};

// Tells the user about a fault; the window's default shows a modal message box.
// Tests put their own in its place.
using FaultReporter = std::function<void(QWidget* parent, const FaultReport& report)>;

void ShowFaultMessageBox(QWidget* parent, const FaultReport& report);

// A modal message box whose text is shown as plain text, whatever it quotes.
void ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                      const QString& text);

}  // namespace flyback::window

#include "window/fault_report.hpp"

namespace flyback::window {

void ShowFaultMessageBox(QWidget* parent, const FaultReport& report) {
    ShowPlainMessage(parent, QMessageBox::Critical, report.title, report.message);
}

void ShowPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                      const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace flyback::window

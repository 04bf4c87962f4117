#include "window/about.hpp"

#include <QMessageBox>

#include "window/qt_text.hpp"

namespace flyback::window {

QString AboutText() {
    return QStringLiteral(
               "<p><b>单端反激变换式开关电源变压器的设计</b><br>flyback-designer %1</p>"
               "<p>根据输出功率、输入电压范围、工作频率、效率和输出电压，设计单端反激式开关电源的"
               "变压器：磁芯型号、初级电感量、气隙、初次级匝数以及开关管的耐压和电流。</p>"
               "<p>以 MIT 许可证发布。版权所有 © 2026 Flyback Designer developers。</p>")
        .arg(ProgramVersion());
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox::about(parent, QStringLiteral("关于"), AboutText());
}

}  // namespace flyback::window

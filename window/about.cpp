#include "window/about.hpp"

#include <QMessageBox>

#include "version/version.hpp"
#include "window/qt_text.hpp"

namespace flyback::window {

QString AboutText() {
    return QStringLiteral("<p><b>%1</b><br>flyback-designer %2</p><p>%3</p><p>%4</p>")
        .arg(FromUtf8(kProgramTitle), ProgramVersion(), FromUtf8(kProgramPurpose),
             FromUtf8(kLicenceNotice));
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox::about(parent, QStringLiteral("关于"), AboutText());
}

}  // namespace flyback::window

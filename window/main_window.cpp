#include "window/main_window.hpp"

#include <QAction>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <string>

#include "numtext/fault_hint.hpp"
#include "numtext/run_calculation.hpp"
#include "runtime/error.hpp"
#include "ui_main_window.h"
#include "window/about.hpp"

namespace flyback::window {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QIcon WindowIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addFile(QStringLiteral(":/icons/flyback-designer-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

}  // namespace

void ShowFaultMessageBox(QWidget* parent, const FaultReport& report) {
    QMessageBox::critical(parent, report.title, report.message);
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::Form1>()) {
    // The form asks for "MS Sans Serif"; where it is missing, use the desktop's
    // sans serif rather than whatever font happens to match first.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                              QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    ui_->setupUi(this);
    Text1 = {ui_->Text1_0, ui_->Text1_1, ui_->Text1_2, ui_->Text1_3, ui_->Text1_4, ui_->Text1_5};
    Text2 = {ui_->Text2_0, ui_->Text2_1, ui_->Text2_2, ui_->Text2_3,
             ui_->Text2_4, ui_->Text2_5, ui_->Text2_6};
    ApplyExactFontSizes();
    NameBoxesAfterTheirCaptions();
    setWindowIcon(WindowIcon());
    AddWindowActions();
    connect(ui_->Command1, &QPushButton::clicked, this, &MainWindow::OnCommand1Pressed);
    ui_->Command1->setFocus();
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::Command1() const {
    return ui_->Command1;
}

void MainWindow::SetFaultReporter(FaultReporter reporter) {
    reportFault_ = std::move(reporter);
}

// Offered by the window's context menu (a right-click outside the boxes, which
// have menus of their own) and by their shortcuts.
void MainWindow::AddWindowActions() {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* about = new QAction(QStringLiteral("关于"), this);
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about, &QAction::triggered, this, [this] { ShowAboutBox(this); });
    addAction(about);
}

// Point sizes such as 9.75 do not fit the form file's whole-number font sizes;
// the form carries them as an "exactPointSize" property.
void MainWindow::ApplyExactFontSizes() {
    for (QWidget* widget : findChildren<QWidget*>()) {
        const QVariant size = widget->property("exactPointSize");
        if (!size.isValid()) continue;
        QFont font = widget->font();
        font.setPointSizeF(size.toDouble());
        widget->setFont(font);
    }
}

// Screen readers then read "输出功率 W" rather than "edit".
void MainWindow::NameBoxesAfterTheirCaptions() {
    for (QLabel* label : findChildren<QLabel*>()) {
        if (QWidget* box = label->buddy()) box->setAccessibleName(label->text());
    }
}

// A fault no longer ends the program: the boxes the calculation did not reach
// are cleared, so that none shows a value of other inputs, and the user is told
// what went wrong with everything typed still in place.
void MainWindow::OnCommand1Pressed() {
    std::array<std::string, numtext::kInputCount> texts;
    numtext::InputTexts inputs;
    for (int i = 0; i < numtext::kInputCount; ++i) {
        texts[i] = Text1[i]->text().toStdString();
        inputs[i] = texts[i];
    }
    std::array<bool, numtext::kResultCount> written{};
    try {
        numtext::RunCalculation(inputs, [&](int box, std::string_view text) {
            Text2[box]->setText(FromUtf8(text));
            Text2[box]->setCursorPosition(0);  // long texts show their beginning
            written[box] = true;
        });
    } catch (const runtime::RuntimeError& error) {
        for (int box = 0; box < numtext::kResultCount; ++box) {
            if (!written[box]) Text2[box]->clear();
        }
        reportFault_(this, {windowTitle(), FromUtf8(numtext::FaultMessage(error.kind(), inputs))});
    }
}

}  // namespace flyback::window

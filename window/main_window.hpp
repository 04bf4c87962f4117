#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "numtext/run_calculation.hpp"
#include "runtime/error.hpp"
#include "window/fault_report.hpp"

class QLineEdit;
class QPushButton;

namespace Ui {
class Form1;
}

namespace flyback::window {

// The designer's one window: six input boxes, the "=>" button, seven result
// boxes. Its layout lives in main_window.ui.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Input boxes, index 0 to 5: power, maximum and minimum input voltage,
    // frequency, efficiency, output voltage.
    std::array<QLineEdit*, 6> Text1{};
    // Result boxes, index 0 to 6, as the calculation addresses them.
    std::array<QLineEdit*, 7> Text2{};

    QPushButton* Command1() const;

    void SetFaultReporter(FaultReporter reporter);

  private:
    void OnCommand1Pressed();
    void AddWindowActions();
    void ApplyExactFontSizes();
    void NameBoxesAfterTheirCaptions();

    std::unique_ptr<Ui::Form1> ui_;
    FaultReporter reportFault_ = ShowFaultMessageBox;
};

}  // namespace flyback::window

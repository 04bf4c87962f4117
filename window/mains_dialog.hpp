#pragma once

#include <QDialog>
#include <optional>

#include "mains/mains.hpp"

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace flyback::window {

// "由交流输入": the two DC input voltages worked out from the mains range and
// the bulk capacitor, shown as they are typed. The power and the efficiency
// come from the designer's boxes. Its values are remembered between runs.
class MainsDialog : public QDialog {
    Q_OBJECT

  public:
    MainsDialog(double outputPower, double efficiency, QWidget* parent = nullptr);

    // The voltages for the texts typed now, or nothing when they give none.
    const std::optional<mains::DcInputRange>& Range() const { return range_; }
    // The highest AC typed, V rms, with a range: what the plan's insulation is
    // rated by.
    std::optional<double> MaxAc() const { return range_ ? maxAc_ : std::nullopt; }

    QLineEdit* minAcVoltage = nullptr;
    QLineEdit* maxAcVoltage = nullptr;
    QLineEdit* lineHertz = nullptr;
    QLineEdit* bulkMicrofarads = nullptr;     // empty: "自动"
    QLineEdit* holdupMilliseconds = nullptr;  // empty: "无"

    void accept() override;

  private:
    void Update();

    double outputPower_;
    double efficiency_;
    std::optional<mains::DcInputRange> range_;
    std::optional<double> maxAc_;
    QLabel* result_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace flyback::window

#pragma once

#include <QGroupBox>
#include <array>
#include <functional>

#include "record/design_record.hpp"
#include "winding/choices.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QTableWidget;

namespace flyback::window {

// "设计选择": the engineer's own decisions on the plan, at the top of its
// window: the outputs (the first regulated), the bias winding's load, where
// the reflected voltage comes from, the conduction mode, fixed turns, the
// clamp voltage and the current limit. Unticked, the plan designs as the press
// does. Every control is bounded, so what it holds is always a choice the plan
// can take.
class ChoicesPanel : public QGroupBox {
    Q_OBJECT

  public:
    explicit ChoicesPanel(const winding::Choices& choices, QWidget* parent = nullptr);

    winding::Choices Choices() const;

    QTableWidget* outputs() const { return outputs_; }
    QComboBox* vorSource() const { return vorSource_; }
    QComboBox* conduction() const { return conduction_; }
    // A choice's box, in the unit shown (Lp in µH).
    QDoubleSpinBox* Box(winding::ChoiceNumber choice) const {
        return numbers_[static_cast<std::size_t>(choice)];
    }
    QDoubleSpinBox* krp() const { return Box(winding::ChoiceNumber::Krp); }
    QDoubleSpinBox* lp() const { return Box(winding::ChoiceNumber::Lp); }
    QCheckBox* fixedTurns() const { return fixedTurns_; }
    // A choice's tick, where the plan may be left to make it; else none.
    QCheckBox* Tick(winding::ChoiceNumber choice) const {
        return ticks_[static_cast<std::size_t>(choice)];
    }
    QSpinBox* Np() const { return turns_[0]; }
    QSpinBox* Ns() const { return turns_[1]; }
    void AddOutput(const winding::OutputLoad& load);
    // The press a new output row takes its share of the power from (its P
    // and Vout); none: the columns' first values.
    void SetPressSource(std::function<const record::DesignRecord*()> press) {
        press_ = std::move(press);
    }
    // 添加输出: a row that takes the power the rows before leave.
    void AddNewOutput();

  signals:
    void changed();

  private:
    QWidget* OutputsBox();
    QWidget* BiasAndLimitsBox();
    QDoubleSpinBox* Number(double low, double high, int decimals, const QString& unit, double value,
                           double step);
    QDoubleSpinBox* ChoiceBox(const winding::ChoiceNumberInfo& info, const winding::Choices& c);
    void ShowChosenBoxes();

    QTableWidget* outputs_ = nullptr;
    std::array<QDoubleSpinBox*, std::size(winding::kChoiceNumbers)> numbers_{};
    QComboBox* vorSource_ = nullptr;
    QComboBox* conduction_ = nullptr;
    QCheckBox* fixedTurns_ = nullptr;
    QSpinBox* turns_[3] = {};  // Np, Ns, Naux (0: none)
    // The ticks of the choices the plan may be left to make (none elsewhere).
    std::array<QCheckBox*, std::size(winding::kChoiceNumbers)> ticks_{};
    std::function<const record::DesignRecord*()> press_;
};

// The choices as the user left them (QSettings), and keeping them. A kept
// value beyond a control's bounds is brought to the nearest.
winding::Choices LoadChoices(QStringList* notes = nullptr);
void SaveChoices(const winding::Choices& choices);

}  // namespace flyback::window
